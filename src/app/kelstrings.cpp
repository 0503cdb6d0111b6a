#include "app/kelstrings.h"

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
