#pragma once

#include <QByteArray>
#include <QString>

// The one 8-bit code page between ticket text and printer bytes (setting PaginaCodigosTiquet,
// "IBM850" by default). A character the code page lacks becomes "?".
class PaginaCodigos {
public:
    static constexpr const char* PorDefecto = "IBM850";

    // The code page of the settings object in use, or the default.
    static QString Actual();
    static bool Existe(const QString& nombre);

    static QByteArray ABytes(const QString& texto, const QString& pagina);
    static QString DeBytes(const QByteArray& bytes, const QString& pagina);
    static QByteArray ABytes(const QString& texto) { return ABytes(texto, Actual()); }
    static QString DeBytes(const QByteArray& bytes) { return DeBytes(bytes, Actual()); }
};
