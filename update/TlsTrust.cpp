#include "update/TlsTrust.h"

#include <QByteArray>
#include <mutex>
#include <string>

#include "platform/Files.h"

namespace Quillmark {

namespace {

namespace fs = std::filesystem;

void AddCertificatesOfFile(const fs::path& path, QList<QSslCertificate>& certificates) {
    std::string bytes;
    if (!Platform::ReadFileWhole(path, static_cast<std::size_t>(kMaxCertificateFileBytes), bytes)) {
        certificates += QSslCertificate::fromData(QByteArray::fromStdString(bytes), QSsl::Pem);
    }
}

QList<QSslCertificate> ReadCertificates(const QByteArray& file, const QByteArray& folders) {
    QList<QSslCertificate> certificates;
    if (!file.isEmpty()) {
        AddCertificatesOfFile(fs::path(file.toStdString()), certificates);
    }
    for (const QByteArray& folder : folders.split(':')) {
        if (folder.isEmpty()) {
            continue;
        }
        const fs::path base(folder.toStdString());
        int files = 0;
        Platform::ListFolder(base, [&](const Platform::CFolderEntry& entry) {
            AddCertificatesOfFile(base / fs::path(entry.Name()), certificates);
            return ++files < kMaxCertificateFiles;
        });
    }
    return certificates;
}

}  // namespace

QList<QSslCertificate> EnvironmentCertificates() {
    const QByteArray file = qgetenv("SSL_CERT_FILE");
    const QByteArray folders = qgetenv("SSL_CERT_DIR");
    if (file.isEmpty() && folders.isEmpty()) {
        return {};
    }
    // Requests run on worker threads.
    static std::mutex lock;
    static QByteArray readFile;          // guarded by lock
    static QByteArray readFolders;       // guarded by lock
    static QList<QSslCertificate> read;  // guarded by lock
    static bool once = false;            // guarded by lock
    const std::lock_guard<std::mutex> guard(lock);
    if (!once || file != readFile || folders != readFolders) {
        read = ReadCertificates(file, folders);
        readFile = file;
        readFolders = folders;
        once = true;
    }
    return read;
}

QSslConfiguration UpdateTlsConfiguration() {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    const QList<QSslCertificate> added = EnvironmentCertificates();
    if (added.isEmpty()) {
        return configuration;  // Qt's own trust, the system's looked up as needed
    }
    // Naming certificates turns Qt's lookup of the system's off, so the
    // system's are named too.
    static const QList<QSslCertificate> system = QSslConfiguration::systemCaCertificates();
    QList<QSslCertificate> trusted = configuration.caCertificates();
    trusted += system;
    trusted += added;
    configuration.setCaCertificates(trusted);
    return configuration;
}

}  // namespace Quillmark
