#include "update/Signature.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <memory>

namespace Quillmark {

namespace {

struct CKeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct CBioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
using CKey = std::unique_ptr<EVP_PKEY, CKeyFree>;

const unsigned char* Bytes(const QByteArray& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

QByteArray RawEd25519(const CKey& key) {
    if (!key || EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519) {
        return {};
    }
    QByteArray raw(kEd25519KeyBytes, '\0');
    std::size_t length = static_cast<std::size_t>(raw.size());
    if (EVP_PKEY_get_raw_public_key(key.get(), reinterpret_cast<unsigned char*>(raw.data()),
                                    &length) != 1 ||
        length != static_cast<std::size_t>(kEd25519KeyBytes)) {
        return {};
    }
    return raw;
}

}  // namespace

QByteArray ParsePublicKey(const QByteArray& text) {
    const QByteArray trimmed = text.trimmed();
    if (trimmed.startsWith("-----BEGIN")) {
        const std::unique_ptr<BIO, CBioFree> bio(
            BIO_new_mem_buf(trimmed.constData(), static_cast<int>(trimmed.size())));
        return bio ? RawEd25519(CKey(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr)))
                   : QByteArray();
    }
    const auto result =
        QByteArray::fromBase64Encoding(trimmed, QByteArray::AbortOnBase64DecodingErrors);
    const QByteArray& decoded = result.decoded;
    if (!result || decoded.isEmpty()) {
        return {};
    }
    if (decoded.size() == kEd25519KeyBytes) {
        return decoded;
    }
    // The DER form, all of it.
    const unsigned char* cursor = Bytes(decoded);
    CKey key(d2i_PUBKEY(nullptr, &cursor, static_cast<long>(decoded.size())));
    if (cursor != Bytes(decoded) + decoded.size()) {
        return {};
    }
    return RawEd25519(key);
}

QByteArray BuiltInPublicKey() {
#ifdef QUILLMARK_UPDATE_PUBLIC_KEY
    static const QByteArray key = [] {
        const QByteArray text(QUILLMARK_UPDATE_PUBLIC_KEY);
        const QByteArray raw = ParsePublicKey(text);
        return raw.isEmpty() ? text : raw;
    }();
    return key;
#else
    return {};
#endif
}

bool VerifySignature(const QByteArray& publicKey, const QByteArray& signature, const uchar* data,
                     qsizetype size) {
    if (publicKey.size() != kEd25519KeyBytes || signature.size() != kEd25519SignatureBytes ||
        size < 0 || (data == nullptr && size > 0)) {
        return false;
    }
    const CKey key(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, Bytes(publicKey),
                                               static_cast<std::size_t>(publicKey.size())));
    const std::unique_ptr<EVP_MD_CTX, CContextFree> context(EVP_MD_CTX_new());
    if (!key || !context ||
        EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
        return false;
    }
    static const unsigned char nothing = 0;
    return EVP_DigestVerify(context.get(), Bytes(signature),
                            static_cast<std::size_t>(signature.size()),
                            data != nullptr ? data : &nothing, static_cast<std::size_t>(size)) == 1;
}

}  // namespace Quillmark
