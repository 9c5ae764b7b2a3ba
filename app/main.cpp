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
    return app.Run();
}
