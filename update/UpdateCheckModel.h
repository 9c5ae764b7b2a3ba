#pragma once

// What "Check for Updates" shows at each step, without widgets: the status
// text, the two buttons' captions and states, the progress bar, and what
// the dialog does next.
//
//   idle --check--> checking --failed--> idle ("Try Again")
//                            --not newer--> idle ("Close")
//                            --newer--> notes shown --declined--> closed
//                                                   --download--> downloading
//   downloading --complete--> closed, installer to start at exit
//               --failed or refused--> idle ("Try Again"), saying why
//               --cancelled--> closed, nothing to start

#include <QString>
#include <QtGlobal>
#include <optional>

#include "update/OnlineRelease.h"
#include "update/Version.h"

namespace Quillmark {

class CUpdateCheckModel {
public:
    enum class Phase { Idle, Checking, NotesShown, Downloading, Closed };
    enum class Next {
        Stay,         // the dialog stays open, as the view now shows
        ShowNotes,    // a newer release: show its notes
        Install,      // start the installer at exit and close the program
        CloseDialog,  // close without installing
    };

    struct View {
        QString status;
        QString checkCaption;
        bool checkEnabled = true;
        QString cancelCaption;
        bool cancelEnabled = true;
        bool progressVisible = false;
        qint64 progressTotal = 0;
        qint64 progressValue = 0;
        bool waitCursor = false;
    };

    CUpdateCheckModel();

    const View& Current() const { return m_view; }
    Phase CurrentPhase() const { return m_phase; }

    // "Check For Update" (or "Try Again").
    void StartCheck();
    // The check's answer, against the running program's version.
    Next CheckFinished(const std::optional<CRelease>& release, const CVersion& running);
    // The notes' "Download Update" (true) or Cancel.
    Next NotesClosed(bool download);
    void Progress(qint64 received, qint64 total);
    // The user's Cancel: closes at once, except while downloading, where
    // it waits for the download to stop (the button is disabled).
    Next CancelPressed();
    bool CancelRequested() const { return m_cancelRequested; }
    Next DownloadFinished(CDownloadResult result);

    // The texts the dialog shows.
    static QString IntroText();
    static QString CheckingText();
    static QString NoConnectionText();
    static QString NotNewerText();
    static QString DownloadingText();
    static QString NotSavedText();
    static QString WrongChecksumText();
    static QString UnsupportedTypeText();
    static QString TooLargeText();
    static QString NoRoomText();
    static QString TooSlowText();
    static QString BadSignatureText();
    // What a download does not show for itself: whether it is signed.
    static QString SignedText();
    static QString UnsignedText();

private:
    void Failed(const QString& status);

    Phase m_phase = Phase::Idle;
    View m_view;
    bool m_cancelRequested = false;
};

}  // namespace Quillmark
