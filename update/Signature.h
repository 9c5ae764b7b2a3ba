#pragma once

// Ed25519 signatures of downloaded installers (OpenSSL). The maker signs
// the installer's bytes, all of them, with its private key; a build made
// with QUILLMARK_UPDATE_PUBLIC_KEY carries the public half and keeps only an
// installer whose signature it verifies.

#include <QByteArray>
#include <QtGlobal>

namespace Quillmark {

inline constexpr qsizetype kEd25519KeyBytes = 32;
inline constexpr qsizetype kEd25519SignatureBytes = 64;

// The 32 raw bytes of an Ed25519 public key given as PEM ("-----BEGIN
// PUBLIC KEY-----"), as base64 of its DER form, or as base64 of the raw 32
// bytes; empty for anything else (another kind of key, a private key).
QByteArray ParsePublicKey(const QByteArray& text);

// The key built in when the program was configured; empty when none. A
// key that was built in but cannot be read is given back as it stands, so
// that nothing verifies against it: a broken key never means "unsigned".
QByteArray BuiltInPublicKey();

// Whether `signature` is a valid Ed25519 signature of the `size` bytes at
// `data` by `publicKey` (32 raw bytes).
bool VerifySignature(const QByteArray& publicKey, const QByteArray& signature, const uchar* data,
                     qsizetype size);

}  // namespace Quillmark
