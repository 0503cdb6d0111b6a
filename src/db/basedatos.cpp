#include "db/basedatos.h"

#include "app/clsdatosapp.h"
#include "app/kelfileio.h"
#include "db/esquema.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QSet<QString> Nombres(QSqlDatabase db, const QString& sql) {
    QSet<QString> nombres;
    QSqlQuery q(db);
    if (q.exec(sql))
        while (q.next())
            nombres.insert(q.value(0).toString().toLower());
    return nombres;
}
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
} // namespace

QString BaseDatos::MensajeNoResponde() {
    return QStringLiteral(
        "La base de datos no responde.\r\nConsulte al administrador del sistema.");
}

BaseDatos::Resultado BaseDatos::AbreBaseDatos(clsDatosApp& datos, QString* error) {
    const QString ruta = datos.BaseDatos();
    QSqlDatabase db = QSqlDatabase::contains(datos.NombreConexion())
                          ? QSqlDatabase::database(datos.NombreConexion(), false)
                          : QSqlDatabase::addDatabase("QSQLITE", datos.NombreConexion());
    const bool nueva = !kelFileIO::ExisteFichero(ruta);
    if (nueva)
        QDir().mkpath(QFileInfo(ruta).absolutePath());
    db.setDatabaseName(ruta);
    db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
    if (!db.open()) {
        if (error)
            *error = BaseDatos::TextoError(db.lastError());
        // A file that could not be created is reported with the engine's own error.
        return nueva ? Resultado::ErrorEsquema : Resultado::NoResponde;
    }
    // Opening a file that is not a database succeeds; the first read tells.
    QSqlQuery prueba(db);
    if (!prueba.exec("PRAGMA schema_version")) {
        if (error)
            *error = BaseDatos::TextoError(prueba.lastError());
        db.close();
        return Resultado::NoResponde;
    }
    prueba.finish();
    if (!CompletaEsquema(db, error)) {
        db.close();
        return Resultado::ErrorEsquema;
    }
    return Resultado::Abierta;
}

bool BaseDatos::CompletaEsquema(QSqlDatabase db, QString* error) {
    QSqlQuery q(db);
    auto ejecuta = [&](const QString& sql) {
        if (q.exec(sql))
            return true;
        if (error)
            *error = BaseDatos::TextoError(q.lastError()) + "\n" + sql;
        return false;
    };
    const QSet<QString> tablas = Nombres(db, "SELECT name FROM sqlite_master WHERE type = 'table'");
    for (const TablaEsquema& t : Esquema::Tablas()) {
        if (!tablas.contains(t.nombre.toLower())) {
            if (!ejecuta(Esquema::SqlCrearTabla(t)))
                return false;
        } else {
            const QSet<QString> columnas =
                Nombres(db, QString("SELECT name FROM pragma_table_info('%1')").arg(t.nombre));
            for (const ColumnaEsquema& c : t.columnas) {
                if (columnas.contains(c.nombre.toLower()))
                    continue; // an existing column stays as it is, whatever its type
                if (!ejecuta("ALTER TABLE \"" + t.nombre + "\" ADD COLUMN " +
                             Esquema::DefinicionColumna(c, true)))
                    return false;
            }
        }
        const QSet<QString> indices =
            Nombres(db, QString("SELECT name FROM pragma_index_list('%1')").arg(t.nombre));
        if (!indices.contains(t.NombreIndiceClave().toLower()) &&
            !ejecuta(Esquema::SqlCrearIndiceClave(t)))
            return false;
    }
    return true;
}

QString BaseDatos::TextoError(const QSqlError& error) {
    const QString t = error.databaseText();
    return t.isEmpty() ? error.text() : t;
}

QSqlDatabase BaseDatos::Conexion() {
    const clsDatosApp* datos = clsDatosApp::Instancia();
    return datos ? datos->Conexion() : QSqlDatabase();
}

QVariant BaseDatos::BuscaCampo(const QString& campo, const QString& tabla,
                               const QString& campoClave, const QVariant& valor, bool numerica) {
    return BuscaCampo(Conexion(), campo, tabla, campoClave, valor, numerica);
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
