// A soak of the whole main window: the program as main() starts it, on a
// folder whose fonts a churn thread creates, writes over in place and
// deletes (10,000 operations over five minutes unless told otherwise),
// while the user browses the list and searches Computer again and again
// from the find window. Once the churn has ended and the program has
// settled it checks that memory stayed flat, that the list is in step with
// the folder and that no font item outlived its file. The memory curve
// goes to a CSV file, one line a second.
//
// Not part of the test run: built with the tests so that it keeps
// compiling, registered with ctest only when QUILLMARK_SOAK is on. README
// says how to run it.

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/QuillmarkApp.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FontManager.h"
#include "tests/soak/SoakChecks.h"
#include "tests/soak/SoakChurn.h"
#include "tests/soak/SoakMemory.h"
#include "tests/soak/SoakOptions.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/WaitUntil.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/MainFrame.h"
#include "ui/search/FindController.h"
#include "ui/search/SearchWindows.h"

using namespace Quillmark;
using namespace QuillmarkSoak;
namespace fs = std::filesystem;

namespace {

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer keeps freed memory in quarantine: the resident size says
// nothing of leaks there (LeakSanitizer does, at exit).
constexpr bool kMemoryMeaningful = false;
#else
constexpr bool kMemoryMeaningful = true;
#endif

// Ends the process when the window stops answering: a hang is a failure
// too, and one that would otherwise never end.
class CWatchdog {
public:
    explicit CWatchdog(int seconds) : m_limit(seconds) {
        Beat();
        m_thread = std::thread([this] {
            while (!m_stop) {
                std::this_thread::sleep_for(std::chrono::milliseconds(250));
                if (Now() - m_beat.load() > m_limit * 1000LL) {
                    std::fprintf(stderr, "soak: FAILED: the window did not answer for %d s\n",
                                 m_limit);
                    std::fflush(nullptr);
                    std::abort();
                }
            }
        });
    }
    ~CWatchdog() {
        m_stop = true;
        m_thread.join();
    }
    CWatchdog(const CWatchdog&) = delete;
    CWatchdog& operator=(const CWatchdog&) = delete;
    void Beat() { m_beat = Now(); }

private:
    static long long Now() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    const int m_limit;
    std::atomic<long long> m_beat{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class CSoak {
public:
    CSoak(const COptions& options, const fs::path& home)
        : m_options(options),
          m_folder(home / "Soak Fonts"),
          m_churn(m_folder, ValidDesigns(QUILLMARK_TEST_DATA, 40),
                  {std::chrono::milliseconds(options.seconds * 1000LL), options.operations,
                   options.fonts, options.seed}),
          m_curve(options.csv.toStdString()),
          m_random(options.seed) {}

    int Run();

private:
    bool Start();
    bool OpenFindWindow();
    void Sample();
    void DriveSearch();
    void TakeBaseline(long rssKib, long heapKib);
    void Browse();
    bool Settle();
    void Finish();
    void Fail(const std::string& why) {
        std::fprintf(stderr, "soak: FAILED: %s\n", why.c_str());
        m_failures.push_back(why);
    }
    double Seconds() const { return static_cast<double>(m_clock.elapsed()) / 1000.0; }
    CFontListController* List() const {
        return m_app->MainFrame()->findChild<CFontListController*>();
    }

    const COptions m_options;
    const fs::path m_folder;
    CChurn m_churn;
    CMemoryCurve m_curve;
    std::mt19937 m_random;
    std::unique_ptr<CQuillmarkApp> m_app;
    CFindNameController* m_finder = nullptr;
    std::vector<std::string> m_failures;
    QElapsedTimer m_clock;
    std::string m_phase = "start";

    // The searches.
    bool m_keepSearching = m_options.search;
    bool m_wasSearching = false;
    int m_searches = 0;
    int m_completed = 0;
    QElapsedTimer m_searchClock;
    std::vector<double> m_searchSeconds;

    // The memory curve's marks.
    double m_churnStart = -1;
    double m_churnEnd = -1;
    long m_startRss = 0;
    std::optional<long> m_baseline;
    long m_baselineHeap = 0;
    long m_warmupHeapPeak = 0;
    int m_baselineResults = 0;
    double m_baselineAt = 0;
    long long m_lastSampleMs = -1;
    long long m_worstLag = 0;
    int m_samplesLetGo = 0;  // samples that found results of fonts let go of
    int m_mostLetGo = 0;
    double m_nextReport = 0;
};

bool CSoak::Start() {
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_churn.Seed(m_options.fonts);
    {
        CProgramOptions options;
        options.Load();
        options.SetIncludeSubfolders(false);
        options.SetSearchSubFolders(true);
        if (!options.Save()) {
            Fail("the options could not be saved");
            return false;
        }
    }
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    hooks.ask = [this](const QString& question) {
        Fail("the program asked: " + question.toStdString());
        return false;
    };
    hooks.tell = [this](const QString& message) {
        Fail("the program told: " + message.toStdString());
    };
    m_app = std::make_unique<CQuillmarkApp>(
        QStringList{QStringLiteral("quillmark"), PathText(m_folder)}, hooks);
    if (m_app->InitInstance() != CQuillmarkApp::StartResult::Started) {
        Fail("the program did not start");
        return false;
    }
    CMainFrame* frame = m_app->MainFrame();
    frame->resize(1100, 800);
    QApplication::setActiveWindow(frame);
    List()->SetMessageSink(
        [this](const QString& message) { Fail("the list told: " + message.toStdString()); });
    if (!QuillmarkTest::WaitUntil([this] { return !List()->IsLoading(); }, 60'000)) {
        Fail("the folder did not load within a minute");
        return false;
    }
    return OpenFindWindow();
}

// The find window as the user opens it (View > Search...), looking in
// Computer or a folder, for a name.
bool CSoak::OpenFindWindow() {
    auto* windows = m_app->MainFrame()->findChild<CSearchWindows*>();
    QAction* find = m_app->MainFrame()->Command(QStringLiteral("FindByName"));
    if (windows == nullptr || find == nullptr) {
        Fail("the main window has no find window");
        return false;
    }
    // "This will clear the results of the current search": yes, each time.
    windows->Services().ask = [](QWidget*, const QString&) { return true; };
    windows->Services().tell = [this](QWidget*, const QString& message, const QString&) {
        Fail("the find window told: " + message.toStdString());
    };
    find->trigger();
    m_finder = windows->ByName();
    if (m_finder == nullptr) {
        Fail("View > Search... opened no window");
        return false;
    }
    if (m_options.lookIn == QLatin1String("computer")) {
        const auto& entries = m_finder->LookIn().Entries();
        const auto computer = std::find_if(entries.begin(), entries.end(), [](const auto& entry) {
            return entry.kind == CLookInEntry::Kind::Computer;
        });
        if (computer == entries.end()) {
            Fail("\"Look in:\" offers no Computer");
            return false;
        }
        m_finder->ChooseLocation(static_cast<int>(computer - entries.begin()));
    } else {
        m_finder->SetLocation(m_options.lookIn, false);
    }
    QTest::keyClicks(m_finder->Text(), m_options.text);
    return true;
}

void CSoak::Sample() {
    CMemorySample sample;
    sample.seconds = Seconds();
    sample.phase = m_phase;
    sample.rssKib = ResidentKib();
    sample.anonKib = StatusKib("RssAnon");
    sample.fileKib = StatusKib("RssFile");
    sample.heapKib = HeapInUseKib();
    sample.heapKeptKib = HeapKeptKib();
    sample.rows = List()->Model().rowCount();
    sample.files = m_churn.Files();
    sample.held = m_app->FontManager().Count();
    sample.alive = CFontItem::Alive();
    sample.results = m_finder->Model().rowCount();
    // The windows drop a font whose file went when they are told: at no
    // time may a result hold one that the manager let go of.
    for (int row = 0; row < sample.results; ++row) {
        const CFontItem* item = m_finder->Model().ItemAt(row);
        if (item != nullptr && !m_app->FontManager().Contains(item)) {
            ++sample.resultsLetGo;
        }
    }
    if (sample.resultsLetGo > 0) {
        ++m_samplesLetGo;
        m_mostLetGo = std::max(m_mostLetGo, sample.resultsLetGo);
    }
    sample.searches = m_completed;
    sample.operations = m_churn.Done();
    // A sample is due a second after the last: how late it comes is how
    // long the event loop was busy.
    const long long now = m_clock.elapsed();
    sample.lagMs = m_lastSampleMs < 0 ? 0 : std::max(0LL, now - m_lastSampleMs - 1000);
    m_worstLag = std::max(m_worstLag, sample.lagMs);
    m_lastSampleMs = now;
    if (m_phase == "warm-up") {
        m_warmupHeapPeak = std::max(m_warmupHeapPeak, sample.heapKib);
    }
    if (!m_options.search) {
        TakeBaseline(sample.rssKib, sample.heapKib);
    }
    m_curve.Add(sample);
    if (sample.seconds >= m_nextReport) {
        m_nextReport += 30;
        std::printf(
            "soak: %6.0f s %-8s rss %7ld KiB, rows %4d, files %4zu, held %5zu, "
            "alive %5zu, results %5d, searches %3d, ops %5zu\n",
            sample.seconds, sample.phase.c_str(), sample.rssKib, sample.rows, sample.files,
            sample.held, sample.alive, sample.results, sample.searches, sample.operations);
        std::fflush(stdout);
    }
}

// The resident size after the warm-up, and the most the heap had in use
// during it: the bytes in use swing by a few MB with the churn's and the
// search's work of the moment, which the end (settled, its results whole)
// does not have.
void CSoak::TakeBaseline(long rssKib, long heapKib) {
    if (!m_baseline && m_churnStart >= 0 && Seconds() - m_churnStart >= m_options.warmup) {
        m_baseline = rssKib;
        m_baselineHeap = std::max(m_warmupHeapPeak, heapKib);
        m_baselineResults = m_finder->Model().rowCount();
        m_baselineAt = Seconds();
        m_phase = "churn";
    }
}

// One search after another, each started with the window's Search, as
// long as the churn runs.
void CSoak::DriveSearch() {
    const bool searching = m_finder->IsSearching();
    if (m_wasSearching && !searching) {
        ++m_completed;
        m_searchSeconds.push_back(static_cast<double>(m_searchClock.elapsed()) / 1000.0);
        // The baseline: the first search to end after the warm-up, so that
        // it and the end both hold a whole search's results.
        TakeBaseline(ResidentKib(), HeapInUseKib());
    }
    if (!searching && m_keepSearching) {
        m_finder->Frame().SearchAction()->trigger();
        if (m_finder->IsSearching()) {
            ++m_searches;
            m_searchClock.restart();
        } else {
            Fail("Search started no search");
            m_keepSearching = false;
        }
    }
    m_wasSearching = m_finder->IsSearching();
}

// The user walks the list with the keys, so that the lower pane shows one
// font after another, some of them written over or deleted meanwhile.
void CSoak::Browse() {
    CFontListView* view = List()->View();
    if (view == nullptr || view->model()->rowCount() == 0) {
        return;
    }
    const int pick = std::uniform_int_distribution<int>(0, 19)(m_random);
    const Qt::Key key = pick == 0 ? Qt::Key_Home : (pick == 1 ? Qt::Key_PageDown : Qt::Key_Down);
    QTest::keyClick(view, key);
}

// The list idle (nothing loading, nothing read) for the settle time; false
// when it never is within a few minutes.
bool CSoak::Settle() {
    QElapsedTimer idle;
    idle.start();
    QElapsedTimer limit;
    limit.start();
    while (idle.elapsed() < m_options.settle * 1000LL) {
        QTest::qWait(50);
        if (List()->IsLoading() || List()->IsSynchronising()) {
            idle.restart();
        }
        if (limit.elapsed() > 180'000) {
            return false;
        }
    }
    return true;
}

int CSoak::Run() {
    m_clock.start();
    if (!m_curve.IsOpen()) {
        Fail("the curve's file " + m_options.csv.toStdString() + " cannot be written");
        return 1;
    }
    if (!Start()) {
        return 1;
    }
    m_startRss = ResidentKib();
    CWatchdog watchdog(m_options.hang);
    QTimer sampling;
    sampling.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampling, &QTimer::timeout, [this, &watchdog] {
        watchdog.Beat();
        Sample();
    });
    sampling.start(1000);
    QTimer searching;
    QObject::connect(&searching, &QTimer::timeout, [this] { DriveSearch(); });
    searching.start(100);
    QTimer browsing;
    QObject::connect(&browsing, &QTimer::timeout, [this] { Browse(); });
    if (m_options.browseMs > 0) {
        browsing.start(m_options.browseMs);
    }

    Sample();
    DriveSearch();  // the first search starts
    m_phase = "warm-up";
    m_churnStart = Seconds();
    m_churn.Start();
    while (m_churn.Running()) {
        QTest::qWait(50);
    }
    m_churn.Wait();
    m_churnEnd = Seconds();
    if (!m_baseline) {
        // No search ended after the warm-up: the size at the churn's end.
        if (m_options.search) {
            Fail("no search ended after the warm-up; the baseline is the size at the churn's end");
        }
        m_baseline = ResidentKib();
        m_baselineHeap = std::max(m_warmupHeapPeak, HeapInUseKib());
        m_baselineAt = Seconds();
    }
    // The last search runs to its end; no other starts.
    m_phase = "finish";
    m_keepSearching = false;
    browsing.stop();
    if (!QuillmarkTest::WaitUntil([this] { return !m_finder->IsSearching(); }, 600'000)) {
        Fail("the last search did not end within ten minutes");
        m_finder->Stop();
        QuillmarkTest::WaitUntil([this] { return !m_finder->IsSearching(); }, 60'000);
    }
    DriveSearch();
    searching.stop();
    m_phase = "settle";
    if (!Settle()) {
        Fail("the list never settled after the churn");
    }
    QTest::qWait(1100);  // one more sample, settled
    sampling.stop();
    Finish();
    m_app->MainFrame()->close();
    if (!m_app->ExitInstance()) {
        Fail("the program could not save at exit");
    }
    m_app.reset();
    return m_failures.empty() ? 0 : 1;
}

void CSoak::Finish() {
    const CChurnCounts counts = m_churn.Counts();
    std::printf(
        "\nsoak: churn %zu operations in %.0f s: %zu creates (%zu corrupt or empty, %zu "
        "names again), %zu rewrites in place, %zu deletes, %zu refused; at most %lld ms "
        "behind its time\n",
        m_churn.Done(), m_churnEnd - m_churnStart, counts.creates, counts.corruptCreates,
        counts.reusedNames, counts.rewrites, counts.deletes, counts.failures,
        static_cast<long long>(counts.behind.count()));
    double longest = 0;
    for (double s : m_searchSeconds) {
        longest = std::max(longest, s);
    }
    std::printf(
        "soak: %d searches of %s for \"%s\" ended, the longest %.1f s; the event loop "
        "was at most %lld ms late\n",
        m_completed, m_options.lookIn.toStdString().c_str(), m_options.text.toStdString().c_str(),
        longest, m_worstLag);
    if (m_samplesLetGo > 0) {
        Fail(std::to_string(m_samplesLetGo) +
             " samples found search results of fonts the manager had let go of (at most " +
             std::to_string(m_mostLetGo) + " at once)");
    }
    if (counts.failures > 0) {
        Fail(std::to_string(counts.failures) + " churn operations were refused");
    }

    const CEndReport end = CheckEnd(List()->Model(), m_finder->Model(), m_app->FontManager(),
                                    m_folder, m_churn.Expected(), m_churn.Rewritten());
    std::printf(
        "soak: at the end %zu font files, %zu rows (%zu written over), %zu fonts held "
        "(%zu of the folder), %zu items alive, %zu search results (%zu of the folder)\n",
        end.files, end.rows, end.rewrittenRows, end.held, end.heldInFolder, end.alive, end.results,
        end.resultsInFolder);
    for (const std::string& failure : end.failures) {
        Fail(failure);
    }

    const CMemorySummary memory = m_curve.Summary();
    const auto allowance = [this](double mib, long baseline) {
        return static_cast<long>(
            std::max(mib * 1024.0, static_cast<double>(baseline) * m_options.boundPercent / 100.0));
    };
    const long baseline = *m_baseline;
    const long allowed = allowance(m_options.boundMib, baseline);
    const long allowedHeap = allowance(m_options.heapBoundMib, m_baselineHeap);
    std::printf(
        "soak: resident (KiB): start %ld, after the warm-up %ld (at %.0f s), peak %ld "
        "(sampled; %ld high-water), at the end %ld; allowed %ld above the warm-up\n",
        m_startRss, baseline, m_baselineAt, memory.peakKib, HighWaterKib(), memory.endKib, allowed);
    std::printf(
        "soak: heap in use (KiB): at most %ld in the warm-up (%d search results after it), at "
        "the end %ld (%d search results); allowed %ld above the warm-up\n",
        m_baselineHeap, m_baselineResults, memory.endHeapKib, memory.endResults, allowedHeap);
    if (!kMemoryMeaningful) {
        std::printf("soak: memory is not checked under AddressSanitizer\n");
    } else {
        if (memory.endKib - baseline > allowed) {
            Fail("the resident size grew by " + std::to_string(memory.endKib - baseline) +
                 " KiB after the warm-up, more than the " + std::to_string(allowed) + " allowed");
        }
        if (memory.endHeapKib - m_baselineHeap > allowedHeap) {
            Fail("the heap in use grew by " + std::to_string(memory.endHeapKib - m_baselineHeap) +
                 " KiB above the warm-up's most, more than the " + std::to_string(allowedHeap) +
                 " allowed");
        }
    }
    std::printf("soak: the curve is in %s\n", m_options.csv.toStdString().c_str());
    std::printf(m_failures.empty() ? "soak: passed\n" : "soak: FAILED\n");
}

// The offscreen platform says at each window shown what it cannot do.
QtMessageHandler g_nextHandler = nullptr;
void DropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.startsWith(QLatin1String("This plugin does not support")) &&
        g_nextHandler != nullptr) {
        g_nextHandler(type, context, text);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // HOME and the XDG folders in a temporary folder, before Qt reads them.
    const auto& home = QuillmarkTest::TemporaryHome();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    g_nextHandler = qInstallMessageHandler(DropPlatformNotes);
    QApplication qt(argc, argv);
    const std::optional<COptions> options = ParseOptions(QApplication::arguments());
    if (!options) {
        return 2;
    }
    CSoak soak(*options, home.Root());
    return soak.Run();
}
