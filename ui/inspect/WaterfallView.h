#pragma once

// The waterfall mode of the detail frame: one line of the preview text at
// each standard size, drawn from the current font's own file in the design
// chosen in the design panel (axes, features), in the preview's colours.

#include <QWidget>
#include <boost/signals2/trackable.hpp>

#include "fontdata/design/FontDesign.h"
#include "ui/common/HeldFont.h"

namespace Quillmark {

class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

class CWaterfallView : public QWidget, public boost::signals2::trackable {
    Q_OBJECT

public:
    CWaterfallView(CQuillmarkSignals& hub, CProgramOptions& options, CFontManager& manager,
                   const CQuillmarkDoc& document, QWidget* parent = nullptr);

    // The text of each line (its first line only).
    void SetText(const QString& text);
    const QString& Text() const { return m_text; }
    const Varnholt::OpenTypeFontData::CDesignLook& Design() const { return m_design; }
    const CFontItem* Font() const { return m_font.Get(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnFontSelected(const CFontItem* font);
    void OnDesignChosen(const CFontItem* font, const Varnholt::OpenTypeFontData::CDesignLook& look);
    void OnColorChanged(quint32 colour, bool isTextColour);
    qreal LabelWidth() const;

    CProgramOptions& m_options;
    CHeldFont m_font;
    Varnholt::OpenTypeFontData::CDesignLook m_design;
    QString m_text;
};

}  // namespace Quillmark
