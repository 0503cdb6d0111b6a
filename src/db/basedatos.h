#pragma once

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>

class clsDatosApp;

// Opening the database file, completing its schema, and the small helpers every window uses
// to read and write it. Nothing here shows a message: errors come back as text.
class BaseDatos {
public:
    enum class Resultado {
        Abierta,
        NoResponde,   // an existing file cannot be opened or is not a database
        ErrorEsquema, // a missing file, table, column or index could not be created
    };

    // The fixed message shown when the database cannot be opened.
    static QString MensajeNoResponde();

    // Opens datos.Conexion() on datos.BaseDatos(), creating the file when it is missing, and
    // completes the schema. `error` receives the engine's text on failure.
    static Resultado AbreBaseDatos(clsDatosApp& datos, QString* error = nullptr);
    // Adds every missing table, column and key index; never alters or drops anything.
    static bool CompletaEsquema(QSqlDatabase db, QString* error = nullptr);

    // The value of `campo` in the first row of `tabla` whose `campoClave` equals `valor`.
    // No row: "" for a text field, 0 otherwise. The key is always passed as a bound parameter;
    // `numerica` binds it as a number.
    static QVariant BuscaCampo(const QString& campo, const QString& tabla,
                               const QString& campoClave, const QVariant& valor, bool numerica);
    static QVariant BuscaCampo(QSqlDatabase db, const QString& campo, const QString& tabla,
                               const QString& campoClave, const QVariant& valor, bool numerica);

    // A number as SQL text whatever the user's decimal separator: "," becomes ".".
    static QString NumeroSQL(double numero);
    static QString NumeroSQL(const QString& numero);

    // Stored forms of dates: "yyyy-MM-dd" and "yyyy-MM-dd HH:mm:ss".
    static QString FechaSQL(const QDate& fecha);
    static QString FechaHoraSQL(const QDateTime& momento);
    static QDate FechaDeSQL(const QVariant& valor);
    static QDateTime FechaHoraDeSQL(const QVariant& valor);

    // The engine's own text of an error, or Qt's when the engine gave none.
    static QString TextoError(const QSqlError& error);

    // The connection of the settings object in use.
    static QSqlDatabase Conexion();
};
