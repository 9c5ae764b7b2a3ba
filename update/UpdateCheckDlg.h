#pragma once

// "Check for Updates": asks the update service for a newer release, shows
// its notes ("Update Available"), downloads the installer on a worker
// thread with its progress here and on the launcher entry, and when the
// download is complete hands the installer to the program to start at exit
// and closes the program. What the dialog shows at each step is its
// model's (update/UpdateCheckModel.h).

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "update/OnlineRelease.h"
#include "update/UpdateCheckModel.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace Quillmark {

class CLauncherProgress;
class CUpdateAvailableDialog;

class CUpdateCheckDlg : public QDialog {
    Q_OBJECT

public:
    struct Hooks {
        QString runningVersion;  // "3.0.0.1"
        // The completed installer, to start when the program exits.
        std::function<void(const QString& installer)> installAtExit;
        // Asks the program to close (after this dialog has ended).
        std::function<void()> closeProgram;
        // The key downloads must be signed with (empty: not signed), and
        // the bounds of the transfers.
        QByteArray publicKey = BuiltInPublicKey();
        CDownloadLimits limits;
    };

    explicit CUpdateCheckDlg(Hooks hooks, QWidget* parent = nullptr);
    ~CUpdateCheckDlg() override;

    const CUpdateCheckModel& Model() const { return m_model; }
    // Cancel, Escape and the close button: at once, or while downloading
    // once the download has stopped.
    void reject() override;

signals:
    // The notes are up, modal over this dialog (tests answer them).
    void NotesShown(CUpdateAvailableDialog* notes);

private:
    void Render();
    void OnCheck();
    void OnCheckFinished(const std::optional<CRelease>& release);
    void OnProgress(qint64 received, qint64 total);
    void OnDownloadFinished(CDownloadResult result, const QString& installer);
    void Act(CUpdateCheckModel::Next next);
    void StopThread(std::unique_ptr<QThread>& thread);

    Hooks m_hooks;
    CUpdateCheckModel m_model;
    std::optional<CRelease> m_release;
    QString m_installer;

    QLabel* m_status = nullptr;
    QPushButton* m_check = nullptr;
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_progress = nullptr;
    bool m_waitCursor = false;
    std::unique_ptr<CLauncherProgress> m_launcher;

    // Read by the workers, written here.
    std::atomic<bool> m_cancelRequested{false};
    std::atomic<bool> m_closing{false};
    std::unique_ptr<QThread> m_checker;
    std::unique_ptr<QThread> m_downloader;
};

}  // namespace Quillmark
