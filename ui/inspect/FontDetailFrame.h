#pragma once

// The lower pane of the main window's right column: a bar with the mode
// ("Preview", "Font Map" or "Waterfall"), the size, the text and background colour
// buttons, bold, italic and underline (preview only) and the current font's
// name, above the view of the mode, with the design panel (axes, instances,
// features) beside it for a font that has any. It owns the colour pop-up
// its buttons open. Sizes, colours and the design chosen reach the views
// through the hub.

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <boost/signals2/trackable.hpp>
#include <functional>
#include <memory>

#include "ui/inspect/DesignModel.h"
#include "ui/inspect/DetailFrameState.h"
#include "ui/inspect/FontMapController.h"
#include "ui/inspect/FontMapView.h"

#include <QMenu>

namespace Quillmark {

class CFontItem;
class CFontManager;
class CFontMapController;

class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;
class CDesignPanel;
class CRichTextPreviewView;
class CWaterfallView;
class IColourPopup;

// The current font's name, right-aligned, cut with an ellipsis when too
// long; a click on it asks for the font's information.
class CFontNameLabel : public QWidget {
    Q_OBJECT

public:
    explicit CFontNameLabel(QWidget* parent = nullptr);
    void SetText(const QString& text, bool isFont);
    const QString& Text() const { return m_text; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_text;
    bool m_isFont = false;
};

class CFontDetailFrame : public QWidget, public boost::signals2::trackable {
    Q_OBJECT

public:
    // `palette` may be null: the colour buttons then do nothing.
    CFontDetailFrame(CQuillmarkSignals& hub, CProgramOptions& options, CFontManager& manager,
                     CQuillmarkDoc& document, std::unique_ptr<IColourPopup> palette,
                     QWidget* parent = nullptr);
    ~CFontDetailFrame() override;

    DetailMode Mode() const { return m_state.Mode(); }
    void SetMode(DetailMode mode);

    // The pop-up the colour buttons open; the frame owns it.
    void SetPalette(std::unique_ptr<IColourPopup> palette);
    // What the map's "Find other fonts that contain this character..." does.
    void SetFindCharacter(CFontMapController::FindCharacter find);

    // Bold, italic and underline, for the main window's Preview menu too.
    QList<QAction*> StyleActions() const;
    // The menu the preview's right button opens.
    void SetPreviewMenu(QMenu* menu);

    // Opens the font information of the current font.
    void ShowFontInfo();

    QComboBox* ModeBox() const { return m_modeBox; }
    QComboBox* SizeBox() const { return m_sizeBox; }
    QToolButton* ColourButton(bool text) const { return text ? m_textButton : m_backButton; }
    QToolBar* StyleBar() const { return m_styleBar; }
    CFontNameLabel* FontName() const { return m_name; }
    CRichTextPreviewView* Preview() const { return m_preview; }
    // The font map, once the map mode has been shown; null before.
    CFontMapView* FontMap() const { return m_map; }
    CFontMapController* FontMapController() const { return m_mapController; }
    // The waterfall, once its mode has been shown; null before.
    CWaterfallView* Waterfall() const { return m_waterfall; }
    CDesignPanel* DesignPanel() const { return m_designPanel; }
    CDesignModel& DesignModel() { return m_design; }
    // Shows and hides the design panel.
    QToolButton* DesignButton() const { return m_designButton; }
    QWidget* ActiveView() const;
    IColourPopup* Palette() const { return m_palette.get(); }

    // The 16 × 16 swatch of a colour button.
    static QPixmap Swatch(quint32 colour);

    // How the font information is shown; tests replace it.
    void SetInfoRunner(std::function<void(const CFontItem*, QWidget*)> run) {
        m_runInfo = std::move(run);
    }

private:
    void CreateBar();
    QWidget* ViewFor(DetailMode mode);
    void ApplyMode();
    void OnSizeChosen(int index);
    void OnSizeTyped(const QString& text);
    void FireSize(unsigned short size);
    void OnColourButton(bool text);
    void OnFontSelected(const CFontItem* font);
    void OnColorChanged(quint32 colour, bool isTextColour);
    void OnPaletteClosed();
    void UpdateSwatches();
    void OnDesignChanged();
    void ShowDesignPanel();

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    CFontManager& m_manager;
    CQuillmarkDoc& m_document;
    CDetailFrameState m_state;
    std::unique_ptr<IColourPopup> m_palette;
    std::function<void(const CFontItem*, QWidget*)> m_runInfo;

    QComboBox* m_modeBox = nullptr;
    QComboBox* m_sizeBox = nullptr;
    QToolBar* m_colourBar = nullptr;
    QToolButton* m_textButton = nullptr;
    QToolButton* m_backButton = nullptr;
    QToolBar* m_styleBar = nullptr;
    CFontNameLabel* m_name = nullptr;
    QStackedWidget* m_views = nullptr;
    CRichTextPreviewView* m_preview = nullptr;
    QPointer<CFontMapView> m_map;
    CFontMapController* m_mapController = nullptr;  // a child of m_map
    CFontMapController::FindCharacter m_findCharacter;
    CWaterfallView* m_waterfall = nullptr;  // a child of m_waterfallScroll
    QWidget* m_waterfallScroll = nullptr;
    CDesignModel m_design;
    CDesignPanel* m_designPanel = nullptr;
    QWidget* m_designScroll = nullptr;
    QToolButton* m_designButton = nullptr;
    const CFontItem* m_designFont = nullptr;  // the font the panel shows
    QPointer<QMenu> m_previewMenu;
    bool m_settingSize = false;
};

}  // namespace Quillmark
