#pragma once

// The font map: every character a font maps, as a scrolling grid of equal
// cells, each drawn from the font's own file. Hovering shows the code and
// Unicode name; the mouse and the keyboard select a cell; the right button
// opens the character menu. It shows what it is given and reports what the
// user does: CFontMapController ties it to the rest of the program, so that
// any window (its own, or the detail pane) can hold one.

#include <QAbstractScrollArea>
#include <QColor>
#include <QPointer>
#include <functional>
#include <vector>

#include "render/ExactFont.h"
#include "ui/inspect/CharacterMenu.h"
#include "ui/inspect/FontMapModel.h"

namespace Quillmark {

class CFontMapView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CFontMapView(QWidget* parent = nullptr);
    ~CFontMapView() override;

    // Shows the characters of the font file `path` at `fontSize` pixels
    // (the cell text height), or an empty grid for a font without them.
    void SetFont(const QString& path, std::shared_ptr<const Varnholt::COpenTypeData> fontData,
                 int fontSize, Rendering quality);
    void ClearFont();
    void SetFontSize(int fontSize);
    void SetQuality(Rendering quality);
    void SetColors(const QColor& text, const QColor& back);
    // Draws the characters in a design (a variable font's axes, features):
    // the font's default with an empty look.
    void SetDesign(const Varnholt::OpenTypeFontData::CDesignLook& design);
    QColor TextColor() const { return m_textColor; }
    QColor BackColor() const { return m_backColor; }
    // The names of the tooltips; without them there are no tooltips.
    void SetNameLookup(std::function<QString(char32_t)> lookup);
    // Offers "Find other fonts that contain this character..." in the
    // menu, calling find with the menu's character; absent until set.
    void SetFindOtherFonts(std::function<void(char32_t)> find);

    CFontMapModel& Model() { return m_model; }
    const CFontMapModel& Model() const { return m_model; }
    // Selects a cell (0: none) as a click would, scrolled into view.
    void Select(int index);
    // The tooltip of a cell; empty without names or a cell.
    QString ToolTipFor(int index) const;
    // The character menu's commands, for the windows that offer the same.
    CCharacterMenu* CharacterMenu() const { return m_menu; }
    bool IsMenuOpen() const { return m_menuOpen; }

    QSize sizeHint() const override;

signals:
    // The selected cell changed, or a click off the cells dropped it: the
    // character (0 for none).
    void CharacterSelected(char32_t code);
    void CopyRequested(char32_t code);
    void AppendRequested(char32_t code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void Relayout();
    void UpdateCellMetrics();
    void RepaintCell(int index);
    void ScrollIntoView(int index);
    void ChangeSelection(int index);
    int IndexAt(QPoint viewportPoint) const;
    // Whether the font, if any, can be drawn from its file: a map without
    // cells to draw has none to point at, scroll to or select.
    bool Drawable() const;
    // Shapes the cells from `first` to before `end` that are not yet.
    void EnsureShaped(int first, int end);

    CFontMapModel m_model;
    QString m_path;
    Platform::CTextLook m_look;
    QColor m_textColor = Qt::black;
    QColor m_backColor = Qt::white;
    std::function<QString(char32_t)> m_names;
    int m_scrollBarWidth = 0;
    CCharacterMenu* m_menu = nullptr;
    bool m_menuOpen = false;
    // Each cell's glyph, shaped the first time the cell is painted.
    std::vector<Platform::CExactFontCache::CGlyph> m_glyphs;
    std::vector<bool> m_shaped;
};

}  // namespace Quillmark
