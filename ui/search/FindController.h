#pragma once

// The search windows: find by name, find by character and find similar
// fonts. One controller per window wires its widgets (FindFrame.h), its
// results and its running search (SearchSession.h) to the hub; each kind
// adds its band, its options and its test.
//
// Searching: Search (or Enter) asks before clearing earlier results, takes
// the location chosen in "Look in:" (a project's file list is copied
// then), and starts one worker; Stop and the program's closing stop it, and
// the status bar tells how it ended. Closing the window stops its search
// first and waits for the worker, which never touches the window again.

#include <QFont>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <boost/signals2/trackable.hpp>
#include <functional>
#include <memory>

#include "fontdata/manager/FontManager.h"
#include "search/FontTests.h"
#include "search/Search.h"
#include "ui/common/HeldFont.h"
#include "ui/search/FindFrame.h"
#include "ui/search/LookInList.h"
#include "ui/search/SearchResultsModel.h"

class QComboBox;
class QLineEdit;
class QLocale;

namespace Quillmark {

class CFindFrame;
class CFontProjects;
class CProgramOptions;
class CQuillmarkSignals;
class CSearchSession;
class CSourceSample;

// What the search windows use of the program, and how they talk to the
// user (tests replace the dialogs).
struct CSearchServices {
    CQuillmarkSignals& hub;
    CProgramOptions& options;
    CFontManager& manager;
    CFontProjects& projects;
    QFont uiFont;
    // A Yes/No question; true for Yes.
    std::function<bool(QWidget* parent, const QString& question)> ask;
    // An error message, and what the library had to say about it (may be empty).
    std::function<void(QWidget* parent, const QString& message, const QString& detail)> tell;
    // A folder chosen in the folder browser, starting at `start`; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& start)> browseFolder;
    // A favourite folder or a project chosen; empty when cancelled. When
    // unset, the "Look in:" list does not offer the command.
    std::function<QString(QWidget* parent)> chooseFavorite;
    std::function<QString(QWidget* parent)> chooseProject;
    // The places of the "Look in:" list (this desktop's unless set).
    std::function<CLookInPlaces()> places;
    // Gives the results the font list's commands: the row menu, the keys,
    // dragging rows out. Unset: the results are only shown.
    std::function<void(CFontRowsView& results)> attachCommands;

    // Sets ask, tell and browseFolder to the desktop's dialogs.
    void UseStandardDialogs();
};

class CFindController : public QObject, public boost::signals2::trackable {
    Q_OBJECT

public:
    ~CFindController() override;

    CFindFrame& Frame() const { return *m_frame; }
    CSearchResultsModel& Model() const { return *m_model; }
    CSearchSession& Session() const { return *m_session; }
    const CLookInList& LookIn() const { return m_lookIn; }

    // Search (and Enter): nothing while a search runs.
    void Search();
    void Stop();
    bool IsSearching() const { return m_searching; }
    bool IsStopRequested() const { return m_stopRequested; }
    // The options menu as it is for the selected location.
    void FillOptionsMenu(QMenu& menu);
    // Selects a "Look in:" entry as the user does (commands included).
    void ChooseLocation(int index);
    // The window opened again: in front, with the keyboard in its first field.
    void BringForward();
    // "Look in:" at a folder or a project, as when the window opened; not
    // while a search runs.
    void SetLocation(const QString& location, bool isProject);

    // The middle half of `workArea`, or the stored rectangle.
    static QRect Placement(const CProgramOptions& options, const QRect& workArea);

protected:
    CFindController(CSearchServices services, CSearchResultsModel::Mode mode,
                    const QString& caption, QString location, bool isProject, QWidget* owner);
    // Makes the band and shows the window; called once by the opener.
    void Open();

    virtual QWidget* MakeBand(QString* label) = 0;
    // Whether Search may start (find by name: a text was typed).
    virtual bool CanStart() const { return true; }
    // The test for a new search, or why it cannot be made.
    virtual CResult<FontTest> MakeTest() = 0;
    // What the user is told when MakeTest fails, above its reason.
    virtual QString TestFailureTitle() const;
    // Where the keyboard goes when the window comes forward.
    virtual QWidget* FirstField() const;
    // The kind's entries of the options menu, before "Search removable disks".
    virtual void AddKindOptions(QMenu&) {}
    virtual void StoreKindOptions() {}
    virtual void OptionsChanged() {}

    CSearchServices m_services;
    bool m_subfolders;
    bool m_removable;

private:
    void FillLocations(const QString& location, bool isProject);
    void OnFound(std::vector<CSearchResultsModel::CResult> fonts);
    void OnComplete(const CSearchEnd& end);
    void UpdateActions();
    void StoreOptions();
    int OnReleaseFont(const CFontItem* font);
    void OnFontRemoved(const CFontItem* font);
    std::optional<CSearchLocation> SelectedLocation() const;

    std::unique_ptr<CSearchResultsModel> m_model;
    QPointer<CFindFrame> m_frame;
    std::unique_ptr<CSearchSession> m_session;
    CLookInList m_lookIn;
    int m_selected = -1;
    bool m_searching = false;
    bool m_stopRequested = false;
    bool m_stored = false;
};

// Find by name: "Look for:" and the name test.
class CFindNameController : public CFindController {
    Q_OBJECT

public:
    static CFindNameController* Open(CSearchServices services, QWidget* owner,
                                     const QString& location, bool isProject);
    QLineEdit* Text() const { return m_text; }

protected:
    QWidget* MakeBand(QString* label) override;
    bool CanStart() const override;
    CResult<FontTest> MakeTest() override;
    QWidget* FirstField() const override;
    void AddKindOptions(QMenu& menu) override;
    void StoreKindOptions() override;

private:
    CFindNameController(CSearchServices services, QWidget* owner, const QString& location,
                        bool isProject);
    QLineEdit* m_text = nullptr;
    bool m_matchCase;
    bool m_wholeWord;
    bool m_regex;
};

// Find fonts for a language: "Language:" and the language test.
class CFindLanguageController : public CFindController {
    Q_OBJECT

public:
    static CFindLanguageController* Open(CSearchServices services, QWidget* owner,
                                         const QString& location, bool isProject);
    QComboBox* Languages() const { return m_languages; }
    // The languages offered: fontconfig's, each as "German (de)", sorted by
    // their names; the tag is each entry's data.
    static std::vector<std::pair<QString, QString>> LanguageEntries();
    // The entry of the user's own language (LANG), or -1.
    static int OwnLanguage(const std::vector<std::pair<QString, QString>>& entries,
                           const QLocale& locale);

protected:
    QWidget* MakeBand(QString* label) override;
    bool CanStart() const override;
    CResult<FontTest> MakeTest() override;
    QString TestFailureTitle() const override;
    QWidget* FirstField() const override;

private:
    CFindLanguageController(CSearchServices services, QWidget* owner, const QString& location,
                            bool isProject);
    QComboBox* m_languages = nullptr;
};

// Find by character and find similar: a source font and its sample.
class CSourceFontController : public CFindController {
    Q_OBJECT

public:
    CSourceSample* Sample() const { return m_sample; }
    const CFontItem* Source() const { return m_source.Get(); }

protected:
    CSourceFontController(CSearchServices services, CSearchResultsModel::Mode mode,
                          const QString& caption, CFontHandle source, const QString& location,
                          bool isProject, QWidget* owner);
    void OptionsChanged() override;
    virtual QString SampleText() const = 0;
    virtual QString GoneText() const = 0;
    // The source was taken back: the sample says so.
    void SourceGone();

    CHeldFont m_source;  // none once the font manager took it back
    CSourceSample* m_sample = nullptr;
};

class CFindCharacterController : public CSourceFontController {
    Q_OBJECT

public:
    // `unicodeName` names the character in the caption.
    static CFindCharacterController* Open(CSearchServices services, QWidget* owner,
                                          char32_t character, const QString& unicodeName,
                                          CFontHandle source, const QString& location,
                                          bool isProject);

protected:
    QWidget* MakeBand(QString* label) override;
    CResult<FontTest> MakeTest() override;
    QString SampleText() const override { return QString::fromUcs4(&m_character, 1); }
    QString GoneText() const override { return SampleText(); }

private:
    CFindCharacterController(CSearchServices services, QWidget* owner, char32_t character,
                             const QString& unicodeName, CFontHandle source,
                             const QString& location, bool isProject);
    const char32_t m_character;
};

class CFindSimilarController : public CSourceFontController {
    Q_OBJECT

public:
    static CFindSimilarController* Open(CSearchServices services, QWidget* owner,
                                        CFontHandle source, const QString& location,
                                        bool isProject);

protected:
    QWidget* MakeBand(QString* label) override;
    CResult<FontTest> MakeTest() override;
    QString SampleText() const override;
    QString GoneText() const override;

private:
    CFindSimilarController(CSearchServices services, QWidget* owner, CFontHandle source,
                           const QString& location, bool isProject);
    const Panose m_panose;  // the source's, taken when the window opened
    const QString m_sourcePath;
};

}  // namespace Quillmark
