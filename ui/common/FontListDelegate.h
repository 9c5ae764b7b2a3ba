#pragma once

// Draws whole rows of a font list: the icon and the three column texts in
// the UI font, the preview line in the font's own design, and the grey line
// at the bottom. Colours, metrics and icons are taken once and kept until
// the options change.

#include <QElapsedTimer>
#include <QFont>
#include <QIcon>
#include <QStyledItemDelegate>

#include "render/PreviewLine.h"

namespace Quillmark {

class CProgramOptions;

class CFontListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    CFontListDelegate(const CProgramOptions& options, QFont uiFont, QObject* parent = nullptr);

    // First line: max(16, H) + 4, H the UI font's height; preview line:
    // FontListCharSize + 4.
    int FirstLineHeight() const;
    int RowHeight() const;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    struct CColumns {
        int left[3];
        int width[3];  // 0 for a hidden column
    };
    void PaintRow(QPainter* painter, const QRect& row, const QModelIndex& index, bool selected,
                  const CColumns& columns, const QPalette& palette) const;

    // A paint that must stay short (rows arriving while a search runs):
    // once `budgetMs` have gone, fonts that would have to be read first are
    // left for a later paint, one of them at least drawn each time (0: no
    // limit). After the paint, LeftSomeUndrawn says whether to paint again.
    void BeginPaint(int budgetMs);
    bool LeftSomeUndrawn() const { return m_leftUndrawn; }

    // Search by character: the character drawn in a framed cell at the
    // left of every row (0: none).
    void SetSearchCharacter(char32_t c) { m_searchCharacter = c; }
    void Refresh();  // the options changed
    // How the preview lines are drawn: FontListCharSize and
    // FontListRenderingOption as Refresh last read them.
    const CPreviewLook& PreviewLook() const { return m_previewLook; }

private:
    const CProgramOptions& m_options;
    QFont m_uiFont;
    int m_textHeight = 0;
    int m_previewHeight = 24;
    CPreviewLook m_previewLook;
    QString m_previewText;
    QIcon m_fontIcon;
    QIcon m_errorIcon;
    char32_t m_searchCharacter = 0;

    bool MayRead(bool ready) const;
    int m_budgetMs = 0;
    QElapsedTimer m_paintClock;
    mutable bool m_readOne = false;
    mutable bool m_leftUndrawn = false;
};

}  // namespace Quillmark
