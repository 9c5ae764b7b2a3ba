#pragma once

// The font map in a window of its own, beside the main window; closing it
// hides it.

#include <QWidget>

namespace Quillmark {

class CFontManager;
class CFontMapController;
class CFontMapView;
class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

class CFontMapWindow : public QWidget {
    Q_OBJECT

public:
    // `owner`: the main window, which also owns the character detail window.
    CFontMapWindow(CQuillmarkSignals& hub, CProgramOptions& options, CFontManager& manager,
                   CQuillmarkDoc& document, QWidget* owner);

    CFontMapView* View() const { return m_view; }
    CFontMapController* Controller() const { return m_controller; }

private:
    CFontMapView* m_view = nullptr;
    CFontMapController* m_controller = nullptr;
};

}  // namespace Quillmark
