#include "ticket/directprinthelp.h"

#include "ticket/paginacodigos.h"

namespace {
int DigitoHex(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}
} // namespace

DirectPrintHelp::DirectPrintHelp(const QString& paginaCodigos) : m_pagina(paginaCodigos) {}

void DirectPrintHelp::SetPagina(const QString& pagina) {
    m_pagina = pagina;
    m_strPrinter = HexATexto(m_hexPrinter, m_pagina);
    m_strScreen = HexATexto(m_hexScreen, m_pagina);
}

QString DirectPrintHelp::HexATexto(const QString& hex, const QString& pagina) {
    QByteArray bytes;
    bytes.reserve(hex.size() / 2 + 1);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        int valor = 0;
        for (qsizetype j = i; j < i + 2 && j < hex.size(); ++j) {
            const int d = DigitoHex(hex.at(j));
            if (d < 0)
                break;
            valor = valor * 16 + d;
        }
        bytes.append(char(valor));
    }
    return PaginaCodigos::DeBytes(bytes, pagina);
}

QString DirectPrintHelp::TextoAHex(const QString& texto, const QString& pagina) {
    return QString::fromLatin1(PaginaCodigos::ABytes(texto, pagina).toHex().toUpper());
}

void DirectPrintHelp::SetValorHexPrinter(const QString& hex) {
    m_hexPrinter = hex;
    m_strPrinter = HexATexto(hex, m_pagina);
}

void DirectPrintHelp::SetValorStrPrinter(const QString& texto) {
    m_strPrinter = texto;
    m_hexPrinter = TextoAHex(texto, m_pagina);
}

void DirectPrintHelp::SetValorHexScreen(const QString& hex) {
    m_hexScreen = hex;
    m_strScreen = HexATexto(hex, m_pagina);
}

void DirectPrintHelp::SetValorStrScreen(const QString& texto) {
    m_strScreen = texto;
    m_hexScreen = TextoAHex(texto, m_pagina);
}
