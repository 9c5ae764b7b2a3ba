// The folder tree on big folders, offscreen, with its view:
//   expand   a folder of 10,000 subfolders, until its rows are laid out;
//   follow   2,000 expanded folders (each with a subfolder of its own): a
//            folder made in one of them shown, and every watch a kernel
//            inotify watch (Qt falls back to polling only without inotify).
// Folders live in the system's temporary folder; the first run makes them.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>
#include <memory>

#include "ui/browse/FolderTreeModel.h"
#include "ui/browse/FolderTreeView.h"

using namespace Quillmark;

namespace {

QTemporaryDir& Scratch() {
    static QTemporaryDir dir;
    return dir;
}

QString MakeFolders(const QString& name, int count, int inner) {
    const QString root = Scratch().filePath(name);
    if (!QFileInfo::exists(root)) {
        for (int i = 0; i < count; ++i) {
            const QString folder = QStringLiteral("%1/Folder %2").arg(root).arg(i);
            QDir().mkpath(inner > 0 ? folder + QStringLiteral("/inner") : folder);
        }
    }
    return root;
}

// The inotify watches this process holds, as the kernel counts them.
int KernelWatches() {
    int watches = 0;
    DIR* fds = ::opendir("/proc/self/fd");
    if (fds == nullptr) {
        return -1;
    }
    while (const dirent* entry = ::readdir(fds)) {
        char target[256] = {};
        const QByteArray link = QByteArray("/proc/self/fd/") + entry->d_name;
        if (::readlink(link.constData(), target, sizeof target - 1) <= 0 ||
            QByteArray(target) != "anon_inode:inotify") {
            continue;
        }
        QFile info(QStringLiteral("/proc/self/fdinfo/") + QString::fromLatin1(entry->d_name));
        if (info.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : info.readAll().split('\n')) {
                watches += line.startsWith("inotify wd:");
            }
        }
    }
    ::closedir(fds);
    return watches;
}

void Settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

void BM_ExpandFolderOf10000Subfolders(benchmark::State& state) {
    const QString big = MakeFolders(QStringLiteral("big"), 10000, 0);
    for (auto _ : state) {
        state.PauseTiming();
        CFolderTreeModel model({Scratch().path(), Scratch().path(), QStringLiteral("/")});
        CFolderTreeView view(model);
        view.resize(300, 700);
        view.show();
        model.fetchMore(model.DesktopIndex());
        view.expand(model.DesktopIndex());
        const QModelIndex index = model.IndexForPath(big);
        view.scrollTo(index, QAbstractItemView::PositionAtTop);
        QApplication::processEvents();
        state.ResumeTiming();

        // Listed (on a worker: the window shows "Reading…" meanwhile), sorted,
        // laid out, painted, and the rows in sight watched.
        view.expand(index);
        QElapsedTimer listing;
        listing.start();
        while (!model.IsLoaded(index) && listing.elapsed() < 10000) {
            QApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        view.viewport()->repaint();
        QApplication::processEvents();
        benchmark::DoNotOptimize(view.visualRect(model.index(20, 0, index)));

        state.PauseTiming();
        if (model.rowCount(index) != 10000) {
            state.SkipWithError("not all 10,000 subfolders listed");
            break;
        }
        state.counters["watches"] = model.WatchCount();
        state.counters["refused"] = model.RefusedWatchCount();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExpandFolderOf10000Subfolders)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Follow2000ExpandedFolders(benchmark::State& state) {
    const QString root = MakeFolders(QStringLiteral("many"), 2000, 1);
    CFolderTreeModel model({root, root, QStringLiteral("/")});
    QElapsedTimer expanding;
    expanding.start();
    model.fetchMore(model.DesktopIndex());
    for (int i = 0; i < 2000; ++i) {
        model.fetchMore(model.IndexForPath(QStringLiteral("%1/Folder %2").arg(root).arg(i)));
    }
    state.counters["expand_all_ms"] = static_cast<double>(expanding.elapsed());
    state.counters["watches"] = model.WatchCount();
    state.counters["refused"] = model.RefusedWatchCount();
    state.counters["kernel_inotify_watches"] = KernelWatches();
    if (model.RefusedWatchCount() != 0 || KernelWatches() < model.WatchCount()) {
        state.SkipWithError("not every folder has a kernel watch");
        return;
    }

    int round = 0;
    for (auto _ : state) {
        // A folder made far down the list: time until the tree shows it
        // (the tree waits 150 ms for a burst of changes to settle).
        const QString folder = QStringLiteral("%1/Folder %2").arg(root).arg(1999 - round % 2000);
        const QString made = QStringLiteral("%1/new %2").arg(folder).arg(round++);
        QDir().mkdir(made);
        const QModelIndex parent = model.IndexForPath(folder);
        QElapsedTimer seen;
        seen.start();
        while (model.rowCount(parent) < 2 && seen.elapsed() < 5000) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        if (model.rowCount(parent) < 2) {
            state.SkipWithError("the new folder was not shown within 5 s");
            break;
        }
        state.PauseTiming();
        QDir().rmdir(made);
        Settle(300);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Follow2000ExpandedFolders)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
