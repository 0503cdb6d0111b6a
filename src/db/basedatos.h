#pragma once

#include "app/resultado.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

class clsDatosApp;

// Opening the database, completing its schema, and the small helpers every window uses to read
// and write it. The database is a SQLite file, or a database on a PostgreSQL server named by a
// connection URI; nothing outside this library knows which. Nothing here shows a message: errors
// come back as text a window shows.
class BaseDatos {
public:
    enum class Apertura {
        Completa,    // creates a missing file and completes the schema
        SoloLectura, // an existing file, read only and left exactly as it is
    };

    // Opens datos.Conexion() on datos.BaseDatos(). A missing file is created only in a folder
    // that exists; no folder is ever created here. A file is shared with the other programs
    // that open it: a writer waits a few seconds for another to finish, and readers never wait
    // for a writer.
    static Resultado AbreBaseDatos(const clsDatosApp& datos,
                                   Apertura apertura = Apertura::Completa);
    // Whether `baseDatos` names a database on a server ("postgresql://...", "postgres://..." or
    // "host=... dbname=...") rather than a file.
    static bool EsServidor(const QString& baseDatos);
    // Whether the database named exists: a file that exists, or any server address (opening it
    // tells).
    static bool Existe(const QString& baseDatos);
    // Makes sure the connection is up: a server connection that was lost (the server restarted,
    // the network was cut) is opened again. A file's is always up.
    static Resultado Conecta(QSqlDatabase db);
    // The columns a table of the database has; none when there is no such table.
    static Resultado Columnas(QSqlDatabase db, const QString& tabla, QStringList& columnas);
    // The path of a file database, whatever form it was opened in; empty for a server.
    static QString Archivo(const QSqlDatabase& db);
    // The database's path, or its server and name, for messages.
    static QString Descripcion(const QSqlDatabase& db);
    // An ORDER BY term for the order in which rows were added, as far as the engine keeps it
    // (on a server, until a row is changed).
    static QString OrdenDeAlta(const QSqlDatabase& db);
    // `expresion` as an ORDER BY term or comparison operand that, for text, goes without regard
    // to letter case, as keys compare (and as the schema's indexes on text order).
    static QString SinMayusculas(const QSqlDatabase& db, const QString& expresion, bool texto);
    // Whether the open database takes writes: a write is tried and undone. Fails with the text
    // that tells why (a read-only file or folder, another program holding the file).
    static Resultado CompruebaEscritura(QSqlDatabase db);

    // Runs a prepared statement that writes, with its bound values. A text holding a control
    // character (a NUL, a tab, a line break) is refused before the engine sees it, the same on
    // every engine: a server takes no NUL, and exported rows could not hold the others.
    static Resultado Escribe(QSqlQuery& q);

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
    // that cannot be opened or created, a key that exists, a value a column does not take, a
    // lost connection to the server), then, as detail, the database's path or server (when the
    // connection is given) and the engine's own text. Every message about a database error is
    // made here.
    static QString TextoError(const QSqlError& error);
    static QString TextoError(const QSqlError& error, const QSqlDatabase& db);
    // Whether the error says that the file, or its folder, cannot be written, or that the server
    // takes no writes from this user.
    static bool EsSoloLectura(const QSqlError& error);
};
