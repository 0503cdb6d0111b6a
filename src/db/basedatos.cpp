#include "db/basedatos.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelfileio.h"
#include "db/esquema.h"
#include "db/esquemasqlite.h"
#include "db/transaccion.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <sqlite3.h>

namespace {

// A numeric key as a number; text that is no number stays text and matches no numeric key.
QVariant ValorNumerico(const QVariant& valor) {
    const QString t = valor.toString().trimmed();
    bool ok = false;
    const qlonglong entero = t.toLongLong(&ok);
    if (ok)
        return entero;
    const double doble = BaseDatos::NumeroSQL(t).toDouble(&ok);
    return ok ? QVariant(doble) : QVariant(t);
}

// What a window shows: what happened, then the path and the engine's text as detail.
QString ConDetalle(const QString& texto, const QString& ruta, const QString& motor) {
    QStringList detalle;
    if (!ruta.isEmpty())
        detalle << ruta;
    if (!motor.isEmpty())
        detalle << motor;
    return detalle.isEmpty() ? texto : texto + "\n\n" + detalle.join('\n');
}

// SQLite's extended result code, or -1 for an error of no engine.
int Codigo(const QSqlError& error) {
    bool ok = false;
    const int codigo = error.nativeErrorCode().toInt(&ok);
    return ok ? codigo : -1;
}

// The rule or key a constraint error names: "UNIQUE constraint failed: Taras.CodTara".
QString Restriccion(const QSqlError& error) {
    const QString t = error.databaseText();
    const int i = t.indexOf(": ");
    return i < 0 ? QString() : t.mid(i + 2);
}

// A column's CHECK is named "Table.Column" and stands for its type, or a text's length.
QString TextoComprobacion(const QString& nombre) {
    const int punto = nombre.indexOf('.');
    const ColumnaEsquema* c =
        punto < 0 ? nullptr : Esquema::Columna(nombre.left(punto), nombre.mid(punto + 1));
    if (!c)
        return QString();
    switch (c->tipo) {
    case TipoColumna::Texto:
        return Texto(IdTexto::BdTextoLargo).arg(nombre).arg(c->tamano);
    case TipoColumna::Entero:
        return Texto(IdTexto::BdSoloEnteros).arg(nombre);
    case TipoColumna::Doble:
        return Texto(IdTexto::BdSoloNumeros).arg(nombre);
    case TipoColumna::Booleano:
        return Texto(IdTexto::BdSoloSiNo).arg(nombre);
    case TipoColumna::Fecha:
        return Texto(IdTexto::BdSoloFechas).arg(nombre);
    case TipoColumna::FechaHora:
        return Texto(IdTexto::BdSoloFechasHora).arg(nombre);
    }
    return QString();
}

QString TextoDeFallo(const QSqlError& error) {
    const int codigo = Codigo(error);
    switch (codigo) {
    case SQLITE_READONLY_DIRECTORY:
        return Texto(IdTexto::BdCarpetaSoloLectura);
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        return Texto(IdTexto::BdClaveExiste).arg(Restriccion(error));
    case SQLITE_CONSTRAINT_NOTNULL:
        return Texto(IdTexto::BdObligatorio).arg(Restriccion(error));
    case SQLITE_CONSTRAINT_CHECK:
        return TextoComprobacion(Restriccion(error));
    }
    switch (codigo & 0xff) {
    case SQLITE_READONLY:
        return Texto(IdTexto::BdSoloLectura);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Texto(IdTexto::BdBloqueada);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return Texto(IdTexto::BdNoEsBaseDatos);
    case SQLITE_CANTOPEN:
        return Texto(IdTexto::BdNoSeAbre);
    }
    return QString();
}

QString TextoConRuta(const QSqlError& error, const QString& ruta) {
    QString texto = TextoDeFallo(error);
    if (texto.isEmpty())
        texto = Texto(IdTexto::BdError);
    const QString motor = error.databaseText();
    return ConDetalle(texto, ruta, motor.isEmpty() ? error.text() : motor);
}
} // namespace

Resultado BaseDatos::AbreBaseDatos(const clsDatosApp& datos, Apertura apertura) {
    const QString ruta = datos.BaseDatos();
    QSqlDatabase db = QSqlDatabase::contains(datos.NombreConexion())
                          ? QSqlDatabase::database(datos.NombreConexion(), false)
                          : QSqlDatabase::addDatabase("QSQLITE", datos.NombreConexion());
    db.close();
    // A mistyped path must not leave folders and an empty database behind.
    if (!kelFileIO::ExisteFichero(ruta) && !QFileInfo(QFileInfo(ruta).absolutePath()).isDir())
        return Resultado::Fallo(ConDetalle(Texto(IdTexto::BdSinCarpeta), ruta, QString()));
    db.setDatabaseName(ruta);
    db.setConnectOptions(apertura == Apertura::SoloLectura
                             ? "QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY"
                             : "QSQLITE_BUSY_TIMEOUT=5000");
    if (!db.open())
        return Resultado::Fallo(TextoError(db.lastError(), db));
    // Opening a file that is not a database succeeds; the first read tells.
    Resultado r;
    {
        QSqlQuery prueba(db);
        if (!prueba.exec("PRAGMA schema_version"))
            r = Resultado::Fallo(TextoError(prueba.lastError(), db));
    }
    if (r && apertura == Apertura::Completa)
        r = EsquemaSqlite::Completa(db);
    if (!r)
        db.close();
    return r;
}

Resultado BaseDatos::CompruebaEscritura(QSqlDatabase db) {
    QSqlQuery q(db);
    if (!q.exec("PRAGMA user_version") || !q.next())
        return Resultado::Fallo(TextoError(q.lastError(), db));
    const QString version = q.value(0).toString();
    q.finish();
    Transaccion t(db);
    if (!t.Inicio())
        return t.Inicio();
    // Writes the header page with what it holds; the guard undoes it.
    if (!q.exec("PRAGMA user_version = " + version))
        return Resultado::Fallo(TextoError(q.lastError(), db));
    return {};
}

QString BaseDatos::TextoError(const QSqlError& error) {
    return TextoConRuta(error, QString());
}

QString BaseDatos::TextoError(const QSqlError& error, const QSqlDatabase& db) {
    return TextoConRuta(error, db.databaseName());
}

bool BaseDatos::EsSoloLectura(const QSqlError& error) {
    return (Codigo(error) & 0xff) == SQLITE_READONLY;
}

QVariant BaseDatos::BuscaCampo(QSqlDatabase db, const QString& campo, const QString& tabla,
                               const QString& campoClave, const QVariant& valor, bool numerica) {
    const ColumnaEsquema* columna = Esquema::Columna(tabla, campo);
    const bool esTexto = columna && columna->tipo == TipoColumna::Texto;
    const QVariant vacio = esTexto ? QVariant(QString()) : QVariant(0);
    // Names come from the program, never from the operator; the key value is bound.
    if (!columna || !Esquema::Columna(tabla, campoClave))
        return vacio;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QString("SELECT \"%1\" FROM \"%2\" WHERE \"%3\" = ?").arg(campo, tabla, campoClave));
    q.addBindValue(numerica ? ValorNumerico(valor) : valor);
    if (!q.exec() || !q.next())
        return vacio;
    return q.value(0);
}

QString BaseDatos::NumeroSQL(double numero) {
    return NumeroSQL(QString::number(numero, 'g', 15));
}

QString BaseDatos::NumeroSQL(const QString& numero) {
    QString t = numero;
    t.replace(',', '.');
    return t;
}

QString BaseDatos::FechaSQL(const QDate& fecha) {
    return fecha.toString("yyyy-MM-dd");
}

QString BaseDatos::FechaHoraSQL(const QDateTime& momento) {
    return momento.toString("yyyy-MM-dd HH:mm:ss");
}

QDate BaseDatos::FechaDeSQL(const QVariant& valor) {
    return QDate::fromString(valor.toString().left(10), "yyyy-MM-dd");
}

QDateTime BaseDatos::FechaHoraDeSQL(const QVariant& valor) {
    const QString t = valor.toString();
    QDateTime d = QDateTime::fromString(t.left(19), "yyyy-MM-dd HH:mm:ss");
    if (!d.isValid())
        d = QDateTime(FechaDeSQL(t), QTime(0, 0));
    return d;
}
