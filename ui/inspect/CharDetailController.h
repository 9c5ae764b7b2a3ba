#pragma once

// Ties the character detail window to the program: it follows the chosen
// font and the selected character through the hub, keeps its place in the
// options, and copies or appends its character.

#include <QObject>
#include <QPointer>
#include <boost/signals2/trackable.hpp>
#include <functional>

#include "fontdata/manager/FontManager.h"
#include "ui/inspect/CharDetailWnd.h"

namespace Quillmark {

class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

class CCharDetailController : public QObject, public boost::signals2::trackable {
    Q_OBJECT

public:
    // Makes the window, hidden, at its stored place (120 × 120 in the
    // middle of the screen the first time), showing the current font. The
    // window is a child of `parent`; the controller is its owner's to
    // delete, and deletes the window with it.
    CCharDetailController(CQuillmarkSignals& hub, CProgramOptions& options, CFontManager& manager,
                          CQuillmarkDoc& document, QWidget* parent);
    ~CCharDetailController() override;

    CCharDetailWnd* Window() const { return m_window; }
    const CFontItem* Font() const { return m_font.get(); }
    // How an error is told (a message box unless replaced).
    void SetErrorSink(std::function<void(const QString&)> sink) { m_error = std::move(sink); }

private:
    void OnFontSelected(const CFontItem* font);
    void OnCharacterSelected(char16_t code, const QString& name);
    void OnApplicationClosing();
    void OnOptionsChanged();
    int OnReleaseFont(const CFontItem* font);
    void OnFontRemoved(const CFontItem* font);
    void DropFont();
    void Copy(char16_t code);

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    CFontManager& m_manager;
    QPointer<CCharDetailWnd> m_window;
    CFontHandle m_font;
    std::function<void(const QString&)> m_error;
};

}  // namespace Quillmark
