#pragma once

// The colour palette control: two tabs, "Basic" with a grid of 138 fixed
// colours and "Advanced" with a field of hues across and lightness down.
// Picking a colour on either tab stores it and fires ColorChange; moving
// the mouse over a colour fires ColorOver. Setting SelectedColor shows the
// colour on both tabs and fires nothing.

#include <QColor>
#include <QWidget>

#include <Tintora/TintoraExport.h>

class QTabWidget;

namespace Tintora {

class CBasicPaletteWinCtrl;
class CPaletteWinCtrl;

class TINTORA_EXPORT CPaletteCtrl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(uint SelectedColor READ GetSelectedColor WRITE SetSelectedColor)

public:
    explicit CPaletteCtrl(QWidget* parent = nullptr);
    ~CPaletteCtrl() override;

    // 0x00BBGGRR.
    uint GetSelectedColor() const { return m_selectedColor; }
    void SetSelectedColor(uint colour);
    QColor GetColor() const;
    void SetColor(const QColor& colour);

    // 0 "Basic", 1 "Advanced".
    int CurrentTab() const;
    void SetCurrentTab(int index);
    CBasicPaletteWinCtrl* BasicPalette() const { return m_basic; }
    CPaletteWinCtrl* Field() const { return m_field; }

    // From the two palettes.
    void Select(uint colour);
    void Hover(uint colour);

signals:
    void ColorChange(uint NewColor);
    void ColorOver(uint OverColor);

private:
    uint m_selectedColor = 0;
    QTabWidget* m_tabs = nullptr;
    CBasicPaletteWinCtrl* m_basic = nullptr;
    CPaletteWinCtrl* m_field = nullptr;
};

// The basic grid: 16 cells a row, 24 × 25 pixels each, in a 384 × 256 window.
class TINTORA_EXPORT CBasicPaletteWinCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CBasicPaletteWinCtrl(CPaletteCtrl* owner, QWidget* parent = nullptr);
    // -1 for none.
    int SelectedCell() const { return m_selected; }
    // Selects the first cell of exactly this colour, or none.
    void SelectColour(quint32 colour);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    CPaletteCtrl* m_owner;
    int m_selected = -1;
};

// The advanced field, 384 × 256, with an XOR-drawn cross-hair marker.
class TINTORA_EXPORT CPaletteWinCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CPaletteWinCtrl(CPaletteCtrl* owner, QWidget* parent = nullptr);
    QPoint Marker() const { return m_marker; }
    // The marker on the first field colour near this one, or off the field.
    void PositionOn(quint32 colour);
    bool IsDragging() const { return m_dragging; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CPaletteCtrl* m_owner;
    QPoint m_marker;
    quint32 m_underMouse = 0xFFFFFF;
    bool m_dragging = false;
};

}  // namespace Tintora
