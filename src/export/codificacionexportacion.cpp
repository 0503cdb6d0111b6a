#include "export/codificacionexportacion.h"

#include <cstring>

namespace {
// Characters of bytes 0x80..0x9F in Windows-1252; 0 where the byte is unassigned. Every other
// byte stands for the character of the same number.
constexpr char16_t kAltos[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ByteDe(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kAltos[i] == c && c != 0)
            return char(0x80 + i);
    return '?';
}
} // namespace

bool CodificacionExportacion::DeNombre(const QString& nombre, Tipo& tipo) {
    const QString n = nombre.trimmed().toLower();
    if (n == u"windows-1252" || n == u"cp1252") {
        tipo = Tipo::Windows1252;
        return true;
    }
    if (n == u"utf-8" || n == u"utf8") {
        tipo = Tipo::Utf8;
        return true;
    }
    return false;
}

QString CodificacionExportacion::Nombre(Tipo tipo) {
    return tipo == Tipo::Utf8 ? QStringLiteral("utf-8") : QStringLiteral("windows-1252");
}

void CodificacionExportacion::Anexa(QByteArray& destino, QStringView texto, Tipo tipo) {
    if (tipo == Tipo::Utf8) {
        destino += texto.toUtf8();
        return;
    }
    const qsizetype inicio = destino.size();
    destino.resize(inicio + texto.size());
    char* p = destino.data() + inicio;
    qsizetype n = 0;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const char16_t c = texto[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < texto.size() &&
            QChar::isLowSurrogate(texto[i + 1].unicode()))
            ++i; // one character outside the code page
        p[n++] = ByteDe(c);
    }
    destino.resize(inicio + n);
}

void CodificacionExportacion::AnexaDesdeUtf8(QByteArray& destino, QByteArrayView utf8, Tipo tipo) {
    if (tipo == Tipo::Utf8) {
        destino += utf8;
        return;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const qsizetype n = utf8.size();
    const qsizetype inicio = destino.size();
    destino.resize(inicio + n); // never longer than its UTF-8
    char* d = destino.data() + inicio;
    qsizetype k = 0;
    for (qsizetype i = 0; i < n;) {
        // Plain ASCII, the most of any export, eight bytes at a time.
        if (i + 8 <= n) {
            quint64 ocho;
            std::memcpy(&ocho, p + i, 8);
            if ((ocho & 0x8080808080808080ULL) == 0) {
                std::memcpy(d + k, p + i, 8);
                k += 8;
                i += 8;
                continue;
            }
        }
        const unsigned char b = p[i];
        if (b < 0x80) {
            d[k++] = char(b);
            ++i;
            continue;
        }
        // Length and first bits of the sequence; the continuation bytes must follow.
        int largo = 0;
        char32_t c = 0;
        if ((b & 0xE0) == 0xC0) {
            largo = 2;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            largo = 3;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            largo = 4;
            c = b & 0x07;
        }
        bool valida = largo > 0 && i + largo <= n;
        for (int j = 1; valida && j < largo; ++j) {
            if ((p[i + j] & 0xC0) != 0x80)
                valida = false;
            else
                c = (c << 6) | (p[i + j] & 0x3F);
        }
        if (!valida) {
            d[k++] = '?';
            ++i;
            continue;
        }
        d[k++] = c > 0xFFFF ? '?' : ByteDe(char16_t(c));
        i += largo;
    }
    destino.resize(inicio + k);
}

QByteArray CodificacionExportacion::Codifica(QStringView texto, Tipo tipo) {
    QByteArray b;
    Anexa(b, texto, tipo);
    return b;
}

QString CodificacionExportacion::Decodifica(const QByteArray& bytes, Tipo tipo) {
    if (tipo == Tipo::Utf8)
        return QString::fromUtf8(bytes);
    QString t;
    t.reserve(bytes.size());
    for (char b : bytes) {
        const unsigned char u = static_cast<unsigned char>(b);
        const char16_t c = (u >= 0x80 && u <= 0x9F) ? kAltos[u - 0x80] : char16_t(u);
        t += QChar(c ? c : char16_t(0xFFFD));
    }
    return t;
}
