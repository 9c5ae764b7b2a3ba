// Shows the Tintora palette and prints every colour picked on it.
//
//   colourpick [--click X,Y] [--tab 0|1]
//
// With --click, the program clicks that point of the shown tab once it is
// up, prints what it picked, and ends.

#include <Tintora/PaletteCtrl.h>
#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Tintora::CPaletteCtrl palette;
    palette.setWindowTitle(QStringLiteral("Tintora"));
    QObject::connect(&palette, &Tintora::CPaletteCtrl::ColorChange, [](uint colour) {
        std::printf("ColorChange 0x%06X\n", colour);
        std::fflush(stdout);
    });

    const QStringList args = app.arguments();
    const qsizetype tab = args.indexOf(QStringLiteral("--tab"));
    if (tab >= 0 && tab + 1 < args.size()) {
        palette.SetCurrentTab(args[tab + 1].toInt());
    }
    palette.show();

    const qsizetype click = args.indexOf(QStringLiteral("--click"));
    if (click >= 0 && click + 1 < args.size()) {
        const QStringList xy = args[click + 1].split(QLatin1Char(','));
        const QPoint at(xy.value(0).toInt(), xy.value(1).toInt());
        QTimer::singleShot(0, [&palette, at] {
            QWidget* target = palette.CurrentTab() == 0
                                  ? static_cast<QWidget*>(palette.BasicPalette())
                                  : static_cast<QWidget*>(palette.Field());
            const QPointF global = target->mapToGlobal(QPointF(at));
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
            QApplication::quit();
        });
    }
    return app.exec();
}
