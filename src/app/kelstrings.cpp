#include "app/kelstrings.h"

#include <QRegularExpression>

QString kelStrings::HastaNulo(const QString& texto) {
    const qsizetype cero = texto.indexOf(QChar(0));
    return cero < 0 ? texto : texto.left(cero);
}

int kelStrings::LongitudRecortada(const QString& texto) {
    qsizetype inicio = 0;
    qsizetype fin = texto.size();
    while (inicio < fin && texto.at(inicio) == ' ')
        ++inicio;
    while (fin > inicio && texto.at(fin - 1) == ' ')
        --fin;
    return int(fin - inicio);
}

QString kelStrings::SinContrasenas(const QString& texto) {
    // A quoted value runs to its closing quote, backslash escapes included; a bare one to a
    // space, the next URI parameter, or a quote that closes the text quoting it.
    static const QRegularExpression valor(
        QStringLiteral(R"((password\s*=\s*)('(?:[^'\\]|\\.)*'?|[^\s&'"]*))"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression usuario(
        QStringLiteral(R"(((?:postgres|postgresql)://[^/?#@:\s]*):[^@\s/?#]*@)"),
        QRegularExpression::CaseInsensitiveOption);
    QString t = texto;
    t.replace(usuario, QStringLiteral("\\1:***@"));
    t.replace(valor, QStringLiteral("\\1***"));
    return t;
}
