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

QString DirectPrintHelp::HexATexto(const QString& hex) {
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
    return PaginaCodigos::DeBytes(bytes);
}

QString DirectPrintHelp::TextoAHex(const QString& texto) {
    return QString::fromLatin1(PaginaCodigos::ABytes(texto).toHex().toUpper());
}

void DirectPrintHelp::SetValorHexPrinter(const QString& hex) {
    m_hexPrinter = hex;
    m_strPrinter = HexATexto(hex);
}

void DirectPrintHelp::SetValorStrPrinter(const QString& texto) {
    m_strPrinter = texto;
    m_hexPrinter = TextoAHex(texto);
}

void DirectPrintHelp::SetValorHexScreen(const QString& hex) {
    m_hexScreen = hex;
    m_strScreen = HexATexto(hex);
}

void DirectPrintHelp::SetValorStrScreen(const QString& texto) {
    m_strScreen = texto;
    m_hexScreen = TextoAHex(texto);
}
