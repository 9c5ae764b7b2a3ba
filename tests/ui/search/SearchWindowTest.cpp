// The search windows as the user meets them: Search with and without
// results, Stop, the status texts, the options menu of each location, a
// project, a source font let go of, and closing while a search runs.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <atomic>
#include <filesystem>
#include <thread>

#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "fontdata/item/FontItem.h"
#include "render/ExactFont.h"
#include "render/PreviewLine.h"
#include "tests/search/SearchFonts.h"
#include "tests/support/TemporaryHome.h"
#include "ui/common/FontListDelegate.h"
#include "ui/search/FindController.h"
#include "ui/search/FindFrame.h"
#include "ui/search/SearchSession.h"
#include "ui/search/SearchWindows.h"
#include "ui/search/SourceSample.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();

bool RunUntil(const std::function<bool()>& done, int milliseconds = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

QStringList MenuTexts(CFindController& controller) {
    QMenu menu;
    controller.FillOptionsMenu(menu);
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        texts << action->text();
    }
    return texts;
}

class SearchWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_fonts = kHome.Root() / ("fonts-" + std::to_string(m_next++));
        WriteSearchFont(m_fonts / "sub/inner.ttf", {.fullName = u"Inner Sans"});
        WriteSearchFont(m_fonts / "own.ttf", {.fullName = u"Own Sans"});
        WriteSearchFont(m_fonts / "serif.ttf", {.fullName = u"Serif"});
    }
    void TearDown() override {
        std::vector<QPointer<CFindFrame>> windows;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* frame = qobject_cast<CFindFrame*>(window))
                windows.emplace_back(frame);
        }
        for (const auto& window : windows) delete window.data();
        fs::remove_all(m_fonts);
    }

    CSearchServices Services() {
        CSearchServices services{
            m_hub, m_options, m_manager, m_projects, QApplication::font(), {}, {}, {}, {}, {}, {}};
        services.ask = [this](QWidget*, const QString& question) {
            m_questions << question;
            return m_answer;
        };
        services.tell = [this](QWidget*, const QString& message, const QString& detail) {
            m_told << message;
            m_details << detail;
        };
        services.chooseProject = [this](QWidget*) { return m_chosenProject; };
        services.places = [this] {
            CLookInPlaces places;
            places.desktop = PathText(kHome.Root() / "Desktop");
            places.home = PathText(kHome.Root());
            places.fontsFolder = PathText(kHome.Root() / ".local/share/fonts");
            places.volumes = {{"/", false}};
            return places;
        };
        return services;
    }

    CFindNameController* OpenName(const QString& text) {
        auto* window = CFindNameController::Open(Services(), nullptr, PathText(m_fonts), false);
        window->Text()->setText(text);
        return window;
    }

    static bool Idle(CFindController& window) {
        return RunUntil([&] { return !window.IsSearching(); });
    }

    static int m_next;
    fs::path m_fonts;
    CQuillmarkSignals m_hub;
    CProgramOptions m_options;
    CFontManager m_manager{nullptr, nullptr};
    CFontProjects m_projects;
    QStringList m_questions;
    QStringList m_told;
    QStringList m_details;
    bool m_answer = false;
    QString m_chosenProject;
};
int SearchWindowTest::m_next = 0;

QStringList Names(const CSearchResultsModel& model) {
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row) names << model.index(row, 0).data().toString();
    return names;
}

}  // namespace

TEST_F(SearchWindowTest, SearchAsksBeforeClearingResultsAndTellsHowItEnded) {
    CFindNameController* window = OpenName("sans");
    CFindFrame& frame = window->Frame();
    EXPECT_EQ(frame.windowTitle(), "Find font by name...");
    EXPECT_EQ(frame.Status()->Text(), "");
    EXPECT_EQ(window->LookIn().At(frame.LookIn()->currentIndex())->path, PathText(m_fonts));

    frame.SearchAction()->trigger();
    EXPECT_TRUE(m_questions.isEmpty());  // nothing to clear: no question
    EXPECT_FALSE(frame.SearchAction()->isEnabled());
    EXPECT_TRUE(frame.StopAction()->isEnabled());
    ASSERT_TRUE(Idle(*window));
    EXPECT_EQ(Names(window->Model()), (QStringList{"Inner Sans", "Own Sans"}));
    EXPECT_EQ(frame.Status()->Text(), "Search complete.  Files Found: 2");
    EXPECT_FALSE(frame.Status()->IsAnimating());
    EXPECT_TRUE(frame.SearchAction()->isEnabled());
    EXPECT_FALSE(frame.StopAction()->isEnabled());

    // With results: No keeps them and starts nothing.
    window->Text()->setText("serif");
    QTest::keyClick(window->Text(), Qt::Key_Return);  // Enter searches as the button does
    ASSERT_EQ(m_questions.size(), 1);
    EXPECT_TRUE(m_questions[0].startsWith("You are about to begin a new search."));
    EXPECT_FALSE(window->IsSearching());
    EXPECT_EQ(window->Model().rowCount(), 2);
    // Yes clears them and searches.
    m_answer = true;
    frame.SearchAction()->trigger();
    ASSERT_TRUE(Idle(*window));
    EXPECT_EQ(Names(window->Model()), (QStringList{"Serif"}));
    EXPECT_EQ(frame.Status()->Text(), "Search complete.  Files Found: 1");
}

// A font found while its file goes (deleted, or written over and read
// again by the list): the windows are told to drop it before its result
// reaches the window, which must not list it after all.
TEST_F(SearchWindowTest, AFontWhoseFileWentBeforeItsResultCameIsNotListed) {
    CFindNameController* window = OpenName("own");
    const fs::path own = m_fonts / "own.ttf";
    window->Session().SetOpener([&](const fs::path& path) {
        CFontHandle font = m_manager.Open(path);
        if (path == own) {
            // Posted now, before the worker hands the font over: it runs
            // first, as the list's synchronisation does when it comes first.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [this, own, item = font.get()] {
                    m_hub.FireFontRemoved(item);  // the manager tells, then drops it
                    m_manager.RemoveFile(own);
                },
                Qt::QueuedConnection);
        }
        return font;
    });
    window->Search();
    ASSERT_TRUE(Idle(*window));
    EXPECT_EQ(Names(window->Model()), QStringList{});
    EXPECT_EQ(window->Frame().Status()->Text(), "Search complete.  Files Found: 0");
    // Found again once the list has read the file anew.
    m_answer = true;
    window->Session().SetOpener({});
    window->Search();
    ASSERT_TRUE(Idle(*window));
    EXPECT_EQ(Names(window->Model()), QStringList{"Own Sans"});
}

TEST_F(SearchWindowTest, StopEndsWithTheCountOfResultsShown) {
    for (int i = 0; i < 60; ++i) {
        WriteSearchFont(m_fonts / ("many" + std::to_string(100 + i) + ".ttf"),
                        {.fullName = u"Many Sans"});
    }
    CFindNameController* window = OpenName("sans");
    std::atomic<int> opened{0};
    window->Session().SetOpener([&](const fs::path& path) {
        if (++opened > 5) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return m_manager.Open(path);
    });
    window->Search();
    ASSERT_TRUE(RunUntil([&] { return window->Model().rowCount() >= 3; }));
    EXPECT_TRUE(window->Frame().Status()->IsAnimating());
    EXPECT_TRUE(window->Frame().Status()->Text().startsWith("Searching "));
    window->Frame().StopAction()->trigger();
    EXPECT_FALSE(window->Frame().StopAction()->isEnabled());  // one Stop only
    EXPECT_TRUE(window->IsStopRequested());
    ASSERT_TRUE(Idle(*window));
    const int shown = window->Model().rowCount();
    EXPECT_LT(shown, 62);
    EXPECT_EQ(window->Frame().Status()->Text(),
              QString("Search was canceled.  Files Found: %1").arg(shown));
    EXPECT_EQ(window->Frame().Status()->GetState(), CFindStatusBar::State::Canceled);
    // The program's closing stops a search as Stop does.
    m_answer = true;
    window->Search();
    m_hub.FireApplicationClosing();
    ASSERT_TRUE(Idle(*window));
    EXPECT_TRUE(window->Frame().Status()->Text().startsWith("Search was canceled."));
}

TEST_F(SearchWindowTest, ErrorsLeaveTheWindowIdleAndSaySo) {
    CFindNameController* window = OpenName("(");
    QMenu menu;
    window->FillOptionsMenu(menu);
    menu.actions().at(3)->trigger();  // Use regular expression
    window->Search();
    ASSERT_EQ(m_told.size(), 1);
    EXPECT_TRUE(m_told[0].startsWith("Error in regular expression"));
    EXPECT_FALSE(window->IsSearching());
    EXPECT_TRUE(window->Frame().SearchAction()->isEnabled());
    // An empty text starts nothing and asks nothing.
    window->Text()->clear();
    window->Search();
    EXPECT_FALSE(window->IsSearching());

    // A folder that went away: said in the status, never "searching" for ever.
    window->Text()->setText("x");
    fs::remove_all(m_fonts);
    window->Search();
    ASSERT_TRUE(Idle(*window));
    EXPECT_TRUE(
        window->Frame().Status()->Text().startsWith("Could not search " + PathText(m_fonts)))
        << window->Frame().Status()->Text().toStdString();
    EXPECT_FALSE(window->Frame().Status()->IsAnimating());
}

TEST_F(SearchWindowTest, AnExpressionInErrorLeavesTheResultsAndGivesTheLibrarysWordsApart) {
    CFindNameController* window = OpenName("sans");
    window->Search();
    ASSERT_TRUE(Idle(*window));
    ASSERT_EQ(window->Model().rowCount(), 2);
    QMenu menu;
    window->FillOptionsMenu(menu);
    menu.actions().at(3)->trigger();  // Use regular expression
    window->Text()->setText("(sans");
    m_answer = true;
    window->Search();
    // Told before anything is asked or cleared: the results stay.
    EXPECT_TRUE(m_questions.isEmpty());
    EXPECT_EQ(Names(window->Model()), (QStringList{"Inner Sans", "Own Sans"}));
    EXPECT_EQ(m_told, QStringList{"Error in regular expression"});
    ASSERT_EQ(m_details.size(), 1);
    EXPECT_FALSE(m_details[0].isEmpty());
    EXPECT_FALSE(m_details[0].contains("Error in regular expression"));
    EXPECT_FALSE(window->IsSearching());
}

TEST_F(SearchWindowTest, OpenedAgainTheWindowComesForwardWithTheKeyboardInLookFor) {
    std::pair<QString, bool> shown{PathText(m_fonts), false};
    CSearchWindows windows(Services(), nullptr, [&] { return shown; });
    CFindNameController* window = windows.FindByName();
    ASSERT_NE(window, nullptr);
    CFindFrame& frame = window->Frame();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    EXPECT_EQ(QApplication::focusWidget(), window->Text());
    // Typed, then Enter: searched at once, nothing to ask about.
    QTest::keyClicks(window->Text(), "sans");
    QTest::keyClick(window->Text(), Qt::Key_Return);
    EXPECT_TRUE(m_questions.isEmpty());
    ASSERT_TRUE(Idle(*window));
    EXPECT_EQ(window->Model().rowCount(), 2);

    // Another window in front, then Ctrl+F again: the same window, its
    // results kept, the keyboard in "Look for" with the text selected.
    frame.Results()->setFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(windows.FindByName(), window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    EXPECT_EQ(QApplication::focusWidget(), window->Text());
    EXPECT_EQ(window->Text()->selectedText(), "sans");
    EXPECT_EQ(window->Model().rowCount(), 2);
    int shownWindows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        shownWindows += qobject_cast<CFindFrame*>(widget) != nullptr && widget->isVisible();
    }
    EXPECT_EQ(shownWindows, 1);

    // Escape closes it; the next opening makes a new one, here at the computer.
    QPointer<CFindFrame> closing(&frame);
    QTest::keyClick(window->Text(), Qt::Key_Escape);
    EXPECT_FALSE(closing->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull());
    EXPECT_EQ(windows.ByName(), nullptr);
    shown = {"::computer", false};
    CFindNameController* again = windows.FindByName();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->LookIn().At(again->Frame().LookIn()->currentIndex())->kind,
              CLookInEntry::Kind::Computer);
    EXPECT_EQ(again->Frame().LookIn()->currentText(), "Computer");

    // Find similar opens in front too, the keyboard in "Look in"; Escape
    // from its results closes it.
    CFontHandle source = m_manager.Open(m_fonts / "own.ttf");
    CFindSimilarController* similar = windows.FindSimilar(source.get());
    ASSERT_NE(similar, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&similar->Frame()));
    EXPECT_EQ(QApplication::focusWidget(), similar->Frame().LookIn());
    EXPECT_EQ(similar->LookIn().At(similar->Frame().LookIn()->currentIndex())->kind,
              CLookInEntry::Kind::Computer);
    similar->Frame().Results()->setFocus();
    QTest::keyClick(similar->Frame().Results(), Qt::Key_Escape);
    EXPECT_FALSE(similar->Frame().isVisible());
}

TEST_F(SearchWindowTest, TheStatusStartsEmptyAndALongPathNeverWidensTheWindow) {
    CFindNameController* window = OpenName("sans");
    CFindFrame& frame = window->Frame();
    EXPECT_TRUE(frame.Status()->Text().isEmpty());
    EXPECT_EQ(frame.Status()->GetState(), CFindStatusBar::State::Idle);
    // Nothing was shown searching (a project's search): a cancel keeps the idle icon.
    frame.Status()->ShowCanceled(0);
    EXPECT_EQ(frame.Status()->GetState(), CFindStatusBar::State::Idle);
    EXPECT_EQ(frame.Status()->Text(), "Search was canceled.  Files Found: 0");

    const QRect screen = frame.screen()->availableGeometry();
    frame.setGeometry(screen.left() + 40, screen.top() + 40, 640, 360);
    QCoreApplication::processEvents();
    QString path = "/media/ann/Archive";
    while (path.size() < 3000) {
        path += "/a rather long folder name of fonts";
    }
    frame.Status()->ShowSearching(path + "/Serif");
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.width(), 640);
    EXPECT_LT(frame.minimumSizeHint().width(), screen.width());
    EXPECT_EQ(frame.Status()->Text(), "Searching " + path + "/Serif...");
    const QString shownText = frame.Status()->ShownText();
    EXPECT_TRUE(shownText.startsWith("Searching /media/ann/")) << shownText.toStdString();
    EXPECT_TRUE(shownText.endsWith("/Serif...")) << shownText.toStdString();
    EXPECT_TRUE(shownText.contains(QChar(0x2026)));
    EXPECT_LT(shownText.size(), 200);
    // The icon tells of the search as it goes, then of its cancel.
    EXPECT_EQ(frame.Status()->GetState(), CFindStatusBar::State::Searching);
    EXPECT_TRUE(frame.grab().toImage().save(QDir::tempPath() + "/quillmark-search-long-path.png"));
    frame.Status()->ShowCanceled(3);
    EXPECT_EQ(frame.Status()->GetState(), CFindStatusBar::State::Canceled);
    frame.Status()->ShowComplete(3);
    EXPECT_EQ(frame.Status()->GetState(), CFindStatusBar::State::Idle);
}

TEST_F(SearchWindowTest, OptionsMenuEntriesFollowTheLocationAndAreKept) {
    CFindNameController* window = OpenName("x");
    EXPECT_EQ(MenuTexts(*window), (QStringList{"Search subfolders", "Match case",
                                               "Match whole word", "Use regular expression"}));
    int computer = -1;
    for (int i = 0; i < static_cast<int>(window->LookIn().Entries().size()); ++i) {
        if (window->LookIn().At(i)->kind == CLookInEntry::Kind::Computer)
            computer = i;
    }
    ASSERT_GE(computer, 0);
    window->ChooseLocation(computer);
    EXPECT_EQ(MenuTexts(*window).back(), "Search removable disks");

    QMenu menu;
    window->FillOptionsMenu(menu);
    for (QAction* action : menu.actions()) action->trigger();  // each toggles its own
    m_options.SetSearchSubFolders(true);
    window->Frame().close();
    EXPECT_FALSE(m_options.GetSearchSubFolders());
    EXPECT_TRUE(m_options.GetSearchMatchCase());
    EXPECT_TRUE(m_options.GetSearchMatchWord());
    EXPECT_TRUE(m_options.GetSearchUsingRegex());
    EXPECT_TRUE(m_options.GetSearchRemovableDisks());
    EXPECT_NE(m_options.GetFindWindowSize()[0], -1);

    // Find similar: no name options.
    CFontHandle source = m_manager.Open(m_fonts / "own.ttf");
    auto* similar =
        CFindSimilarController::Open(Services(), nullptr, source, PathText(m_fonts), false);
    EXPECT_EQ(MenuTexts(*similar), QStringList{"Search subfolders"});
    similar->ChooseLocation(computer);
    EXPECT_EQ(MenuTexts(*similar), (QStringList{"Search subfolders", "Search removable disks"}));
}

TEST_F(SearchWindowTest, ThePlacementOfAFirstOpeningIsTheMiddleHalf) {
    EXPECT_EQ(CFindController::Placement(m_options, QRect(0, 0, 1600, 1000)),
              QRect(400, 250, 800, 500));
    EXPECT_EQ(CFindController::Placement(m_options, QRect(10, 20, 1001, 801)),
              QRect(260, 220, 501, 401));
    m_options.SetFindWindowPos({5, 6});
    m_options.SetFindWindowSize({700, 300});
    EXPECT_EQ(CFindController::Placement(m_options, QRect(0, 0, 1600, 1000)),
              QRect(5, 6, 700, 300));
}

TEST_F(SearchWindowTest, AProjectIsSearchedAsItWasWhenTheSearchStarted) {
    m_projects.AddProject("Mine");
    m_projects.AddFont("Mine", PathText(m_fonts / "own.ttf"));
    m_projects.AddFont("Mine", PathText(m_fonts / "serif.ttf"));
    CFindNameController* window =
        CFindNameController::Open(Services(), nullptr, QStringLiteral("Mine"), true);
    window->Text()->setText("s");
    std::atomic<bool> release{false};
    window->Session().SetOpener([&](const fs::path& path) {
        while (!release.load()) std::this_thread::yield();
        return m_manager.Open(path);
    });
    window->Search();
    // The store changes while the worker waits: the search keeps its copy.
    m_projects.RemoveFont("Mine", PathText(m_fonts / "serif.ttf"));
    m_projects.DeleteProject("Mine");
    release = true;
    ASSERT_TRUE(Idle(*window));
    EXPECT_EQ(Names(window->Model()), (QStringList{"Own Sans", "Serif"}));
    EXPECT_EQ(window->Frame().Status()->Text(), "Search complete.  Files Found: 2");

    // Choosing another project: cancelled, the location stays.
    const int before = window->Frame().LookIn()->currentIndex();
    int command = before - 1;
    window->ChooseLocation(command);
    EXPECT_EQ(window->Frame().LookIn()->currentIndex(), before);
    m_chosenProject = "Other";
    window->ChooseLocation(command);
    EXPECT_EQ(window->LookIn().At(window->Frame().LookIn()->currentIndex())->path, "Other");
}

TEST_F(SearchWindowTest, ASourceLetGoOfLeavesTheSampleAndTheSearchWorking) {
    CFontHandle source = m_manager.Open(m_fonts / "own.ttf");
    const CFontItem* item = source.get();
    auto* similar = CFindSimilarController::Open(Services(), nullptr, std::move(source),
                                                 PathText(m_fonts), false);
    EXPECT_EQ(similar->Frame().windowTitle(), "Find fonts similar to Own Sans");
    EXPECT_TRUE(similar->Sample()->DrawsFromFont());
    EXPECT_EQ(m_hub.FireReleaseFont(item), 1);
    EXPECT_EQ(similar->Source(), nullptr);
    EXPECT_FALSE(similar->Sample()->DrawsFromFont());
    EXPECT_EQ(similar->Sample()->Text(), "Preview unavailable.  Font has been moved or deleted.");
    similar->Search();
    ASSERT_TRUE(Idle(*similar));
    // The bytes kept from the start still find its twins (the source's own
    // file too, now that it is not the source any more).
    EXPECT_EQ(similar->Model().rowCount(), 3);
    EXPECT_EQ(similar->Model().index(0, 1).data().toString(), "Identical");

    auto* character = CFindCharacterController::Open(
        Services(), nullptr, u'Q', "LATIN CAPITAL LETTER Q", m_manager.Open(m_fonts / "serif.ttf"),
        PathText(m_fonts), false);
    EXPECT_EQ(character->Frame().windowTitle(), "Find fonts containing LATIN CAPITAL LETTER Q");
    character->Search();
    ASSERT_TRUE(Idle(*character));
    // Every font but the source, which has the character too.
    EXPECT_EQ(Names(character->Model()), (QStringList{"Inner Sans", "Own Sans"}));
}

TEST_F(SearchWindowTest, ClosingDuringASearchStopsItsWorkerFirst) {
    for (int i = 0; i < 40; ++i) {
        WriteSearchFont(m_fonts / ("many" + std::to_string(100 + i) + ".ttf"),
                        {.fullName = u"Many Sans"});
    }
    CFindNameController* window = OpenName("sans");
    QPointer<CFindFrame> frame = &window->Frame();
    std::atomic<int> opened{0};
    window->Session().SetOpener([&](const fs::path& path) {
        ++opened;
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        return m_manager.Open(path);
    });
    window->Search();
    ASSERT_TRUE(RunUntil([&] { return opened.load() > 3; }));
    frame->close();
    ASSERT_TRUE(RunUntil([&] { return frame.isNull(); }));  // deleted on close
    const int after = opened.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QApplication::processEvents();
    EXPECT_EQ(opened.load(), after);  // the worker has ended
    EXPECT_LT(after, 43);
}

TEST_F(SearchWindowTest, APaintOutOfTimeLeavesFontsNotYetReadForTheNextOne) {
    const fs::path data = QUILLMARK_TEST_DATA;
    CSearchResultsModel model(CSearchResultsModel::NameResults);
    std::vector<CSearchResultsModel::CResult> results;
    for (const char* name : {"twin-a.ttf", "twin-b.ttf", "arrows.ttf"}) {
        results.push_back({m_manager.Open(data / name), 0});
    }
    model.AddResults(std::move(results));
    ASSERT_EQ(model.rowCount(), 3);
    Platform::CExactFontCache::Instance().Clear();

    CFontListDelegate delegate(m_options, QApplication::font());
    const int height = delegate.RowHeight();
    const CFontListDelegate::CColumns columns{{0, 100, 200}, {100, 100, 100}};
    QImage image(300, height * 3, QImage::Format_RGB32);
    QPainter painter(&image);
    const auto paint = [&](int row) {
        delegate.PaintRow(&painter, QRect(0, row * height, 300, height), model.index(row, 0), false,
                          columns, QPalette());
    };
    const auto read = [&](int row) {
        return PreviewLineReady(*model.FontAt(row), delegate.PreviewLook());
    };
    const auto spend = [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };

    delegate.BeginPaint(1);
    spend();
    paint(0);  // one font is read in every paint, however late
    EXPECT_TRUE(read(0));
    EXPECT_FALSE(delegate.LeftSomeUndrawn());
    paint(1);
    EXPECT_FALSE(read(1));
    EXPECT_TRUE(delegate.LeftSomeUndrawn());
    paint(0);  // open already: costs nothing, drawn
    EXPECT_TRUE(delegate.LeftSomeUndrawn());

    delegate.BeginPaint(1);  // the next paint takes up what was left
    EXPECT_FALSE(delegate.LeftSomeUndrawn());
    paint(1);
    EXPECT_TRUE(read(1));

    delegate.BeginPaint(0);  // no limit: everything at once
    spend();
    paint(2);
    EXPECT_TRUE(read(2));
    EXPECT_FALSE(delegate.LeftSomeUndrawn());
}

TEST_F(SearchWindowTest, AFontThatCannotBeDrawnIsReadOnceNotInEveryPaint) {
    // These fonts hold no outlines the desktop's rasteriser accepts.
    CSearchResultsModel model(CSearchResultsModel::NameResults);
    model.AddResults({{m_manager.Open(m_fonts / "own.ttf"), 0}});
    ASSERT_EQ(model.rowCount(), 1);
    const CFontItem& font = *model.FontAt(0);
    ASSERT_EQ(font.GetStatus(), CFontItem::Loaded);
    Platform::CExactFontCache::Instance().Clear();
    CFontListDelegate delegate(m_options, QApplication::font());
    ASSERT_FALSE(PreviewLineReady(font, delegate.PreviewLook()));

    QImage image(300, delegate.RowHeight(), QImage::Format_RGB32);
    QPainter painter(&image);
    delegate.BeginPaint(1);
    delegate.PaintRow(&painter, image.rect(), model.index(0, 0), false,
                      {{0, 100, 200}, {100, 100, 100}}, QPalette());
    EXPECT_TRUE(PreviewLineReady(
        font, delegate.PreviewLook()));  // remembered: the next paint has nothing to read
    EXPECT_FALSE(delegate.LeftSomeUndrawn());
}

TEST_F(SearchWindowTest, FindFontsForALanguageFindsThoseThatWriteItWhole) {
    const auto copy = [this](const char* from, const char* name) {
        fs::copy_file(from, m_fonts / name);
    };
    copy("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "dejavu.ttf");
    copy("/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf", "arabic.ttf");
    copy("/usr/share/fonts/truetype/inter-vf/Inter-roman.var.ttf", "inter.ttf");

    const auto entries = CFindLanguageController::LanguageEntries();
    const auto at = [&](const char* tag) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].second == QString::fromUtf8(tag))
                return static_cast<int>(i);
        }
        return -1;
    };
    ASSERT_GE(at("de"), 0);
    EXPECT_EQ(entries[static_cast<std::size_t>(at("de"))].first, "German (de)");
    EXPECT_EQ(CFindLanguageController::OwnLanguage(entries, QLocale("de_DE")), at("de"));
    EXPECT_EQ(CFindLanguageController::OwnLanguage(entries, QLocale("zh_CN")), at("zh-cn"));
    EXPECT_EQ(CFindLanguageController::OwnLanguage(entries, QLocale::c()), -1);

    auto* window = CFindLanguageController::Open(Services(), nullptr, PathText(m_fonts), false);
    CFindFrame& frame = window->Frame();
    EXPECT_EQ(frame.windowTitle(), "Find fonts for a language");
    EXPECT_EQ(window->Languages()->accessibleName(), "Language");
    window->Languages()->setCurrentIndex(at("ar"));
    frame.SearchAction()->trigger();
    ASSERT_TRUE(Idle(*window));
    // DejaVu Sans has the Arabic letters too; Inter has none.
    EXPECT_EQ(Names(window->Model()), (QStringList{"DejaVu Sans", "Noto Sans Arabic Regular"}));

    // German: the Latin fonts, the variable one marked as such.
    m_answer = true;
    window->Languages()->setCurrentIndex(at("de"));
    frame.SearchAction()->trigger();
    ASSERT_TRUE(Idle(*window));
    EXPECT_EQ(Names(window->Model()), (QStringList{"DejaVu Sans", "Inter (variable)"}));

    // A typed name that is no language is told, and nothing is searched.
    window->Languages()->setEditText("Klingon");
    frame.SearchAction()->trigger();
    EXPECT_FALSE(window->IsSearching());
    ASSERT_FALSE(m_told.isEmpty());
    EXPECT_EQ(m_told.back(), "Unknown language");
    EXPECT_TRUE(m_details.back().contains("Klingon"));
}
