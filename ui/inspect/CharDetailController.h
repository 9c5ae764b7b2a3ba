#pragma once

// Ties the character detail window to the program: it follows the chosen
// font and the selected character through the hub, keeps its place in the
// options, and copies or appends its character. One for a main window,
// whichever font maps it serves; it also holds the Unicode name table that
// they share, so that the table is read, and a missing one told, once.

#include <QObject>
#include <QPointer>
#include <boost/signals2/trackable.hpp>
#include <functional>
#include <memory>

#include "fontdata/unicode/UnicodeCharDescriptions.h"
#include "ui/common/HeldFont.h"
#include "ui/inspect/CharDetailWnd.h"

namespace Quillmark {

class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

// What "Find other fonts that contain this character..." does: given the
// character, its Unicode name and the font it was taken from.
using CFindCharacter = std::function<void(char32_t, const QString&, const CFontItem*)>;

class CCharDetailController : public QObject, public boost::signals2::trackable {
    Q_OBJECT

public:
    // Makes the window, hidden, at its stored place (the first time in the
    // middle of the screen, large enough for its title and character),
    // showing the current font. The window and the controller are children
    // of `parent`; the controller deletes the window with it.
    CCharDetailController(CQuillmarkSignals& hub, CProgramOptions& options, CFontManager& manager,
                          CQuillmarkDoc& document, QWidget* parent);
    ~CCharDetailController() override;

    // The one controller of `parent`: made the first time it is asked for.
    static CCharDetailController* For(CQuillmarkSignals& hub, CProgramOptions& options,
                                      CFontManager& manager, CQuillmarkDoc& document,
                                      QWidget* parent);

    CCharDetailWnd* Window() const { return m_window; }
    const CFontItem* Font() const { return m_font.Get(); }
    // How an error is told (a message box unless replaced).
    void SetErrorSink(std::function<void(const QString&)> sink) { m_error = std::move(sink); }
    void SetFindCharacter(CFindCharacter find);

    // Reads the name table the first time; a failure is told then, and
    // only then.
    void LoadNames();
    const CUnicodeCharDescriptions* Names() const { return m_names.get(); }
    // The Unicode name of a character; empty without one or without a table.
    QString NameOf(char32_t code) const;

    // The window's first size: its title and a character must show.
    static QSize FirstSize(const CCharDetailWnd& window);

private:
    void OnFontSelected(const CFontItem* font);
    void OnCharacterSelected(char32_t code, const QString& name);
    void OnApplicationClosing();
    void OnOptionsChanged();
    void DropFont();

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    QPointer<CCharDetailWnd> m_window;
    CHeldFont m_font;
    std::function<void(const QString&)> m_error;
    bool m_namesRead = false;
    std::unique_ptr<CUnicodeCharDescriptions> m_names;
};

}  // namespace Quillmark
