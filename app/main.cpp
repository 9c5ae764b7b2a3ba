// Quillmark: the font manager.

#include <QApplication>

#include "app/QuillmarkApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setOrganizationName(QStringLiteral("Varnholt, Inc"));
    QApplication::setApplicationVersion(Quillmark::CQuillmarkApp::ProgramVersionText());
    QApplication::setDesktopFileName(QStringLiteral("quillmark"));

    Quillmark::CQuillmarkApp app(QApplication::arguments());
    app.HandleTerminationSignals();
    const auto result = app.InitInstance();
    int code = result == Quillmark::CQuillmarkApp::StartResult::Failed ? 1 : 0;
    if (result == Quillmark::CQuillmarkApp::StartResult::Started && !app.IsClosed() &&
        !app.TerminationRequested()) {
        code = QApplication::exec();
    }
    // Something not saved is a failure of the run, whatever came before.
    if (!app.ExitInstance()) {
        code = 1;
    }
    return code;
}
