#pragma once

#include "app/resultado.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>

class clsDatosApp;

// Opening the database file, completing its schema, and the small helpers every window uses
// to read and write it. Nothing here shows a message: errors come back as text a window shows.
class BaseDatos {
public:
    enum class Apertura {
        Completa,    // creates a missing file and completes the schema
        SoloLectura, // an existing file, read only and left exactly as it is
    };

    // Opens datos.Conexion() on datos.BaseDatos(). A missing file is created only in a folder
    // that exists; no folder is ever created here.
    static Resultado AbreBaseDatos(const clsDatosApp& datos,
                                   Apertura apertura = Apertura::Completa);
    // Whether the open database takes writes: a write is tried and undone. Fails with the text
    // that tells why (a read-only file or folder, another program holding the file).
    static Resultado CompruebaEscritura(QSqlDatabase db);

    // The value of `campo` in the first row of `tabla` whose `campoClave` equals `valor`; text
    // keys match without regard to letter case. No row: "" for a text field, 0 otherwise. The
    // key is always passed as a bound parameter; `numerica` binds it as a number.
    static QVariant BuscaCampo(QSqlDatabase db, const QString& campo, const QString& tabla,
                               const QString& campoClave, const QVariant& valor, bool numerica);

    // A number as SQL text whatever the user's decimal separator: "," becomes ".".
    static QString NumeroSQL(double numero);
    static QString NumeroSQL(const QString& numero);

    // Stored forms of dates, the only ones date columns take: "yyyy-MM-dd" and
    // "yyyy-MM-dd HH:mm:ss" (a QDateTime bound as it is would be written with a "T").
    static QString FechaSQL(const QDate& fecha);
    static QString FechaHoraSQL(const QDateTime& momento);
    static QDate FechaDeSQL(const QVariant& valor);
    static QDateTime FechaHoraDeSQL(const QVariant& valor);

    // The text a window shows for a database error, in the interface language: what happened
    // (a read-only file or folder, a file locked by another program or that is no database, one
    // that cannot be opened or created, a key that exists, a value a column does not take),
    // then, as detail, the database's path (when the connection is given) and the engine's own
    // text. Every message about a database error is made here.
    static QString TextoError(const QSqlError& error);
    static QString TextoError(const QSqlError& error, const QSqlDatabase& db);
    // Whether the error says that the file, or its folder, cannot be written.
    static bool EsSoloLectura(const QSqlError& error);
};
