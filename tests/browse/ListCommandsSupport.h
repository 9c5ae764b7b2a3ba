#pragma once

// A main font list with its commands and services, offscreen, for the
// tests of the list's commands, drags and drops.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "collections/FontProjects.h"
#include "core/FontManagerHub.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "platform/FontSystem.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/WaitUntil.h"
#include "ui/browse/FontListCommands.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"

namespace QuillmarkTest {

inline const CTemporaryHome& Home() {
    return TemporaryHome();
}

inline QString HomePath(const char* name) {
    return QString::fromStdString((Home().Root() / name).string());
}

// A fresh, empty folder under the test home.
inline QString FreshFolder(const char* name) {
    const QString folder = HomePath(name);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

// `count` copies of the test fonts as f0.ttf, f1.ttf...
inline QString FontFolder(const char* name, int count) {
    const QString folder = FreshFolder(name);
    const char* fonts[] = {"twin-a.ttf", "twin-b.ttf", "twin-bold.ttf", "symbol.ttf"};
    for (int i = 0; i < count; ++i) {
        const QString to = folder + QStringLiteral("/f%1.ttf").arg(i);
        EXPECT_TRUE(QFile::copy(QStringLiteral(QUILLMARK_TEST_DATA "/") + fonts[i % 4], to));
    }
    return folder;
}

// Shares fonts by doing nothing but recording that they are.
class CSharingFontSystem : public Quillmark::Platform::IFontSystem {
public:
    bool IsInstalledFolder(const std::filesystem::path&) override { return false; }
    void Register(const std::filesystem::path&, std::uint32_t) override {}
    void Unregister(const std::filesystem::path&, std::uint32_t) override {}
};

// What the commands asked and did through their hooks.
struct CHookLog {
    int confirmDelete = 0;
    QStringList collections;  // of the last question
    bool confirmAnswer = true;
    QStringList asked;  // titles of Yes/No questions
    bool askAnswer = true;
    QStringList told;
    QStringList opened;
    QStringList shown;
    QStringList cacheRefreshes;
    QStringList clashes;  // existing paths asked about
    Quillmark::Platform::ConflictChoice clashAnswer = Quillmark::Platform::ConflictChoice::KeepBoth;
    std::vector<int> help;
};

struct CCommandsFixture {
    CSharingFontSystem fontSystem;
    Quillmark::CQuillmarkSignals hub;
    Quillmark::CProgramOptions options;
    Quillmark::CFontManagerHub managerHub{hub};
    Quillmark::CFontManager manager{&managerHub, &fontSystem};
    Quillmark::CFontProjects projects;
    Quillmark::CQuillmarkDoc document{hub, options, manager, HomePath("fonts-folder")};
    std::unique_ptr<Quillmark::CFontListController> list;
    std::unique_ptr<QWidget> window;
    Quillmark::CFontListView* view = nullptr;
    Quillmark::CFontListCommands* commands = nullptr;
    CHookLog log;
    int loads = 0;

    explicit CCommandsFixture(Quillmark::CFontListCommands::Hooks extra = {}) {
        list = std::make_unique<Quillmark::CFontListController>(hub, options, manager, projects,
                                                                document, QApplication::font());
        view = list->View();
        QObject::connect(list.get(), &Quillmark::CFontListController::FolderLoaded,
                         [this] { ++loads; });
        window = std::make_unique<QWidget>();
        view->setParent(window.get());
        view->resize(700, 500);
        window->resize(700, 500);
        window->show();
        commands = new Quillmark::CFontListCommands(*view, hub, manager, document, options,
                                                    Quillmark::FontListKind::MainList,
                                                    Hooks(std::move(extra)), list.get());
    }
    ~CCommandsFixture() {
        window.reset();
        list.reset();
    }

    Quillmark::CFontListCommands::Hooks Hooks(Quillmark::CFontListCommands::Hooks hooks) {
        using namespace Quillmark;
        if (!hooks.confirmDelete)
            hooks.confirmDelete = [this](int files, const QStringList& collections) {
                log.confirmDelete = files;
                log.collections = collections;
                return log.confirmAnswer;
            };
        if (!hooks.ask)
            hooks.ask = [this](const QString& title, const QString&) {
                log.asked.append(title);
                return log.askAnswer;
            };
        if (!hooks.askDeleteForGood)
            hooks.askDeleteForGood = [this](const QString& path, const QString&) {
                log.asked.append(QStringLiteral("for good: ") + path);
                return false;
            };
        if (!hooks.tell)
            hooks.tell = [this](const QString&, const QString& text) { log.told.append(text); };
        if (!hooks.conflictAsker)
            hooks.conflictAsker = [this](Platform::ConflictChoice) {
                return [this](const QString&, const QString& existing) {
                    log.clashes.append(existing);
                    return log.clashAnswer;
                };
            };
        if (!hooks.open)
            hooks.open = [this](const QString& path) {
                log.opened.append(path);
                return true;
            };
        if (!hooks.showInFileManager)
            hooks.showInFileManager = [this](const QStringList& paths) {
                log.shown.append(paths);
                return true;
            };
        if (!hooks.showProperties)
            hooks.showProperties = [](const QString&, const QList<QPair<QString, QString>>&) {};
        if (!hooks.showHelp)
            hooks.showHelp = [this](int id) { log.help.push_back(id); };
        if (!hooks.refreshFontCache)
            hooks.refreshFontCache = [this](const QString& folder) {
                log.cacheRefreshes.append(folder);
            };
        return hooks;
    }

    void Load(const QString& folder) {
        const int before = loads;
        hub.FireFolderSelected(folder, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return loads > before; })) << "the load never ended";
    }
    Quillmark::CFontListModel& Model() const { return list->Model(); }
    void SelectAll() { view->selectAll(); }
    void SelectRows(std::initializer_list<int> rows) {
        view->clearSelection();
        for (int row : rows) {
            view->selectionModel()->select(Model().index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    int RowOfFile(const QString& name) const { return Model().RowOfFileName(name); }
};

}  // namespace QuillmarkTest
