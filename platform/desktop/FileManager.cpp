#include "platform/desktop/FileManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace Quillmark::Platform {

namespace {

// How long a file manager may take to answer before we open the folder
// ourselves: long enough to start one through D-Bus activation.
constexpr int kFileManagerTimeoutMs = 5000;

bool CallFileManager(const char* method, const QStringList& paths) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QStringList uris;
    for (const QString& path : paths)
        uris << QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QLatin1String(method));
    call << uris << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

bool OpenWithDesktop(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool ShowItemsInFileManager(const QStringList& paths) {
    if (paths.isEmpty())
        return false;
    if (CallFileManager("ShowItems", paths))
        return true;
    return OpenWithDesktop(QFileInfo(paths.first()).absolutePath());
}

bool ShowFoldersInFileManager(const QStringList& folders) {
    if (folders.isEmpty())
        return false;
    if (CallFileManager("ShowFolders", folders))
        return true;
    return OpenWithDesktop(folders.first());
}

}  // namespace Quillmark::Platform
