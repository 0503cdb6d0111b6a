#include "db/esquemapostgres.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/basedatos.h"
#include "db/transaccion.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
using T = TipoColumna;

// What fills a required column in the rows that predate it.
QString Inicial(TipoColumna tipo) {
    switch (tipo) {
    case T::Texto:
        return "''";
    case T::Fecha:
        return "'1899-12-30'";
    case T::FechaHora:
        return "'1899-12-30 00:00:00'";
    case T::Booleano:
        return "false";
    case T::Entero:
    case T::Doble:
        break;
    }
    return "0";
}

// Any number, the same in every station, that names the lock taken while completing.
constexpr qint64 kCerrojo = 0x50455349580001;

class Completado {
public:
    explicit Completado(QSqlDatabase db) : m_db(std::move(db)), m_q(m_db) {}
    Resultado Ejecuta();

private:
    bool Hay(const QString& sql, const QVariantList& valores = {});
    bool Paso(const QString& sql);
    Resultado Tabla(const TablaEsquema& t);
    Resultado Indices(const TablaEsquema& t);
    Resultado SoloAnadir(const TablaEsquema& t);

    QSqlDatabase m_db;
    QSqlQuery m_q;
    QString m_tabla;         // the one being completed
    bool m_repetida = false; // the error names the repeated key already
};

bool Completado::Hay(const QString& sql, const QVariantList& valores) {
    m_q.prepare(sql);
    for (const QVariant& v : valores)
        m_q.addBindValue(v);
    return m_q.exec() && m_q.next();
}

bool Completado::Paso(const QString& sql) {
    return m_q.exec(sql);
}

Resultado Completado::Tabla(const TablaEsquema& t) {
    m_tabla = t.nombre;
    QStringList columnas;
    if (const Resultado r = BaseDatos::Columnas(m_db, t.nombre, columnas); !r)
        return r;
    QStringList definiciones;
    for (const ColumnaEsquema& c : t.columnas)
        definiciones << EsquemaPostgres::Definicion(c);
    const QString clave =
        "CONSTRAINT " + t.NombreIndiceClave() + " PRIMARY KEY (" + t.clave.join(", ") + ")";
    if (columnas.isEmpty()) {
        if (!Paso("CREATE TABLE " + t.nombre + " (" + definiciones.join(", ") + ", " + clave + ")"))
            return Resultado::Fallo(BaseDatos::TextoError(m_q.lastError(), m_db));
        return {};
    }
    for (const ColumnaEsquema& c : t.columnas) {
        if (columnas.contains(c.nombre.toLower()))
            continue;
        QString sql = "ALTER TABLE " + t.nombre + " ADD COLUMN " + EsquemaPostgres::Definicion(c);
        if (c.requerida)
            sql += " DEFAULT " + Inicial(c.tipo);
        if (!Paso(sql) || (c.requerida && !Paso("ALTER TABLE " + t.nombre + " ALTER COLUMN " +
                                                c.nombre + " DROP DEFAULT")))
            return Resultado::Fallo(BaseDatos::TextoError(m_q.lastError(), m_db));
    }
    if (Hay("SELECT 1 FROM pg_constraint WHERE conrelid = to_regclass(?) AND contype = 'p'",
            {t.nombre.toLower()}))
        return {};
    if (m_q.lastError().isValid())
        return Resultado::Fallo(BaseDatos::TextoError(m_q.lastError(), m_db));
    // Rows that would break the key are named, as the SQLite file does.
    const QString columnasClave = t.clave.join(", ");
    if (Hay("SELECT " + columnasClave + " FROM " + t.nombre + " GROUP BY " + columnasClave +
            " HAVING COUNT(*) > 1 LIMIT 1")) {
        QStringList valores;
        m_repetida = true;
        for (int i = 0; i < t.clave.size(); ++i)
            valores << m_q.value(i).toString();
        return Resultado::Fallo(
            Texto(IdTexto::BdClaveRepetida).arg(t.nombre, t.clave.join(", "), valores.join(", ")) +
            "\n\n" + BaseDatos::Descripcion(m_db));
    }
    if (!Paso("ALTER TABLE " + t.nombre + " ADD " + clave))
        return Resultado::Fallo(BaseDatos::TextoError(m_q.lastError(), m_db));
    return {};
}

// Creating an index needs the table's owner, which a station's user may not be once it exists.
Resultado Completado::Indices(const TablaEsquema& t) {
    m_tabla = t.nombre;
    for (const IndiceEsquema& i : t.indices) {
        if (Hay("SELECT 1 FROM pg_class WHERE oid = to_regclass(?)", {i.nombre.toLower()}))
            continue;
        if (m_q.lastError().isValid() ||
            !Paso(QString(i.unico ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + i.nombre + " ON " +
                  t.nombre + " (" + i.columnas.join(", ") + ")"))
            return Resultado::Fallo(BaseDatos::TextoError(m_q.lastError(), m_db));
    }
    return {};
}

// The function that refuses, and the triggers that call it before any change, removal or
// truncation, each created when missing (a dropped trigger comes back at the next start).
Resultado Completado::SoloAnadir(const TablaEsquema& t) {
    if (!t.soloAnadir)
        return {};
    const QString funcion = EsquemaPostgres::FuncionSoloAnadir(t);
    const auto falla = [this] {
        return Resultado::Fallo(BaseDatos::TextoError(m_q.lastError(), m_db));
    };
    if (!Hay("SELECT 1 FROM pg_proc WHERE proname = ? AND pronamespace = "
             "current_schema()::regnamespace",
             {funcion})) {
        if (m_q.lastError().isValid() ||
            !Paso("CREATE FUNCTION " + funcion +
                  "() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION '%: rows are "
                  "only added', TG_TABLE_NAME; END $$"))
            return falla();
    }
    // Entries numbered by their key alone are numbered by a sequence, so that stations adding
    // at once never wait for one another; one made for a table with rows starts after them.
    const ColumnaEsquema* numero = t.clave.size() == 1 ? t.Columna(t.clave.first()) : nullptr;
    const QString secuencia = EsquemaPostgres::Secuencia(t);
    if (numero && numero->tipo == TipoColumna::Entero &&
        !Hay("SELECT 1 FROM pg_class WHERE oid = to_regclass(?)", {secuencia})) {
        if (m_q.lastError().isValid() || !Paso("CREATE SEQUENCE " + secuencia) ||
            !Paso("SELECT setval('" + secuencia + "', coalesce(max(" + t.clave.first() +
                  "), 0) + 1, false) FROM " + t.nombre))
            return falla();
    }
    const QString filas = t.nombre.toLower() + "_sincambios";
    const QString tabla = t.nombre.toLower() + "_sinvaciar";
    for (const auto& [nombre, cuando] :
         {std::pair{filas, QString("BEFORE UPDATE OR DELETE ON %1 FOR EACH ROW")},
          std::pair{tabla, QString("BEFORE TRUNCATE ON %1 FOR EACH STATEMENT")}}) {
        if (Hay("SELECT 1 FROM pg_trigger WHERE tgrelid = to_regclass(?) AND tgname = ?",
                {t.nombre.toLower(), nombre}))
            continue;
        if (m_q.lastError().isValid() ||
            !Paso("CREATE TRIGGER " + nombre + ' ' + cuando.arg(t.nombre) + " EXECUTE FUNCTION " +
                  funcion + "()"))
            return falla();
    }
    return {};
}

Resultado Completado::Ejecuta() {
    Transaccion transaccion(m_db);
    if (!transaccion.Inicio())
        return transaccion.Inicio();
    Resultado r;
    if (!Hay("SELECT pg_advisory_xact_lock(?)", {kCerrojo}))
        r = Resultado::Fallo(BaseDatos::TextoError(m_q.lastError(), m_db));
    // Creating the collation needs a right that a station's user may lack once it exists.
    if (r &&
        !Hay("SELECT 1 FROM pg_collation WHERE collname = ? AND collnamespace = "
             "current_schema()::regnamespace",
             {EsquemaPostgres::Colacion()}) &&
        !Paso("CREATE COLLATION " + EsquemaPostgres::Colacion() +
              " (provider = icu, locale = 'und-u-ks-level2', deterministic = false)"))
        r = Resultado::Fallo(BaseDatos::TextoError(m_q.lastError(), m_db));
    for (const TablaEsquema& t : Esquema::Tablas()) {
        if (!r)
            break;
        r = Tabla(t);
        if (r)
            r = Indices(t);
        if (r)
            r = SoloAnadir(t);
    }
    m_q.finish();
    if (r)
        r = transaccion.Confirma();
    if (r || m_repetida)
        return r;
    return Resultado::Fallo(Texto(IdTexto::BdNoSeCompleta).arg(m_tabla) + "\n" + r.Error());
}
} // namespace

QString EsquemaPostgres::TipoSql(const ColumnaEsquema& c) {
    switch (c.tipo) {
    case T::Entero:
        return "integer";
    case T::Texto:
        return QString("varchar(%1) COLLATE %2").arg(c.tamano).arg(Colacion());
    case T::Doble:
        return "double precision";
    case T::Fecha:
        return "date";
    case T::FechaHora:
        return "timestamp(0)";
    case T::Booleano:
        return "boolean";
    }
    return "text";
}

QString EsquemaPostgres::Definicion(const ColumnaEsquema& c) {
    return c.nombre + ' ' + TipoSql(c) + (c.requerida ? " NOT NULL" : "");
}

QString EsquemaPostgres::Secuencia(const TablaEsquema& t) {
    return t.nombre.toLower() + "_numero";
}

QString EsquemaPostgres::FuncionSoloAnadir(const TablaEsquema& t) {
    return t.nombre.toLower() + "_solo_anadir";
}

Resultado EsquemaPostgres::Completa(QSqlDatabase db) {
    return Completado(std::move(db)).Ejecuta();
}
