#include "db/conexionpostgres.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelstrings.h"
#include "db/basedatos.h"
#include "db/plazoservidor.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QStringList>
#include <algorithm>
#include <libpq-fe.h>

namespace {
// A value as libpq's key=value form takes it.
QString Valor(const QString& v) {
    QString t = v;
    t.replace('\\', "\\\\").replace('\'', "\\'");
    return '\'' + t + '\'';
}

// Defaults that make a lost server noticed in seconds rather than hours; an address may set
// others. Connecting waits as long as an answer may (libpq takes no less than 2 seconds).
struct PorDefecto {
    const char* clave;
    const char* valor;
};
constexpr PorDefecto kPorDefecto[] = {
    {"connect_timeout", nullptr},
    {"keepalives_idle", "30"},
    {"keepalives_interval", "10"},
    {"keepalives_count", "3"},
};
} // namespace

bool ConexionPostgres::EsDireccion(const QString& baseDatos) {
    const QString t = baseDatos.trimmed();
    if (t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return true;
    // libpq's "key=value" words ("host=db1 dbname=pesix"), starting with a word libpq knows.
    static const QRegularExpression palabra(QStringLiteral("^([a-z_]+)\\s*="));
    const QRegularExpressionMatch m = palabra.match(t);
    if (!m.hasMatch())
        return false;
    static const QStringList claves = [] {
        QStringList c;
        PQconninfoOption* opciones = PQconndefaults();
        for (PQconninfoOption* o = opciones; o && o->keyword; ++o)
            c << QString::fromUtf8(o->keyword);
        PQconninfoFree(opciones);
        return c;
    }();
    return claves.contains(m.captured(1));
}

Resultado ConexionPostgres::Prepara(QSqlDatabase& db, const QString& direccion, bool soloLectura,
                                    int segundos) {
    char* error = nullptr;
    PQconninfoOption* opciones = PQconninfoParse(direccion.trimmed().toUtf8().constData(), &error);
    if (!opciones) {
        const QString detalle = error ? QString::fromUtf8(error).trimmed() : QString();
        PQfreemem(error);
        return Resultado::Fallo(
            kelStrings::SinContrasenas(Texto(IdTexto::BdDireccionNoValida) + "\n\n" + direccion +
                                       (detalle.isEmpty() ? QString() : "\n" + detalle)));
    }
    QStringList resto;
    QString host, base, usuario;
    bool contrasena = false, sesion = false;
    QStringList dadas;
    for (PQconninfoOption* o = opciones; o->keyword; ++o) {
        if (!o->val)
            continue;
        const QString clave = QString::fromUtf8(o->keyword);
        const QString valor = QString::fromUtf8(o->val);
        dadas << clave;
        if (clave == u"password")
            contrasena = true;
        else if (clave == u"host")
            host = valor;
        else if (clave == u"dbname")
            base = valor;
        else if (clave == u"user")
            usuario = valor;
        else if (clave == u"options" && soloLectura) {
            resto << "options=" + Valor(valor + " -c default_transaction_read_only=on");
            sesion = true;
        } else
            resto << clave + '=' + Valor(valor);
    }
    PQconninfoFree(opciones);
    if (contrasena)
        return Resultado::Fallo(Texto(IdTexto::BdContrasenaEnDireccion));
    if (soloLectura && !sesion)
        resto << QStringLiteral("options='-c default_transaction_read_only=on'");
    for (const PorDefecto& d : kPorDefecto)
        if (!dadas.contains(QLatin1String(d.clave)))
            resto << QString::fromLatin1(d.clave) + '=' +
                         (d.valor ? QString::fromLatin1(d.valor)
                                  : QString::number(std::max(segundos, 2)));
    PlazoServidor::Fija(db.connectionName(), segundos);
    db.setHostName(host);
    db.setDatabaseName(base);
    db.setUserName(usuario);
    db.setPassword(QString());
    db.setConnectOptions(resto.join(' '));
    return {};
}

Resultado ConexionPostgres::Abre(QSqlDatabase db) {
    if (db.open()) {
        PlazoServidor::Vigila(db);
        return {};
    }
    return Resultado::Fallo(Texto(IdTexto::BdServidorNoResponde) + "\n\n" + Descripcion(db) + "\n" +
                            kelStrings::SinContrasenas(db.lastError().databaseText().trimmed()));
}

Resultado ConexionPostgres::Conecta(QSqlDatabase db) {
    // One that the time limit cut is opened again; one that does not answer now is not, as
    // connecting would wait as long again.
    if (pg_conn* c = Manejador(db); c && !PlazoServidor::Cortada(db)) {
        // A result still being read belongs to its reader; the connection is surely up then.
        if (PQtransactionStatus(c) != PQTRANS_IDLE)
            return {};
        PGresult* r = PQexec(c, "");
        const bool responde = PQresultStatus(r) == PGRES_EMPTY_QUERY;
        PQclear(r);
        if (responde && PQstatus(c) == CONNECTION_OK)
            return {};
        if (const int segundos = PlazoServidor::Cortada(db))
            return Resultado::Fallo(Texto(IdTexto::BdSinRespuesta).arg(segundos) + "\n\n" +
                                    Descripcion(db));
    }
    db.close();
    return Abre(db);
}

bool ConexionPostgres::EsError(const QSqlError& error) {
    // The server's state codes have five characters; SQLite's numbers have fewer.
    return error.isValid() && (error.driverText().startsWith(QLatin1String("QPSQL")) ||
                               error.nativeErrorCode().size() == 5);
}

bool ConexionPostgres::Perdida(const QSqlError& error) {
    if (!EsError(error))
        return false;
    // Errors of the client library (the server went away) carry no state code.
    const QString codigo = error.nativeErrorCode();
    return codigo.isEmpty() || codigo.startsWith(QLatin1String("08")) || codigo == u"57P01" ||
           codigo == u"57P02" || codigo == u"57P03";
}

QString ConexionPostgres::Descripcion(const QSqlDatabase& db) {
    const QString host = db.hostName().isEmpty() ? QStringLiteral("localhost") : db.hostName();
    QString t = QStringLiteral("postgresql://");
    if (!db.userName().isEmpty())
        t += db.userName() + '@';
    return t + (host.startsWith('/') ? QString() : host) + '/' + db.databaseName() +
           (host.startsWith('/') ? "?host=" + host : QString());
}

pg_conn* ConexionPostgres::Manejador(const QSqlDatabase& db) {
    if (!EsPostgres(db) || !db.isOpen() || !db.driver())
        return nullptr;
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "pg_conn*") != 0)
        return nullptr;
    return *static_cast<pg_conn* const*>(h.constData());
}
