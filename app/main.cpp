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
    if (result == Quillmark::CQuillmarkApp::StartResult::Started && !app.IsClosed()) {
        code = QApplication::exec();
    }
    app.ExitInstance();
    return code;
}
