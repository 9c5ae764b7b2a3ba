#pragma once

// An Ed25519 key pair made when the test runs (OpenSSL), standing for the
// maker's: it signs installers, and gives its public half in each form the
// program reads it in.

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <QByteArray>
#include <memory>

namespace QuillmarkTest {

class CTestKeyPair {
public:
    // `algorithm`: "ED25519", or another kind ("EC", "RSA") for keys the
    // program must refuse.
    explicit CTestKeyPair(const char* algorithm = "ED25519") {
        if (QByteArray(algorithm) == "EC") {
            m_key.reset(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
        } else if (QByteArray(algorithm) == "RSA") {
            m_key.reset(EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", std::size_t{2048}));
        } else {
            m_key.reset(EVP_PKEY_Q_keygen(nullptr, nullptr, algorithm));
        }
    }
    bool IsReady() const { return m_key != nullptr; }

    // The 32 raw bytes of the public key (Ed25519 only).
    QByteArray PublicRaw() const {
        QByteArray raw(32, '\0');
        std::size_t length = 32;
        if (EVP_PKEY_get_raw_public_key(m_key.get(), reinterpret_cast<unsigned char*>(raw.data()),
                                        &length) != 1) {
            return {};
        }
        return raw.left(static_cast<qsizetype>(length));
    }
    // The public key as "-----BEGIN PUBLIC KEY-----" PEM.
    QByteArray PublicPem() const {
        return Written([this](BIO* bio) { return PEM_write_bio_PUBKEY(bio, m_key.get()); });
    }
    // The private key as PEM, which is no public key.
    QByteArray PrivatePem() const {
        return Written([this](BIO* bio) {
            return PEM_write_bio_PrivateKey(bio, m_key.get(), nullptr, nullptr, 0, nullptr,
                                            nullptr);
        });
    }
    // The public key's DER form (SubjectPublicKeyInfo).
    QByteArray PublicDer() const {
        unsigned char* der = nullptr;
        const int length = i2d_PUBKEY(m_key.get(), &der);
        QByteArray bytes(reinterpret_cast<const char*>(der), length);
        OPENSSL_free(der);
        return bytes;
    }

    // The Ed25519 signature (64 bytes) of `data`.
    QByteArray Sign(const QByteArray& data) const {
        std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                        &EVP_MD_CTX_free);
        QByteArray signature(64, '\0');
        std::size_t length = 64;
        if (EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, m_key.get()) != 1 ||
            EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()),
                           &length, reinterpret_cast<const unsigned char*>(data.constData()),
                           static_cast<std::size_t>(data.size())) != 1) {
            return {};
        }
        return signature.left(static_cast<qsizetype>(length));
    }

private:
    template <typename Write>
    static QByteArray Written(Write write) {
        std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), &BIO_free);
        if (!bio || write(bio.get()) != 1) {
            return {};
        }
        char* data = nullptr;
        const long length = BIO_get_mem_data(bio.get(), &data);
        return QByteArray(data, static_cast<qsizetype>(length));
    }

    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> m_key{nullptr, &EVP_PKEY_free};
};

}  // namespace QuillmarkTest
