#include "db/basedatos.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelfileio.h"
#include "app/kelstrings.h"
#include "db/conexionpostgres.h"
#include "db/esquema.h"
#include "db/esquemapostgres.h"
#include "db/esquemasqlite.h"
#include "db/plazoservidor.h"
#include "db/transaccion.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QUrl>
#include <algorithm>
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
    const qsizetype i = t.indexOf(": ");
    return i < 0 ? QString() : t.mid(i + 2);
}

// A column's CHECK is named "Table.Column" and stands for its type, or a text's length.
QString TextoComprobacion(const QString& nombre) {
    const qsizetype punto = nombre.indexOf('.');
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

// Names the server's message quotes ("taras", "codtara"), in the declared spelling.
QStringList NombresCitados(const QString& mensaje) {
    static const QRegularExpression citado(QStringLiteral("\"([^\"]+)\""));
    QStringList nombres;
    for (auto it = citado.globalMatch(mensaje); it.hasNext();)
        nombres << it.next().captured(1);
    return nombres;
}

// The key a unique error names by its index, as "Table.Column, Table.Column".
QString ClaveDeIndice(const QString& mensaje) {
    for (const QString& nombre : NombresCitados(mensaje))
        for (const TablaEsquema& t : Esquema::Tablas())
            if (nombre.compare(t.NombreIndiceClave(), Qt::CaseInsensitive) == 0) {
                QStringList columnas;
                for (const QString& c : t.clave)
                    columnas << t.nombre + '.' + c;
                return columnas.join(", ");
            }
    return QString();
}

// The column a not-null error names, as "Table.Column".
QString ColumnaCitada(const QString& mensaje) {
    const QStringList nombres = NombresCitados(mensaje);
    for (const QString& tabla : nombres)
        if (const TablaEsquema* t = Esquema::Tabla(tabla))
            for (const QString& columna : nombres)
                if (const ColumnaEsquema* c = t->Columna(columna))
                    return t->nombre + '.' + c->nombre;
    return nombres.value(0);
}

QString TextoDeFalloServidor(const QSqlError& error) {
    if (ConexionPostgres::Perdida(error)) {
        const int plazo = PlazoServidor::Cortada();
        return plazo ? Texto(IdTexto::BdSinRespuesta).arg(plazo)
                     : Texto(IdTexto::BdConexionPerdida);
    }
    const QString codigo = error.nativeErrorCode();
    const QString mensaje = error.databaseText();
    if (codigo == u"23505")
        return Texto(IdTexto::BdClaveExiste).arg(ClaveDeIndice(mensaje));
    if (codigo == u"23502")
        return Texto(IdTexto::BdObligatorio).arg(ColumnaCitada(mensaje));
    if (codigo == u"22001")
        return Texto(IdTexto::BdTextoDemasiadoLargo);
    if (codigo == u"25006")
        return Texto(IdTexto::BdSoloLectura);
    if (codigo == u"42501")
        return Texto(IdTexto::BdSinPermiso);
    // Data exceptions: a value of another type, out of range, not a date.
    if (codigo.startsWith(QLatin1String("22")))
        return Texto(IdTexto::BdValorNoAdmitido);
    return QString();
}

QString TextoConRuta(const QSqlError& error, const QString& ruta, const QString& archivo) {
    QString texto =
        ConexionPostgres::EsError(error) ? TextoDeFalloServidor(error) : TextoDeFallo(error);
    // A file read as it stands because its folder takes no writes refuses them as a read-only
    // file does; the folder is what has to change.
    if (!archivo.isEmpty() && (Codigo(error) & 0xff) == SQLITE_READONLY &&
        !kelFileIO::Escribible(QFileInfo(archivo).absolutePath()))
        texto = Texto(IdTexto::BdCarpetaSoloLectura);
    if (texto.isEmpty())
        texto = Texto(IdTexto::BdError);
    QString motor = error.databaseText().trimmed();
    if (motor.isEmpty())
        motor = error.text();
    return ConDetalle(texto, ruta, kelStrings::SinContrasenas(motor));
}

// Opens the connection. Opening a file that is not a database succeeds; the first read tells.
Resultado Prueba(QSqlDatabase db) {
    db.close();
    if (!db.open())
        return Resultado::Fallo(BaseDatos::TextoError(db.lastError(), db));
    QSqlQuery prueba(db);
    if (!prueba.exec("PRAGMA schema_version"))
        return Resultado::Fallo(BaseDatos::TextoError(prueba.lastError(), db));
    return {};
}

// The named connection of the settings object, of the driver the database needs.
QSqlDatabase ConexionDe(const QString& nombre, const QString& driver) {
    if (QSqlDatabase::contains(nombre)) {
        bool mismo = false;
        {
            QSqlDatabase db = QSqlDatabase::database(nombre, false);
            db.close();
            mismo = db.driverName() == driver;
        }
        if (mismo)
            return QSqlDatabase::database(nombre, false);
        QSqlDatabase::removeDatabase(nombre);
    }
    return QSqlDatabase::addDatabase(driver, nombre);
}

Resultado AbreServidor(QSqlDatabase db, const QString& direccion, BaseDatos::Apertura apertura,
                       int segundos) {
    const bool soloLectura = apertura == BaseDatos::Apertura::SoloLectura;
    Resultado r = ConexionPostgres::Prepara(db, direccion, soloLectura, segundos);
    if (r)
        r = ConexionPostgres::Abre(db);
    if (r && !soloLectura)
        r = EsquemaPostgres::Completa(db);
    if (!r)
        db.close();
    return r;
}
} // namespace

Resultado BaseDatos::AbreBaseDatos(const clsDatosApp& datos, Apertura apertura) {
    const QString ruta = datos.BaseDatos();
    if (EsServidor(ruta))
        return AbreServidor(ConexionDe(datos.NombreConexion(), QStringLiteral("QPSQL")), ruta,
                            apertura, datos.EsperaServidor());
    QSqlDatabase db = ConexionDe(datos.NombreConexion(), QStringLiteral("QSQLITE"));
    // A mistyped path must not leave folders and an empty database behind.
    if (!kelFileIO::ExisteFichero(ruta) && !QFileInfo(QFileInfo(ruta).absolutePath()).isDir())
        return Resultado::Fallo(ConDetalle(Texto(IdTexto::BdSinCarpeta), ruta, QString()));
    const bool soloLectura = apertura == Apertura::SoloLectura;
    if (soloLectura && !kelFileIO::ExisteFichero(ruta))
        return Resultado::Fallo(ConDetalle(Texto(IdTexto::BdNoSeAbre), ruta, QString()));
    // Readers open the file for writing too when they may, only to share the write-ahead log
    // of the programs that write it and to remove the log when they are the last to close;
    // query_only keeps them from changing anything. A file this user cannot write, or in a
    // folder it cannot write, that no program has open (it has no log) is read as it stands,
    // creating nothing beside it, whatever its journal: a log could not be made beside it, and
    // a station can then only look at it.
    if (kelFileIO::ExisteFichero(ruta) && !kelFileIO::ExisteFichero(ruta + "-wal") &&
        (!kelFileIO::Escribible(ruta) || !kelFileIO::Escribible(QFileInfo(ruta).absolutePath()))) {
        db.setDatabaseName(QUrl::fromLocalFile(ruta).toString(QUrl::FullyEncoded) + "?immutable=1");
        db.setConnectOptions("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
    } else {
        db.setDatabaseName(ruta);
        db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
    }
    Resultado r = Prueba(db);
    if (r && soloLectura)
        QSqlQuery(db).exec(QStringLiteral("PRAGMA query_only = ON"));
    if (r && apertura == Apertura::Completa) {
        r = EsquemaSqlite::Completa(db);
        // Write-ahead logging lets readers go on while another program writes. A file that
        // cannot be written keeps the journal it has; one that failed to complete is left
        // exactly as it was.
        if (r)
            QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    }
    if (!r)
        db.close();
    return r;
}

bool BaseDatos::EsServidor(const QString& baseDatos) {
    return ConexionPostgres::EsDireccion(baseDatos);
}

bool BaseDatos::Existe(const QString& baseDatos) {
    return EsServidor(baseDatos) || kelFileIO::ExisteFichero(baseDatos);
}

Resultado BaseDatos::Conecta(QSqlDatabase db) {
    return ConexionPostgres::EsPostgres(db) ? ConexionPostgres::Conecta(db) : Resultado();
}

Resultado BaseDatos::Columnas(QSqlDatabase db, const QString& tabla, QStringList& columnas) {
    columnas.clear();
    QSqlQuery q(db);
    q.prepare(ConexionPostgres::EsPostgres(db)
                  ? "SELECT column_name FROM information_schema.columns WHERE table_schema = "
                    "current_schema() AND table_name = lower(?)"
                  : "SELECT name FROM pragma_table_info(?)");
    q.addBindValue(tabla);
    if (!q.exec())
        return Resultado::Fallo(TextoError(q.lastError(), db));
    while (q.next())
        columnas << q.value(0).toString();
    return {};
}

QString BaseDatos::Archivo(const QSqlDatabase& db) {
    if (ConexionPostgres::EsPostgres(db))
        return QString();
    const QString nombre = db.databaseName();
    return nombre.startsWith(QLatin1String("file:")) ? QUrl(nombre).toLocalFile() : nombre;
}

QString BaseDatos::Descripcion(const QSqlDatabase& db) {
    return ConexionPostgres::EsPostgres(db) ? ConexionPostgres::Descripcion(db) : Archivo(db);
}

QString BaseDatos::OrdenDeAlta(const QSqlDatabase& db) {
    return ConexionPostgres::EsPostgres(db) ? QStringLiteral("ctid") : QStringLiteral("rowid");
}

QString BaseDatos::SinMayusculas(const QSqlDatabase& db, const QString& expresion, bool texto) {
    // A server's text, computed text too, takes the collation of the columns it comes from.
    if (!texto || ConexionPostgres::EsPostgres(db))
        return expresion;
    return expresion + QStringLiteral(" COLLATE NOCASE");
}

Resultado BaseDatos::CompruebaEscritura(QSqlDatabase db) {
    if (ConexionPostgres::EsPostgres(db)) {
        // Changing no row still needs the right to change each table, and a session that
        // takes writes.
        Transaccion t(db);
        if (!t.Inicio())
            return t.Inicio();
        QSqlQuery q(db);
        for (const TablaEsquema& tabla : Esquema::Tablas()) {
            // A table whose rows are only added needs no right but adding.
            const QString columna = tabla.columnas.front().nombre;
            if ((!tabla.soloAnadir && !q.exec("UPDATE " + tabla.nombre + " SET " + columna + " = " +
                                              columna + " WHERE false")) ||
                !q.exec("INSERT INTO " + tabla.nombre + " SELECT * FROM " + tabla.nombre +
                        " WHERE false") ||
                (!tabla.soloAnadir && !q.exec("DELETE FROM " + tabla.nombre + " WHERE false")))
                return Resultado::Fallo(TextoError(q.lastError(), db));
        }
        return {};
    }
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
    return TextoConRuta(error, QString(), QString());
}

QString BaseDatos::TextoError(const QSqlError& error, const QSqlDatabase& db) {
    return TextoConRuta(error, Descripcion(db), Archivo(db));
}

bool BaseDatos::EsSoloLectura(const QSqlError& error) {
    if (ConexionPostgres::EsError(error))
        return error.nativeErrorCode() == u"25006" || error.nativeErrorCode() == u"42501";
    return (Codigo(error) & 0xff) == SQLITE_READONLY;
}

Resultado BaseDatos::Escribe(QSqlQuery& q) {
    for (const QVariant& v : q.boundValues()) {
        if (v.typeId() != QMetaType::QString)
            continue;
        const QString texto = v.toString();
        if (std::none_of(texto.begin(), texto.end(),
                         [](QChar c) { return c.category() == QChar::Other_Control; }))
            continue;
        // Shown with each control character as its picture ("␀", "␉"), and not too long.
        QString visible;
        for (const QChar c : texto.left(60))
            visible += c.category() != QChar::Other_Control ? c
                       : c.unicode() < 0x20                 ? QChar(0x2400 + c.unicode())
                       : c.unicode() == 0x7f                ? QChar(0x2421)
                                                            : QChar(0xfffd);
        if (texto.size() > 60)
            visible += QChar(0x2026);
        return Resultado::Fallo(Texto(IdTexto::BdCaracteresControl).arg(visible));
    }
    if (!q.exec())
        return Resultado::Fallo(TextoError(q.lastError()));
    return {};
}

QVariant BaseDatos::BuscaCampo(QSqlDatabase db, const QString& campo, const QString& tabla,
                               const QString& campoClave, const QVariant& valor, bool numerica) {
    const ColumnaEsquema* columna = Esquema::Columna(tabla, campo);
    const bool esTexto = columna && columna->tipo == TipoColumna::Texto;
    const QVariant vacio = esTexto ? QVariant(QString()) : QVariant(0);
    // Names come from the program, never from the operator; the key value is bound.
    if (!columna || !Esquema::Columna(tabla, campoClave))
        return vacio;
    const PlazoServidor plazo(db);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QString("SELECT %1 FROM %2 WHERE %3 = ?")
                  .arg(Esquema::Identificador(campo), Esquema::Identificador(tabla),
                       Esquema::Identificador(campoClave)));
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
    // A server's timestamp comes as the wall-clock time it holds.
    if (valor.typeId() == QMetaType::QDateTime)
        return valor.toDateTime();
    const QString t = valor.toString();
    QDateTime d = QDateTime::fromString(t.left(19), "yyyy-MM-dd HH:mm:ss");
    if (!d.isValid())
        d = QDateTime(FechaDeSQL(t), QTime(0, 0));
    return d;
}
