#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The bytes of an export text file. Windows-1252 by default, the 8-bit code page that the
// spreadsheet and accounting programs of the stations read; a character that code page lacks is
// written as "?". UTF-8 (without a byte-order mark) on request.
class CodificacionExportacion {
public:
    enum class Tipo { Windows1252, Utf8 };

    // "windows-1252" (also "cp1252") or "utf-8" (also "utf8"), in any letter case.
    static bool DeNombre(const QString& nombre, Tipo& tipo);
    static QString Nombre(Tipo tipo);

    static void Anexa(QByteArray& destino, QStringView texto, Tipo tipo);
    // The same from UTF-8 text; a malformed sequence counts as one character missing.
    static void AnexaDesdeUtf8(QByteArray& destino, QByteArrayView utf8, Tipo tipo);
    static QByteArray Codifica(QStringView texto, Tipo tipo);
    static QString Decodifica(const QByteArray& bytes, Tipo tipo);
};
