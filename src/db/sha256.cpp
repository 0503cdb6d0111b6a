#include "db/sha256.h"

#include <openssl/evp.h>

Sha256::Sha256()
    : m_contexto(EVP_MD_CTX_new()), m_algoritmo(EVP_MD_fetch(nullptr, "SHA256", nullptr)) {}

Sha256::~Sha256() {
    EVP_MD_free(m_algoritmo);
    EVP_MD_CTX_free(m_contexto);
}

QByteArrayView Sha256::Calcula(QByteArrayView datos) {
    unsigned int longitud = 0;
    if (!m_contexto || !m_algoritmo || !EVP_DigestInit_ex(m_contexto, m_algoritmo, nullptr) ||
        !EVP_DigestUpdate(m_contexto, datos.data(), size_t(datos.size())) ||
        !EVP_DigestFinal_ex(m_contexto, m_digest, &longitud) || longitud != Longitud)
        qFatal("SHA-256 is not available from libcrypto");
    return {reinterpret_cast<const char*>(m_digest), Longitud};
}

QByteArray Sha256::Hexadecimal(QByteArrayView datos) {
    Sha256 sha;
    return sha.Calcula(datos).toByteArray().toHex();
}

bool Sha256::EsHexadecimal(QByteArrayView digest, QByteArrayView hexadecimal) {
    static constexpr char kCifras[] = "0123456789abcdef";
    if (hexadecimal.size() != 2 * digest.size())
        return false;
    for (qsizetype i = 0; i < digest.size(); ++i) {
        const auto b = uchar(digest[i]);
        if (hexadecimal[2 * i] != kCifras[b >> 4] || hexadecimal[2 * i + 1] != kCifras[b & 15])
            return false;
    }
    return true;
}
