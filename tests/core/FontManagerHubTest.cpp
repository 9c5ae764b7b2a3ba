// The font manager's calls reach the hub on the user-interface thread.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <filesystem>
#include <thread>
#include <vector>

#include "core/FontManagerHub.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/FontBuilder.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

TEST(FontManagerHubTest, AFontDiscardedOnAWorkerIsToldOnTheHubsThreadNotDropped) {
    int argc = 1;
    char name[] = "fontmanagerhub_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    const fs::path dir =
        fs::temp_directory_path() / ("quillmark-managerhub-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "a.ttf";
    WriteFile(file.string(),
              BuildFont({{"name", NameTable({CNameEntry{3, 1, 0x0409, 4, u"Font"}})}}));

    CQuillmarkSignals hub;
    CFontManagerHub forward(hub);
    CFontManager manager(&forward, nullptr);
    std::vector<const CFontItem*> told;
    std::vector<QThread*> toldOn;
    fs::path toldPath;
    hub.ConnectFontDiscarded([&](const CFontItem* font) {
        told.push_back(font);
        toldOn.push_back(QThread::currentThread());
        toldPath = font->GetPath();  // still alive when told
    });

    // Discarded here: told at once.
    manager.Release(manager.Acquire(file));
    ASSERT_EQ(told.size(), 1u);

    // Discarded on a worker: told later, here.
    CFontItem* item = manager.Acquire(file);
    std::thread worker([&] { manager.Release(item); });
    worker.join();
    EXPECT_EQ(told.size(), 1u) << "nothing is told on the worker";
    QCoreApplication::processEvents();
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told.back(), item);
    EXPECT_EQ(toldOn.back(), app.thread());
    EXPECT_EQ(toldPath, file);
    fs::remove_all(dir);
}
