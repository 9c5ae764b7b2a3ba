#pragma once

// The sample of a search's source font in the window's first band: a text
// (the sought character, or the font list's sample text) drawn at 24 pixels
// from the font's own file; once the font is gone, a text of its own in the
// user-interface font.

#include <QFont>
#include <QWidget>

#include "fontdata/manager/FontManager.h"

namespace Quillmark {

class CProgramOptions;

class CSourceSample : public QWidget {
    Q_OBJECT

public:
    CSourceSample(const CProgramOptions& options, QFont uiFont, QWidget* parent = nullptr);

    // The font and text; a null font draws `text` in the user-interface font.
    void Show(const CFontHandle& font, const QString& text);
    // Looks again at the options (the rendering quality).
    void Refresh();
    QString Text() const { return m_text; }
    bool DrawsFromFont() const { return !m_path.isEmpty(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CProgramOptions& m_options;
    QFont m_uiFont;
    QString m_path;  // the font's file; empty: the user-interface font
    bool m_symbol = false;
    std::shared_ptr<const Varnholt::COpenTypeData> m_data;
    QString m_text;
    int m_width = 0;
};

}  // namespace Quillmark
