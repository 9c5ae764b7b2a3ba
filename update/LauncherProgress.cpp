#include "update/LauncherProgress.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace Quillmark {

CLauncherProgress::CLauncherProgress(QString desktopFile)
    : m_appUri(QStringLiteral("application://") + desktopFile) {}

CLauncherProgress::~CLauncherProgress() {
    Clear();
}

void CLauncherProgress::Set(double fraction) {
    Send(true, fraction);
    m_shown = true;
}

void CLauncherProgress::Clear() {
    if (m_shown) {
        Send(false, 0);
        m_shown = false;
    }
}

void CLauncherProgress::Send(bool visible, double fraction) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage update = QDBusMessage::createSignal(
        QString::fromLatin1(kPath), QString::fromLatin1(kInterface), QStringLiteral("Update"));
    const QVariantMap properties{{QStringLiteral("progress"), fraction},
                                 {QStringLiteral("progress-visible"), visible}};
    update << m_appUri << properties;
    bus.send(update);
}

}  // namespace Quillmark
