#pragma once

#include <QByteArray>
#include <QString>

// The one 8-bit code page between ticket text and printer bytes (setting PaginaCodigosTiquet,
// "IBM850" by default). A character the code page lacks becomes "?"; a code page the system
// does not know, or none, is taken as the default.
class PaginaCodigos {
public:
    static constexpr const char* PorDefecto = "IBM850";

    static bool Existe(const QString& nombre);

    static QByteArray ABytes(const QString& texto, const QString& pagina);
    static QString DeBytes(const QByteArray& bytes, const QString& pagina);
};
