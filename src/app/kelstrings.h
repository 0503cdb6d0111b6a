#pragma once

#include <QString>

class kelStrings {
public:
    // The text up to, not including, its first zero character.
    static QString HastaNulo(const QString& texto);
    // The length of the text without leading and trailing spaces.
    static int LongitudRecortada(const QString& texto);
};
