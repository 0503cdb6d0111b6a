#pragma once

#include <QString>

// One printer control code: the macro written in templates and its two expansions, the bytes
// sent to the printer and the characters shown in the preview. Each expansion is kept twice, as
// hexadecimal digits (two per byte) and as characters of the ticket code page (one per byte);
// setting either form sets the other.
class DirectPrintHelp {
public:
    explicit DirectPrintHelp(const QString& paginaCodigos = QString());

    // The code page between the two forms; changing it reads the characters again from the
    // hexadecimal digits.
    QString Pagina() const { return m_pagina; }
    void SetPagina(const QString& pagina);

    QString Macro() const { return m_macro; }
    void SetMacro(const QString& v) { m_macro = v; }
    QString Descripcion() const { return m_descripcion; }
    void SetDescripcion(const QString& v) { m_descripcion = v; }

    QString ValorHexPrinter() const { return m_hexPrinter; }
    void SetValorHexPrinter(const QString& hex);
    QString ValorStrPrinter() const { return m_strPrinter; }
    void SetValorStrPrinter(const QString& texto);

    QString ValorHexScreen() const { return m_hexScreen; }
    void SetValorHexScreen(const QString& hex);
    QString ValorStrScreen() const { return m_strScreen; }
    void SetValorStrScreen(const QString& texto);

    // Hexadecimal digits to characters: two digits per character (one for a last odd digit);
    // reading a pair stops at its first non-hexadecimal character, so "G1" gives code 0.
    static QString HexATexto(const QString& hex, const QString& pagina);
    // Characters to two upper-case hexadecimal digits each, by their byte in the code page.
    static QString TextoAHex(const QString& texto, const QString& pagina);

private:
    QString m_pagina;
    QString m_macro;
    QString m_descripcion;
    QString m_hexPrinter;
    QString m_strPrinter;
    QString m_hexScreen;
    QString m_strScreen;
};
