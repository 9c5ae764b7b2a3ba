#include "ui/search/FindController.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <boost/bind/bind.hpp>

#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "fontdata/item/FontItem.h"
#include "ui/common/FontListDelegate.h"
#include "ui/search/FindFrame.h"
#include "ui/search/SearchSession.h"
#include "ui/search/SourceSample.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {
// While results arrive, a paint reads new fonts for this long at most.
constexpr int kArrivingPaintBudget = 12;
}  // namespace

void CSearchServices::UseStandardDialogs() {
    ask = [](QWidget* parent, const QString& question) {
        return QMessageBox::question(parent, QApplication::applicationName(), question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    tell = [](QWidget* parent, const QString& message, const QString& detail) {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message,
                        QMessageBox::Ok, parent);
        box.setInformativeText(detail);
        box.exec();
    };
    browseFolder = [](QWidget* parent, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, QObject::tr("Look in:"), start,
                                                 QFileDialog::ShowDirsOnly);
    };
}

// ---- Common ------------------------------------------------------------------

CFindController::CFindController(CSearchServices services, CSearchResultsModel::Mode mode,
                                 const QString& caption, QString location, bool isProject,
                                 QWidget* owner)
    : m_services(std::move(services)),
      m_subfolders(m_services.options.GetSearchSubFolders()),
      m_removable(m_services.options.GetSearchRemovableDisks()),
      m_model(std::make_unique<CSearchResultsModel>(mode)) {
    m_frame = new CFindFrame(owner, caption, *m_model, m_services.options, m_services.uiFont);
    setParent(m_frame);  // the window owns its controller
    CSearchSession::CHandlers handlers;
    handlers.searchingFolder = [this](const QString& folder) {
        if (m_searching) {
            m_frame->Status()->ShowSearching(folder);
        }
    };
    handlers.fontsFound = [this](std::vector<CSearchResultsModel::CResult> fonts) {
        OnFound(std::move(fonts));
    };
    handlers.complete = [this](const CSearchEnd& end) { OnComplete(end); };
    m_session = std::make_unique<CSearchSession>(m_services.manager, std::move(handlers));
    if (m_services.attachCommands) {
        m_services.attachCommands(*m_frame->Results());
    }

    FillLocations(location, isProject);
    CFindFrame& frame = *m_frame;
    connect(frame.LookIn(), &QComboBox::activated, this, &CFindController::ChooseLocation);
    connect(frame.SearchAction(), &QAction::triggered, this, &CFindController::Search);
    connect(frame.StopAction(), &QAction::triggered, this, &CFindController::Stop);
    auto* menu = new QMenu(frame.OptionsButton());
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillOptionsMenu(*menu); });
    frame.OptionsButton()->setMenu(menu);
    connect(&frame, &CFindFrame::Closing, this, [this] {
        Stop();
        StoreOptions();
    });

    m_services.hub.ConnectApplicationClosing(boost::bind(&CFindController::StoreOptions, this));
    m_services.hub.ConnectApplicationClosing(boost::bind(&CFindController::Stop, this));
    m_services.hub.ConnectReleaseFont(boost::bind(&CFindController::OnReleaseFont, this, _1));
    m_services.hub.ConnectFontRemoved(boost::bind(&CFindController::OnFontRemoved, this, _1));
    m_services.hub.ConnectOptionsChanged(boost::bind(&CFindController::OptionsChanged, this));
    UpdateActions();
}

CFindController::~CFindController() {
    // Stops the worker and waits for it; the widgets may be gone already.
    m_session.reset();
}

void CFindController::Open() {
    QString label;
    QWidget* band = MakeBand(&label);
    m_frame->SetBand(label, band);
    QWidget* owner = m_frame->parentWidget();
    const QScreen* screen = owner != nullptr && owner->screen() != nullptr
                                ? owner->screen()
                                : QGuiApplication::primaryScreen();
    m_frame->setGeometry(Placement(m_services.options, screen->availableGeometry()));
    BringForward();
}

void CFindController::BringForward() {
    QWidget* field = FirstField();
    m_frame->BringForward(field);
    // Typing replaces what was sought last.
    if (auto* text = qobject_cast<QLineEdit*>(field)) {
        text->selectAll();
    }
}

QWidget* CFindController::FirstField() const {
    return m_frame->LookIn();
}

void CFindController::SetLocation(const QString& location, bool isProject) {
    if (!m_searching) {
        FillLocations(location, isProject);
    }
}

QRect CFindController::Placement(const CProgramOptions& options, const QRect& workArea) {
    const CPair size = options.GetFindWindowSize();
    if (size[0] == -1 && size[1] == -1) {
        const int mx = static_cast<int>(workArea.width() * 0.25);
        const int my = static_cast<int>(workArea.height() * 0.25);
        return {workArea.left() + mx, workArea.top() + my, workArea.width() - 2 * mx,
                workArea.height() - 2 * my};
    }
    const CPair pos = options.GetFindWindowPos();
    return {pos[0], pos[1], size[0], size[1]};
}

void CFindController::StoreOptions() {
    if (m_stored || m_frame == nullptr) {
        return;
    }
    m_stored = true;
    const QRect frame = m_frame->geometry();
    m_services.options.SetFindWindowPos({frame.x(), frame.y()});
    m_services.options.SetFindWindowSize({frame.width(), frame.height()});
    m_services.options.SetSearchSubFolders(m_subfolders);
    m_services.options.SetSearchRemovableDisks(m_removable);
    StoreKindOptions();
}

// ---- Look in -----------------------------------------------------------------

void CFindController::FillLocations(const QString& location, bool isProject) {
    CLookInPlaces places = m_services.places ? m_services.places() : CLookInPlaces::OfThisDesktop();
    places.favorites = static_cast<bool>(m_services.chooseFavorite);
    places.projects = static_cast<bool>(m_services.chooseProject);
    m_selected = m_lookIn.Fill(places, location, isProject);
    QComboBox* box = m_frame->LookIn();
    box->clear();
    const QStyle* style = QApplication::style();
    for (const CLookInEntry& entry : m_lookIn.Entries()) {
        const QIcon icon = QIcon::fromTheme(
            entry.iconName,
            style->standardIcon(entry.kind == CLookInEntry::Kind::Computer ? QStyle::SP_ComputerIcon
                                                                           : QStyle::SP_DirIcon));
        box->addItem(icon, entry.text);
        box->setItemData(box->count() - 1, entry.indent, CFindFrame::IndentRole);
    }
    box->setCurrentIndex(m_selected);
}

void CFindController::ChooseLocation(int index) {
    const CLookInEntry* entry = m_lookIn.At(index);
    if (entry == nullptr) {
        return;
    }
    QString chosen;
    switch (entry->kind) {
        case CLookInEntry::Kind::Folder:
        case CLookInEntry::Kind::Computer:
            m_selected = index;
            m_frame->LookIn()->setCurrentIndex(index);
            return;
        case CLookInEntry::Kind::Project:
            if (!entry->path.isEmpty()) {  // the project shown
                m_selected = index;
                m_frame->LookIn()->setCurrentIndex(index);
                return;
            }
            chosen = m_services.chooseProject ? m_services.chooseProject(m_frame) : QString();
            if (!chosen.isEmpty()) {
                FillLocations(chosen, true);
                return;
            }
            break;
        case CLookInEntry::Kind::Browse: {
            const CLookInEntry* current = m_lookIn.At(m_selected);
            chosen = m_services.browseFolder
                         ? m_services.browseFolder(m_frame,
                                                   current != nullptr ? current->path : QString())
                         : QString();
            if (!chosen.isEmpty()) {
                FillLocations(chosen, false);
                return;
            }
            break;
        }
        case CLookInEntry::Kind::Favorite:
            chosen = m_services.chooseFavorite ? m_services.chooseFavorite(m_frame) : QString();
            if (!chosen.isEmpty()) {
                FillLocations(chosen, false);
                return;
            }
            break;
    }
    // Cancelled: the location stays as it was.
    m_frame->LookIn()->setCurrentIndex(m_selected);
}

std::optional<CSearchLocation> CFindController::SelectedLocation() const {
    const CLookInEntry* entry = m_lookIn.At(m_selected);
    if (entry == nullptr) {
        return std::nullopt;
    }
    switch (entry->kind) {
        case CLookInEntry::Kind::Folder:
            return CSearchLocation::Folder(FilePath(entry->path), m_subfolders);
        case CLookInEntry::Kind::Computer:
            return CSearchLocation::Computer(m_removable, m_subfolders);
        case CLookInEntry::Kind::Project: {
            // The project's files as they are now: the store may change
            // while the worker runs.
            std::vector<std::filesystem::path> files;
            std::vector<std::uint32_t> faces;
            const auto project = m_services.projects.FindProject(entry->path);
            if (project != m_services.projects.end()) {
                for (const CProjectFont& font : *project->second) {
                    files.push_back(FilePath(font.path));
                    faces.push_back(font.face);
                }
            }
            return CSearchLocation::Project(std::move(files), std::move(faces));
        }
        default:
            return std::nullopt;
    }
}

// ---- Options -------------------------------------------------------------------

void CFindController::FillOptionsMenu(QMenu& menu) {
    menu.clear();
    const auto toggle = [&menu](const QString& text, bool* flag) {
        QAction* action = menu.addAction(text);
        action->setCheckable(true);
        action->setChecked(*flag);
        QObject::connect(action, &QAction::toggled, [flag](bool on) { *flag = on; });
    };
    toggle(tr("Search subfolders"), &m_subfolders);
    AddKindOptions(menu);
    const CLookInEntry* entry = m_lookIn.At(m_selected);
    if (entry != nullptr && entry->kind == CLookInEntry::Kind::Computer) {
        toggle(tr("Search removable disks"), &m_removable);
    }
}

// ---- Searching -----------------------------------------------------------------

void CFindController::Search() {
    if (m_searching || !CanStart()) {
        return;
    }
    std::optional<CSearchLocation> location = SelectedLocation();
    if (!location) {
        return;
    }
    // Made before anything is cleared: a test that cannot be made (an
    // expression in error) leaves the results as they are.
    CResult<FontTest> made = MakeTest();
    if (!made) {
        // An expression in error (the failure has the engine's words), or a
        // language typed that is none.
        if (m_services.tell) {
            m_services.tell(m_frame, TestFailureTitle(),
                            QString::fromStdString(made.Failure().Reason()));
        }
        return;
    }
    FontTest test = std::move(made).Value();
    if (m_model->rowCount() > 0) {
        const QString question =
            tr("You are about to begin a new search.  This will clear the results of the current "
               "search.  Are you sure you want to do this?");
        if (!m_services.ask || !m_services.ask(m_frame, question)) {
            return;
        }
        m_model->Clear();
    }
    m_searching = true;
    m_stopRequested = false;
    m_frame->Results()->SetPaintBudget(kArrivingPaintBudget);
    UpdateActions();
    m_session->Start(std::move(*location), std::move(test));
}

void CFindController::Stop() {
    if (!m_searching || m_stopRequested) {
        return;
    }
    m_stopRequested = true;
    m_session->Stop();
    UpdateActions();
}

void CFindController::OnFound(std::vector<CSearchResultsModel::CResult> fonts) {
    m_model->AddResults(std::move(fonts));
}

void CFindController::OnComplete(const CSearchEnd& end) {
    m_searching = false;
    m_frame->Results()->SetPaintBudget(0);
    const int found = m_model->rowCount();
    CFindStatusBar* status = m_frame->Status();
    if (!end.failure.empty()) {
        status->ShowFailed(QString::fromStdString(end.failure), found);
    } else if (m_stopRequested) {
        status->ShowCanceled(found);
    } else {
        status->ShowComplete(found);
    }
    m_stopRequested = false;
    UpdateActions();
}

QString CFindController::TestFailureTitle() const {
    return tr("Error in regular expression");
}

void CFindController::UpdateActions() {
    CFindFrame& frame = *m_frame;
    frame.SearchAction()->setEnabled(!m_searching);
    frame.OptionsButton()->setEnabled(!m_searching);
    frame.StopAction()->setEnabled(m_searching && !m_stopRequested);
}

int CFindController::OnReleaseFont(const CFontItem* font) {
    return m_model->RemoveFont(font) > 0 ? 1 : 0;
}

void CFindController::OnFontRemoved(const CFontItem* font) {
    m_model->RemoveFont(font);
}

// ---- Find by name ------------------------------------------------------------------

CFindNameController::CFindNameController(CSearchServices services, QWidget* owner,
                                         const QString& location, bool isProject)
    : CFindController(std::move(services), CSearchResultsModel::NameResults,
                      tr("Find font by name..."), location, isProject, owner),
      m_matchCase(m_services.options.GetSearchMatchCase()),
      m_wholeWord(m_services.options.GetSearchMatchWord()),
      m_regex(m_services.options.GetSearchUsingRegex()) {}

CFindNameController* CFindNameController::Open(CSearchServices services, QWidget* owner,
                                               const QString& location, bool isProject) {
    auto* controller = new CFindNameController(std::move(services), owner, location, isProject);
    controller->CFindController::Open();
    return controller;
}

QWidget* CFindNameController::MakeBand(QString* label) {
    *label = tr("Look for:");
    m_text = new QLineEdit;
    m_text->setAccessibleName(tr("Look for"));
    m_text->setFont(m_services.uiFont);
    m_text->setMinimumWidth(260);
    return m_text;
}

bool CFindNameController::CanStart() const {
    return m_text != nullptr && !m_text->text().isEmpty();
}

QWidget* CFindNameController::FirstField() const {
    return m_text;
}

CResult<FontTest> CFindNameController::MakeTest() {
    CNameQuery query;
    query.text = m_text->text().toStdU16String();
    query.matchCase = m_matchCase;
    query.wholeWord = m_wholeWord;
    query.regularExpression = m_regex;
    const auto compiled = CNameTest::Compile(query);
    if (!compiled) {
        return compiled.Failure();
    }
    return FontTest([test = compiled.Value()](CFontItem& font) { return (*test)(font); });
}

void CFindNameController::AddKindOptions(QMenu& menu) {
    const auto toggle = [&menu](const QString& text, bool* flag) {
        QAction* action = menu.addAction(text);
        action->setCheckable(true);
        action->setChecked(*flag);
        QObject::connect(action, &QAction::toggled, [flag](bool on) { *flag = on; });
    };
    toggle(tr("Match case"), &m_matchCase);
    toggle(tr("Match whole word"), &m_wholeWord);
    toggle(tr("Use regular expression"), &m_regex);
}

void CFindNameController::StoreKindOptions() {
    m_services.options.SetSearchMatchCase(m_matchCase);
    m_services.options.SetSearchMatchWord(m_wholeWord);
    m_services.options.SetSearchUsingRegex(m_regex);
}

// ---- Source fonts ----------------------------------------------------------------

CSourceFontController::CSourceFontController(CSearchServices services,
                                             CSearchResultsModel::Mode mode, const QString& caption,
                                             CFontHandle source, const QString& location,
                                             bool isProject, QWidget* owner)
    : CFindController(std::move(services), mode, caption, location, isProject, owner),
      m_source(m_services.hub, m_services.manager, [this] { SourceGone(); }) {
    m_source.Hold(std::move(source));
}

void CSourceFontController::SourceGone() {
    if (m_sample != nullptr) {
        m_sample->Show(nullptr, GoneText());
    }
}

void CSourceFontController::OptionsChanged() {
    if (m_sample != nullptr) {
        m_sample->Refresh();
    }
}

// ---- Find by character -------------------------------------------------------------

CFindCharacterController::CFindCharacterController(CSearchServices services, QWidget* owner,
                                                   char32_t character, const QString& unicodeName,
                                                   CFontHandle source, const QString& location,
                                                   bool isProject)
    : CSourceFontController(std::move(services), CSearchResultsModel::CharacterResults,
                            tr("Find fonts containing %1").arg(unicodeName), std::move(source),
                            location, isProject, owner),
      m_character(character) {
    Frame().Results()->Delegate().SetSearchCharacter(character);
}

CFindCharacterController* CFindCharacterController::Open(CSearchServices services, QWidget* owner,
                                                         char32_t character,
                                                         const QString& unicodeName,
                                                         CFontHandle source,
                                                         const QString& location, bool isProject) {
    auto* controller = new CFindCharacterController(
        std::move(services), owner, character, unicodeName, std::move(source), location, isProject);
    controller->CFindController::Open();
    return controller;
}

QWidget* CFindCharacterController::MakeBand(QString* label) {
    *label = tr("Searching for:");
    m_sample = new CSourceSample(m_services.options, m_services.uiFont);
    m_sample->Show(m_source.Handle(), SampleText());
    return m_sample;
}

CResult<FontTest> CFindCharacterController::MakeTest() {
    // Compared with, never read: a source let go of meanwhile has expired.
    return CharacterTest(m_character, std::weak_ptr<const CFontItem>(m_source.Handle()));
}

// ---- Find similar ----------------------------------------------------------------

namespace {

Panose PanoseOf(const CFontHandle& font) {
    if (font == nullptr || font->GetData() == nullptr) {
        return {};
    }
    return font->GetData()->GetOS2().panose;
}

QString NameOf(const CFontHandle& font) {
    return font != nullptr ? QString::fromStdU16String(font->GetName()) : QString();
}

}  // namespace

CFindSimilarController::CFindSimilarController(CSearchServices services, QWidget* owner,
                                               CFontHandle source, const QString& location,
                                               bool isProject)
    : CSourceFontController(std::move(services), CSearchResultsModel::SimilarResults,
                            tr("Find fonts similar to %1").arg(NameOf(source)), source, location,
                            isProject, owner),
      m_panose(PanoseOf(source)),
      m_sourcePath(source != nullptr ? PathText(source->GetPath()) : QString()) {
    Model().SetSimilaritySource(m_sourcePath);
}

CFindSimilarController* CFindSimilarController::Open(CSearchServices services, QWidget* owner,
                                                     CFontHandle source, const QString& location,
                                                     bool isProject) {
    auto* controller = new CFindSimilarController(std::move(services), owner, std::move(source),
                                                  location, isProject);
    controller->CFindController::Open();
    return controller;
}

QWidget* CFindSimilarController::MakeBand(QString* label) {
    label->clear();
    m_sample = new CSourceSample(m_services.options, m_services.uiFont);
    m_sample->Show(m_source.Handle(), SampleText());
    return m_sample;
}

QString CFindSimilarController::SampleText() const {
    return m_services.options.GetFontListText();
}

QString CFindSimilarController::GoneText() const {
    return tr("Preview unavailable.  Font has been moved or deleted.");
}

CResult<FontTest> CFindSimilarController::MakeTest() {
    // The bytes were taken when the window opened: the test never reads
    // the source, which may be let go of while the search runs.
    return SimilarTest(m_panose, m_sourcePath.toStdU16String(),
                       std::weak_ptr<const CFontItem>(m_source.Handle()));
}

}  // namespace Quillmark
