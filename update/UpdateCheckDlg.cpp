#include "update/UpdateCheckDlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

#include "update/LauncherProgress.h"
#include "update/UpdateAvailableDialog.h"

namespace Quillmark {

CUpdateCheckDlg::CUpdateCheckDlg(Hooks hooks, QWidget* parent)
    : QDialog(parent), m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("UpdateCheckDialog"));
    setWindowTitle(tr("Check for Updates"));

    auto* icon = new QLabel;
    icon->setObjectName(QStringLiteral("UpdateIcon"));
    const QIcon picture = QIcon::fromTheme(QStringLiteral("system-software-update"),
                                           style()->standardIcon(QStyle::SP_BrowserReload));
    icon->setPixmap(picture.pixmap(48, 48));
    icon->setFixedSize(48, 48);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("UpdateStatus"));
    m_status->setWordWrap(true);
    m_status->setMinimumWidth(380);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("UpdateProgress"));
    m_progress->setAccessibleName(tr("Download progress"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 0);  // moving until the length is known
    m_check = new QPushButton;
    m_check->setObjectName(QStringLiteral("CheckForUpdate"));
    m_cancel = new QPushButton;
    m_cancel->setObjectName(QStringLiteral("UpdateCancel"));
    connect(m_check, &QPushButton::clicked, this, &CUpdateCheckDlg::OnCheck);
    connect(m_cancel, &QPushButton::clicked, this, &CUpdateCheckDlg::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(m_status, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_check);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    setMinimumHeight(190);
    Render();
}

CUpdateCheckDlg::~CUpdateCheckDlg() {
    m_closing = true;
    m_cancelRequested = true;
    StopThread(m_checker);
    StopThread(m_downloader);
    if (m_waitCursor) {
        QApplication::restoreOverrideCursor();
    }
}

void CUpdateCheckDlg::StopThread(std::unique_ptr<QThread>& thread) {
    if (thread) {
        thread->wait();
        thread.reset();
    }
}

void CUpdateCheckDlg::Render() {
    const CUpdateCheckModel::View& view = m_model.Current();
    m_status->setText(view.status);
    m_status->setAccessibleName(view.status);
    m_check->setText(view.checkCaption);
    m_check->setAccessibleName(view.checkCaption);
    m_check->setEnabled(view.checkEnabled);
    m_cancel->setText(view.cancelCaption);
    m_cancel->setAccessibleName(view.cancelCaption);
    m_cancel->setEnabled(view.cancelEnabled);
    m_progress->setVisible(view.progressVisible);
    if (view.progressVisible && view.progressTotal > 0) {
        // In thousandths: a length past 2 GB still fits the bar's int.
        m_progress->setRange(0, 1000);
        m_progress->setValue(static_cast<int>(view.progressValue * 1000 / view.progressTotal));
    }
    if (view.waitCursor != m_waitCursor) {
        if (view.waitCursor) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
        m_waitCursor = view.waitCursor;
    }
}

void CUpdateCheckDlg::OnCheck() {
    if (m_model.CurrentPhase() != CUpdateCheckModel::Phase::Idle) {
        return;
    }
    m_model.StartCheck();
    Render();
    StopThread(m_checker);
    m_checker.reset(QThread::create([this] {
        COnlineRelease service(COnlineRelease::ServiceAddress(), m_hooks.publicKey, m_hooks.limits);
        const std::optional<CRelease> release =
            service.Check(COnlineRelease::ThisProduct(), [this] { return m_closing.load(); });
        QMetaObject::invokeMethod(
            this, [this, release] { OnCheckFinished(release); }, Qt::QueuedConnection);
    }));
    m_checker->setObjectName(QStringLiteral("Update check"));
    m_checker->start();
}

void CUpdateCheckDlg::OnCheckFinished(const std::optional<CRelease>& release) {
    StopThread(m_checker);
    m_release = release;
    const CUpdateCheckModel::Next next =
        m_model.CheckFinished(release, CVersion::Parse(m_hooks.runningVersion));
    Render();
    if (next != CUpdateCheckModel::Next::ShowNotes) {
        Act(next);
        return;
    }
    CUpdateAvailableDialog notes(QUrl(release->quickinfo), !m_hooks.publicKey.isEmpty(), this);
    QMetaObject::invokeMethod(
        this,
        [this, shown = QPointer<CUpdateAvailableDialog>(&notes)] {
            if (shown) {
                emit NotesShown(shown);
            }
        },
        Qt::QueuedConnection);
    const bool download = notes.exec() == QDialog::Accepted;
    const CUpdateCheckModel::Next after = m_model.NotesClosed(download);
    Render();
    if (after != CUpdateCheckModel::Next::Stay) {
        Act(after);
        return;
    }

    m_cancelRequested = false;
    m_launcher = std::make_unique<CLauncherProgress>();
    const CRelease chosen = *release;
    const QString version = m_hooks.runningVersion;
    m_downloader.reset(QThread::create([this, chosen, version] {
        COnlineRelease service(COnlineRelease::ServiceAddress(), m_hooks.publicKey, m_hooks.limits);
        QString installer;
        const CDownloadResult result = service.Download(
            COnlineRelease::ThisProduct(), version, COnlineRelease::DownloadFolder(), chosen,
            installer, [this] { return m_cancelRequested.load(); },
            [this](qint64 received, qint64 total) {
                QMetaObject::invokeMethod(
                    this, [this, received, total] { OnProgress(received, total); },
                    Qt::QueuedConnection);
            });
        QMetaObject::invokeMethod(
            this, [this, result, installer] { OnDownloadFinished(result, installer); },
            Qt::QueuedConnection);
    }));
    m_downloader->setObjectName(QStringLiteral("Update download"));
    m_downloader->start();
}

void CUpdateCheckDlg::OnProgress(qint64 received, qint64 total) {
    m_model.Progress(received, total);
    Render();
    if (m_launcher && total > 0) {
        m_launcher->Set(static_cast<double>(received) / static_cast<double>(total));
    }
}

void CUpdateCheckDlg::OnDownloadFinished(CDownloadResult result, const QString& installer) {
    StopThread(m_downloader);
    m_launcher.reset();
    m_installer = result == CDownloadResult::Completed ? installer : QString();
    const CUpdateCheckModel::Next next = m_model.DownloadFinished(result);
    Render();
    Act(next);
}

void CUpdateCheckDlg::Act(CUpdateCheckModel::Next next) {
    switch (next) {
        case CUpdateCheckModel::Next::Install:
            if (m_hooks.installAtExit) {
                m_hooks.installAtExit(m_installer);
            }
            if (m_hooks.closeProgram) {
                m_hooks.closeProgram();
            }
            accept();
            break;
        case CUpdateCheckModel::Next::CloseDialog:
            QDialog::reject();
            break;
        case CUpdateCheckModel::Next::ShowNotes:
        case CUpdateCheckModel::Next::Stay:
            break;
    }
}

void CUpdateCheckDlg::reject() {
    const CUpdateCheckModel::Next next = m_model.CancelPressed();
    Render();
    if (next == CUpdateCheckModel::Next::Stay) {
        m_cancelRequested = true;
    }
    Act(next);
}

}  // namespace Quillmark
