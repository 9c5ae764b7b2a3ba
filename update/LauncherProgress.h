#pragma once

// The download's progress on the program's launcher entry, for desktops
// that show one (the LauncherEntry interface on the session bus). Without
// a session bus it does nothing.

#include <QString>

namespace Quillmark {

class CLauncherProgress {
public:
    static constexpr const char* kInterface = "com.canonical.Unity.LauncherEntry";
    static constexpr const char* kPath = "/com/canonical/unity/launcherentry/quillmark";

    explicit CLauncherProgress(QString desktopFile = QStringLiteral("quillmark.desktop"));
    ~CLauncherProgress();
    CLauncherProgress(const CLauncherProgress&) = delete;
    CLauncherProgress& operator=(const CLauncherProgress&) = delete;

    // Shows `fraction` (0 to 1) of the bar.
    void Set(double fraction);
    // Hides the bar; the destructor does too when it was shown.
    void Clear();

private:
    void Send(bool visible, double fraction);

    QString m_appUri;
    bool m_shown = false;
};

}  // namespace Quillmark
