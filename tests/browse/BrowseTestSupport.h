#pragma once

// What the main window's tests share: a hub, options, a document and the
// stores, in a home of their own.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include "collections/FavoriteFolders.h"
#include "collections/FontProjects.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/TemporaryHome.h"

namespace QuillmarkTest {

inline const QString kTestData = QStringLiteral(QUILLMARK_TEST_DATA);

// A fresh folder under the temporary home.
inline QString FreshFolder(const QString& name) {
    const QString folder =
        QString::fromStdString((TemporaryHome().Root() / "browse").string()) + '/' + name;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

inline void RunEvents(int milliseconds = 0) {
    QElapsedTimer timer;
    timer.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (timer.elapsed() < milliseconds);
}

struct CWorld {
    Quillmark::CQuillmarkSignals hub;
    Quillmark::CProgramOptions options;
    Quillmark::CFontManager manager{nullptr, nullptr};
    Quillmark::CFontProjects projects;
    Quillmark::CFavoriteFolders favorites;
    Quillmark::CQuillmarkDoc document{hub, options, manager, FreshFolder("fonts")};
};

}  // namespace QuillmarkTest
