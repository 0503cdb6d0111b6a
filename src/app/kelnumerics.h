#pragma once

#include <QString>
#include <QVariant>

// Small conversions that never fail, and the next-number rule for delivery-note numbers.
class kelNumerics {
public:
    // The code that follows `actual`; `longitudMaxima` > 0 limits the result's length.
    static QString SiguienteNumero(const QString& actual, int longitudMaxima);
    // The leading decimal number of a text ("12.5 kg" -> 12.5), 0 when there is none.
    static double Val(const QString& texto);
    // Booleans: any non-zero number is true; words, empty text and anything else are false.
    static bool BooleanoSeguro(const QVariant& valor);
    // A 32-bit integer, rounded to the nearest (halves to even); 0 when it cannot be converted.
    static qint32 EnteroSeguro(const QVariant& valor);
    // The leading number of a text, rounded to the nearest integer (halves to even); 0 when
    // there is none or it does not fit in `bits` bits.
    static qint32 EnteroInicial(const QString& texto, int bits = 32);
    static QVariant Mayor(const QVariant& a, const QVariant& b);
};
