#pragma once

#include <QByteArray>
#include <QByteArrayView>

struct evp_md_ctx_st;
struct evp_md_st;

// SHA-256 through OpenSSL's libcrypto (which the PostgreSQL client library brings anyway), using
// the processor's own instructions where it has them: the weighing log hashes every entry it
// writes, and its check every entry it reads. One object serves many texts in turn.
class Sha256 {
public:
    static constexpr qsizetype Longitud = 32; // bytes of a digest

    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // The digest of `datos`; valid until the next call.
    QByteArrayView Calcula(QByteArrayView datos);
    // The digest of `datos` in lower-case hexadecimal.
    static QByteArray Hexadecimal(QByteArrayView datos);
    // Whether `hexadecimal` is the lower-case hexadecimal of `digest`.
    static bool EsHexadecimal(QByteArrayView digest, QByteArrayView hexadecimal);

private:
    evp_md_ctx_st* m_contexto;
    evp_md_st* m_algoritmo;
    unsigned char m_digest[Longitud] = {};
};
