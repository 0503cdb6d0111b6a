#include "db/esquemasqlite.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/basedatos.h"
#include "db/transaccion.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace {
using T = TipoColumna;

// Names in quotes, as the stored statements of every existing file write them.
QString Id(const QString& nombre) {
    return '"' + nombre + '"';
}

struct ColumnaGuardada {
    QString nombre;
    QString tipo;
    QString porDefecto;
    bool noNula;
};

// A table as the file holds it.
struct TablaGuardada {
    bool existe = false;
    QString sql;
    QList<ColumnaGuardada> columnas;
    bool conClave = false;
    QStringList otrosIndices; // CREATE INDEX statements of indexes other than the key
    QStringList nombresIndices;
    QStringList disparadores;

    bool Tiene(const QString& columna) const {
        return std::any_of(columnas.begin(), columnas.end(), [&](const ColumnaGuardada& c) {
            return c.nombre.compare(columna, Qt::CaseInsensitive) == 0;
        });
    }
    bool TieneClave(const TablaEsquema& t) const {
        return std::all_of(t.clave.begin(), t.clave.end(), [&](auto& c) { return Tiene(c); });
    }
};

// The new form of a table: its column definitions, and what fills them from the stored rows.
struct Forma {
    QStringList definiciones;
    QStringList destino;
    QStringList origen;
    bool columnasNuevas = false;
};

struct Paso {
    QString tabla;
    QString sql;
};

// A column that the declaration does not know, or of another type, as it stands.
QString Conservada(const ColumnaGuardada& c) {
    QString sql = Id(c.nombre);
    if (!c.tipo.isEmpty())
        sql += ' ' + c.tipo;
    if (c.noNula)
        sql += " NOT NULL";
    if (!c.porDefecto.isEmpty())
        sql += " DEFAULT " + c.porDefecto;
    return sql;
}

// Per column type: its declared type, its CHECK condition and what fills it in rows that
// predate it; %1 stands for the quoted column name, %2 for a text's size. Dates are text in a
// fixed form, so that they compare and order as dates; adding no days makes SQLite check the day
// of the month as well.
struct ReglaTipo {
    QString tipo;
    QString condicion;
    QString inicial;
};
ReglaTipo Regla(TipoColumna tipo) {
    switch (tipo) {
    case T::Entero:
        return {"INTEGER", "typeof(%1) = 'integer' AND %1 BETWEEN -2147483648 AND 2147483647", "0"};
    case T::Texto:
        return {"VARCHAR(%2)", "length(%1) <= %2", "''"};
    case T::Doble:
        return {"DOUBLE", "typeof(%1) = 'real'", "0"};
    case T::Fecha:
        return {"DATE", "date(%1, '+0 days') IS %1", "'1899-12-30'"};
    case T::FechaHora:
        return {"DATETIME", "datetime(%1, '+0 days') IS %1", "'1899-12-30 00:00:00'"};
    case T::Booleano:
        return {"BOOLEAN", "%1 IN (0, 1)", "0"};
    }
    return {"TEXT", "1", "''"};
}
QString Rellena(QString plantilla, const ColumnaEsquema& c) {
    return plantilla.replace("%1", Id(c.nombre)).replace("%2", QString::number(c.tamano));
}

class Completado {
public:
    explicit Completado(QSqlDatabase db) : m_db(std::move(db)) {}
    Resultado Ejecuta();

private:
    Resultado Planifica();
    QList<QVariantList> Filas(const QString& sql, const QVariantList& valores = {});
    bool Hay(const QString& sql) { return !Filas(sql + " LIMIT 1").isEmpty(); }
    QString ClavesRepetidas(const TablaEsquema& t, bool sinMayusculas) const;
    TablaGuardada Lee(const TablaEsquema& t);
    Forma DaForma(const TablaEsquema& t, const TablaGuardada& g, bool segunDatos);
    Resultado Planifica(const TablaEsquema& t);

    QSqlDatabase m_db;
    QSqlError m_error; // the first failed read
    QList<Paso> m_pasos;
    bool m_soloReglas = true; // nothing but rules is missing
};

QList<QVariantList> Completado::Filas(const QString& sql, const QVariantList& valores) {
    QList<QVariantList> filas;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant& v : valores)
        q.addBindValue(v);
    if (!q.exec()) {
        if (!m_error.isValid())
            m_error = q.lastError();
        return filas;
    }
    while (q.next()) {
        QVariantList fila;
        for (int i = 0; i < q.record().count(); ++i)
            fila << q.value(i);
        filas << fila;
    }
    return filas;
}

// Key values held by more than one row; null keys never collide.
QString Completado::ClavesRepetidas(const TablaEsquema& t, bool sinMayusculas) const {
    QStringList columnas, grupos, noNulas;
    for (const QString& nombre : t.clave) {
        const bool texto = t.Columna(nombre)->tipo == T::Texto;
        columnas << Id(nombre);
        grupos << Id(nombre) + (sinMayusculas && texto ? " COLLATE NOCASE" : "");
        noNulas << Id(nombre) + " IS NOT NULL";
    }
    return "SELECT " + columnas.join(", ") + " FROM " + Id(t.nombre) + " WHERE " +
           noNulas.join(" AND ") + " GROUP BY " + grupos.join(", ") + " HAVING COUNT(*) > 1";
}

TablaGuardada Completado::Lee(const TablaEsquema& t) {
    TablaGuardada g;
    const auto sql =
        Filas("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE",
              {t.nombre});
    if (sql.isEmpty())
        return g;
    g.existe = true;
    g.sql = sql.first().value(0).toString();
    const auto columnas =
        Filas("SELECT name, type, dflt_value, \"notnull\" FROM pragma_table_info(?)", {t.nombre});
    for (const QVariantList& f : columnas)
        g.columnas.append({f[0].toString(), f[1].toString(), f[2].toString(), f[3].toBool()});
    const auto indices = Filas(
        "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? COLLATE NOCASE",
        {t.nombre});
    for (const QVariantList& f : indices) {
        g.nombresIndices << f[0].toString();
        if (f[0].toString().compare(t.NombreIndiceClave(), Qt::CaseInsensitive) == 0)
            g.conClave = true;
        else if (!f[1].isNull())
            g.otrosIndices << f[1].toString();
    }
    for (const QVariantList& f :
         Filas("SELECT name FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ? COLLATE "
               "NOCASE",
               {t.nombre}))
        g.disparadores << f[0].toString();
    return g;
}

// The stored columns in their order, then the declared ones the table lacks. A stored column of
// its declared type takes the declared rules; with `segunDatos` only those its rows keep.
Forma Completado::DaForma(const TablaEsquema& t, const TablaGuardada& g, bool segunDatos) {
    Forma f;
    // Without its key columns a table has no key values yet to collide.
    const bool claveSinMayusculas =
        !segunDatos || !g.TieneClave(t) || !Hay(ClavesRepetidas(t, true));
    for (const ColumnaGuardada& c : g.columnas) {
        f.destino << Id(c.nombre);
        f.origen << Id(c.nombre);
        const ColumnaEsquema* d = t.Columna(c.nombre);
        if (!d || c.tipo.compare(EsquemaSqlite::TipoSql(*d), Qt::CaseInsensitive) != 0) {
            f.definiciones << Conservada(c);
            continue;
        }
        EsquemaSqlite::Reglas r = EsquemaSqlite::Declaradas(*d);
        if (segunDatos) {
            const QString filas = "SELECT 1 FROM " + Id(t.nombre) + " WHERE ";
            r.requerida = r.requerida && !Hay(filas + Id(d->nombre) + " IS NULL");
            r.comprobacion = !Hay(filas + "NOT (" + EsquemaSqlite::Comprobacion(*d) + ")");
            r.sinMayusculas = r.sinMayusculas && (claveSinMayusculas || !t.EsClave(d->nombre));
        }
        f.definiciones << EsquemaSqlite::Definicion(t, *d, r);
    }
    for (const ColumnaEsquema& d : t.columnas) {
        if (g.Tiene(d.nombre))
            continue;
        f.columnasNuevas = true;
        f.definiciones << EsquemaSqlite::Definicion(t, d, EsquemaSqlite::Declaradas(d));
        if (d.requerida) {
            f.destino << Id(d.nombre);
            f.origen << Regla(d.tipo).inicial;
        }
    }
    return f;
}

Resultado Completado::Planifica(const TablaEsquema& t) {
    const TablaGuardada g = Lee(t);
    if (!g.existe) {
        QStringList definiciones;
        for (const ColumnaEsquema& c : t.columnas)
            definiciones << EsquemaSqlite::Definicion(t, c, EsquemaSqlite::Declaradas(c));
        m_pasos << Paso{t.nombre, EsquemaSqlite::CreaTabla(t.nombre, definiciones)}
                << Paso{t.nombre, EsquemaSqlite::CreaIndiceClave(t)};
        for (const IndiceEsquema& i : t.indices)
            m_pasos << Paso{t.nombre, EsquemaSqlite::CreaIndice(t, i)};
        for (const auto& [nombre, sql] : EsquemaSqlite::CreaDisparadores(t))
            m_pasos << Paso{t.nombre, sql};
        m_soloReglas = false;
        return {};
    }
    // Rows are read only when the table differs from its declared form.
    Forma f = DaForma(t, g, false);
    if (f.columnasNuevas || !g.conClave)
        m_soloReglas = false;
    bool reconstruye = EsquemaSqlite::CreaTabla(t.nombre, f.definiciones) != g.sql;
    if (reconstruye) {
        f = DaForma(t, g, true);
        reconstruye = EsquemaSqlite::CreaTabla(t.nombre, f.definiciones) != g.sql;
    }
    if (!g.conClave && g.TieneClave(t)) {
        const auto repetidas = Filas(ClavesRepetidas(t, false) + " LIMIT 1");
        if (!repetidas.isEmpty()) {
            QStringList valores;
            for (const QVariant& v : repetidas.first())
                valores << v.toString();
            return Resultado::Fallo(Texto(IdTexto::BdClaveRepetida)
                                        .arg(t.nombre, t.clave.join(", "), valores.join(", ")) +
                                    "\n\n" + m_db.databaseName());
        }
    }
    if (reconstruye) {
        // The rows move to a table of the new form, rowids too, so that they keep their order;
        // it then takes the old one's name.
        const QString nueva = t.nombre + "_nueva";
        m_pasos << Paso{t.nombre, EsquemaSqlite::CreaTabla(nueva, f.definiciones)}
                << Paso{t.nombre, "INSERT INTO " + Id(nueva) + " (rowid, " + f.destino.join(", ") +
                                      ") SELECT rowid, " + f.origen.join(", ") + " FROM " +
                                      Id(t.nombre)}
                << Paso{t.nombre, "DROP TABLE " + Id(t.nombre)}
                << Paso{t.nombre, "ALTER TABLE " + Id(nueva) + " RENAME TO " + Id(t.nombre)};
        for (const QString& indice : g.otrosIndices)
            m_pasos << Paso{t.nombre, indice};
    }
    if (reconstruye || !g.conClave)
        m_pasos << Paso{t.nombre, EsquemaSqlite::CreaIndiceClave(t)};
    // A missing index, like a missing rule, waits for a file that can be written.
    for (const IndiceEsquema& i : t.indices)
        if (!g.nombresIndices.contains(i.nombre, Qt::CaseInsensitive))
            m_pasos << Paso{t.nombre, EsquemaSqlite::CreaIndice(t, i)};
    // A rebuilt table lost its triggers with the old one; a dropped one comes back.
    for (const auto& [nombre, sql] : EsquemaSqlite::CreaDisparadores(t))
        if (reconstruye || !g.disparadores.contains(nombre, Qt::CaseInsensitive))
            m_pasos << Paso{t.nombre, sql};
    return {};
}

Resultado Completado::Planifica() {
    m_pasos.clear();
    m_error = QSqlError();
    m_soloReglas = true;
    for (const TablaEsquema& t : Esquema::Tablas()) {
        const Resultado r = Planifica(t);
        if (!r)
            return r;
        if (m_error.isValid())
            return Resultado::Fallo(BaseDatos::TextoError(m_error, m_db));
    }
    return {};
}

Resultado Completado::Ejecuta() {
    // A file that needs nothing is only read, so that one that cannot be written opens too.
    if (const Resultado r = Planifica(); !r || m_pasos.isEmpty())
        return r;
    Transaccion transaccion(m_db);
    Resultado r = transaccion.Inicio();
    // The steps are decided again under the write lock, from the file as it is then: programs
    // starting together on a new file each find what the one before them created.
    if (r) {
        if (const Resultado plan = Planifica(); !plan)
            return plan;
        if (m_pasos.isEmpty())
            return transaccion.Confirma();
    }
    QString tabla = m_pasos.first().tabla;
    bool aplazada = false;
    QSqlQuery q(m_db);
    // Renaming a table into place leaves the views that name it as they are.
    q.exec("PRAGMA legacy_alter_table = ON");
    for (const Paso& p : std::as_const(m_pasos)) {
        if (!r)
            break;
        if (!q.exec(p.sql)) {
            tabla = p.tabla;
            // A file that cannot be written gets the rules when it can.
            aplazada = m_soloReglas && BaseDatos::EsSoloLectura(q.lastError());
            r = Resultado::Fallo(BaseDatos::TextoError(q.lastError(), m_db));
        }
    }
    q.exec("PRAGMA legacy_alter_table = OFF");
    if (r)
        r = transaccion.Confirma();
    if (r || aplazada)
        return {};
    return Resultado::Fallo(Texto(IdTexto::BdNoSeCompleta).arg(tabla) + "\n" + r.Error());
}
} // namespace

QString EsquemaSqlite::TipoSql(const ColumnaEsquema& c) {
    return Rellena(Regla(c.tipo).tipo, c);
}

QString EsquemaSqlite::Comprobacion(const ColumnaEsquema& c) {
    return Id(c.nombre) + " IS NULL OR (" + Rellena(Regla(c.tipo).condicion, c) + ")";
}

QString EsquemaSqlite::Definicion(const TablaEsquema& t, const ColumnaEsquema& c, Reglas r) {
    QString sql = Id(c.nombre) + ' ' + TipoSql(c);
    if (r.requerida)
        sql += " NOT NULL";
    if (r.sinMayusculas)
        sql += " COLLATE NOCASE";
    if (r.comprobacion)
        sql += " CONSTRAINT " + Id(t.nombre + '.' + c.nombre) + " CHECK (" + Comprobacion(c) + ")";
    return sql;
}

QString EsquemaSqlite::CreaTabla(const QString& tabla, const QStringList& definiciones) {
    return "CREATE TABLE " + Id(tabla) + " (" + definiciones.join(", ") + ")";
}

QString EsquemaSqlite::CreaIndiceClave(const TablaEsquema& t) {
    QStringList columnas;
    for (const QString& c : t.clave)
        columnas << Id(c);
    return "CREATE UNIQUE INDEX " + Id(t.NombreIndiceClave()) + " ON " + Id(t.nombre) + " (" +
           columnas.join(", ") + ")";
}

QString EsquemaSqlite::CreaIndice(const TablaEsquema& t, const IndiceEsquema& i) {
    QStringList columnas;
    for (const QString& c : i.columnas)
        columnas << Id(c) + (t.Columna(c)->tipo == T::Texto ? " COLLATE NOCASE" : "");
    return QString(i.unico ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + Id(i.nombre) + " ON " +
           Id(t.nombre) + " (" + columnas.join(", ") + ")";
}

QList<std::pair<QString, QString>> EsquemaSqlite::CreaDisparadores(const TablaEsquema& t) {
    QList<std::pair<QString, QString>> disparadores;
    if (!t.soloAnadir)
        return disparadores;
    // The message names the table, so that the error tells what was refused.
    for (const char* orden : {"UPDATE", "DELETE"}) {
        const QString nombre = t.nombre + (orden[0] == 'U' ? "_SinCambios" : "_SinBorrados");
        disparadores.append({nombre, "CREATE TRIGGER " + Id(nombre) + " BEFORE " + orden + " ON " +
                                         Id(t.nombre) + " BEGIN SELECT RAISE(ABORT, '" + t.nombre +
                                         ": rows are only added'); END"});
    }
    return disparadores;
}

Resultado EsquemaSqlite::Completa(QSqlDatabase db) {
    return Completado(std::move(db)).Ejecuta();
}
