#pragma once

// Whom the online update trusts over TLS: what Qt trusts by default (the
// system's certificate authorities), and, as programs built on OpenSSL do,
// the certificates in the file SSL_CERT_FILE names and in the folders
// SSL_CERT_DIR names (separated by ':'). Those are added to the system's,
// never put in their place, and nothing else is loosened: the peer is still
// verified, its name still checked, and a certificate nobody trusts is still
// refused.
//
// Only regular files are read (a FIFO or a device is passed over without
// being opened), each of at most kMaxCertificateFileBytes, and at most
// kMaxCertificateFiles from each folder; the certificates are read in PEM.

#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>

namespace Quillmark {

inline constexpr qsizetype kMaxCertificateFileBytes = 16 * 1024 * 1024;
inline constexpr int kMaxCertificateFiles = 4096;

// The certificates SSL_CERT_FILE and SSL_CERT_DIR name as they are now;
// empty when neither is set. Read again only when they change.
QList<QSslCertificate> EnvironmentCertificates();

// The configuration each request of the online update is made with: Qt's
// default one, with the environment's certificates added to the system's.
QSslConfiguration UpdateTlsConfiguration();

}  // namespace Quillmark
