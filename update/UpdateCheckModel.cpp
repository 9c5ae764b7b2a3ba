#include "update/UpdateCheckModel.h"

#include <QCoreApplication>

namespace Quillmark {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("UpdateCheck", text);
}

}  // namespace

QString CUpdateCheckModel::IntroText() {
    return Tr(
        "Quillmark will connect to the Varnholt update server to look for a newer release. If "
        "one is found, you can read what is new in it and install it.");
}
QString CUpdateCheckModel::CheckingText() {
    return Tr("Checking for an updated version of the software...");
}
QString CUpdateCheckModel::NoConnectionText() {
    return Tr(
        "We are sorry, but Quillmark could not establish a connection with the update server.  "
        "If you are connected to the internet, check your firewall and/or your Internet security "
        "settings and try again.  If this problem persists, please contact technical support.");
}
QString CUpdateCheckModel::NotNewerText() {
    return Tr("There is no newer version available.  You are using the latest release.");
}
QString CUpdateCheckModel::DownloadingText() {
    return Tr("Downloading update...");
}
QString CUpdateCheckModel::NotSavedText() {
    return Tr(
        "The update could not be saved on this computer. Make sure there is room on the disk "
        "and try again.");
}
QString CUpdateCheckModel::WrongChecksumText() {
    return Tr(
        "The downloaded update is not the one the update server published, so it was deleted. "
        "Please try again.");
}

QString CUpdateCheckModel::UnsupportedTypeText() {
    return Tr(
        "The update server offered a file that is not an installation package Quillmark can "
        "install (.deb, .rpm, .AppImage or .flatpakref), so nothing was downloaded. Please try "
        "again later or contact technical support.");
}
QString CUpdateCheckModel::TooLargeText() {
    return Tr(
        "The update server announced a file larger than 512 MiB, more than an update of "
        "Quillmark can be, so nothing was downloaded. Please try again later or contact "
        "technical support.");
}
QString CUpdateCheckModel::NoRoomText() {
    return Tr("There is not enough free space on the disk for the update. Free some space and "
              "try again.\n\nUpdates are downloaded to %1")
        .arg(COnlineRelease::DownloadFolder());
}
QString CUpdateCheckModel::TooSlowText() {
    return Tr(
        "The download was stopped because the update arrived too slowly. Check your internet "
        "connection and try again.");
}
QString CUpdateCheckModel::BadSignatureText() {
    return Tr(
        "The update does not carry a valid signature from Varnholt, so Quillmark did not keep "
        "it. Please try again later or contact technical support.");
}
QString CUpdateCheckModel::SignedText() {
    return Tr("Quillmark checks the update's signature from Varnholt before it keeps it.");
}
QString CUpdateCheckModel::UnsignedText() {
    return Tr(
        "This update is not signed: this copy of Quillmark has no key to check a signature "
        "with. Quillmark only checks that the download arrives whole and, when the update "
        "server gives a checksum, that it matches.");
}

CUpdateCheckModel::CUpdateCheckModel() {
    m_view.status = IntroText();
    m_view.checkCaption = Tr("Check For Update");
    m_view.cancelCaption = Tr("Cancel");
}

void CUpdateCheckModel::StartCheck() {
    if (m_phase != Phase::Idle) {
        return;
    }
    m_phase = Phase::Checking;
    m_view.status = CheckingText();
    m_view.checkEnabled = false;
    m_view.waitCursor = true;
}

CUpdateCheckModel::Next CUpdateCheckModel::CheckFinished(const std::optional<CRelease>& release,
                                                         const CVersion& running) {
    m_view.waitCursor = false;
    if (m_phase != Phase::Checking) {
        return Next::Stay;  // closed while the answer was on its way
    }
    if (!release) {
        Failed(NoConnectionText());
        return Next::Stay;
    }
    if (!IsNewer(CVersion::Parse(release->version), running)) {
        m_phase = Phase::Idle;
        m_view.status = NotNewerText();
        m_view.cancelCaption = Tr("Close");
        m_view.checkEnabled = false;
        return Next::Stay;
    }
    m_phase = Phase::NotesShown;
    return Next::ShowNotes;
}

CUpdateCheckModel::Next CUpdateCheckModel::NotesClosed(bool download) {
    if (!download) {
        m_phase = Phase::Closed;
        return Next::CloseDialog;
    }
    m_phase = Phase::Downloading;
    m_cancelRequested = false;
    m_view.status = DownloadingText();
    m_view.checkEnabled = false;
    m_view.cancelEnabled = true;
    m_view.progressValue = 0;
    return Next::Stay;
}

void CUpdateCheckModel::Progress(qint64 received, qint64 total) {
    if (m_phase != Phase::Downloading) {
        return;
    }
    m_view.progressVisible = true;
    m_view.progressTotal = total;
    m_view.progressValue = received;
}

CUpdateCheckModel::Next CUpdateCheckModel::CancelPressed() {
    if (m_phase == Phase::Downloading) {
        m_cancelRequested = true;
        m_view.cancelEnabled = false;
        return Next::Stay;
    }
    m_phase = Phase::Closed;
    return Next::CloseDialog;
}

CUpdateCheckModel::Next CUpdateCheckModel::DownloadFinished(CDownloadResult result) {
    if (m_phase != Phase::Downloading) {
        return Next::Stay;
    }
    if (m_cancelRequested || result == CDownloadResult::Canceled) {
        m_phase = Phase::Closed;
        return Next::CloseDialog;
    }
    switch (result) {
        case CDownloadResult::Completed:
            m_phase = Phase::Closed;
            return Next::Install;
        case CDownloadResult::NotSaved:
            Failed(NotSavedText());
            break;
        case CDownloadResult::WrongChecksum:
            Failed(WrongChecksumText());
            break;
        case CDownloadResult::UnsupportedType:
            Failed(UnsupportedTypeText());
            break;
        case CDownloadResult::TooLarge:
            Failed(TooLargeText());
            break;
        case CDownloadResult::NoRoom:
            Failed(NoRoomText());
            break;
        case CDownloadResult::TooSlow:
            Failed(TooSlowText());
            break;
        case CDownloadResult::BadSignature:
            Failed(BadSignatureText());
            break;
        default:
            Failed(NoConnectionText());
            break;
    }
    return Next::Stay;
}

void CUpdateCheckModel::Failed(const QString& status) {
    m_phase = Phase::Idle;
    m_view.status = status;
    m_view.checkCaption = Tr("Try Again");
    m_view.checkEnabled = true;
    m_view.cancelEnabled = true;
    m_view.progressVisible = false;
}

}  // namespace Quillmark
