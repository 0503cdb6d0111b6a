#pragma once

#include "app/resultado.h"
#include "db/esquema.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The declared schema in SQLite's terms, and the completion of a database file to it.
//
// SQLite keeps any value in any column, so the rules another engine keeps in its column types
// are written out as constraints: every column has one CHECK, named "Table.Column" (SQLite names
// it when it fails), for its type or, for text, its length; required columns are NOT NULL; text
// compares without regard to letter case (COLLATE NOCASE, which folds the letters A to Z only).
// The SQL that depends on the engine lives here.
class EsquemaSqlite {
public:
    // The rules of a column definition besides its name and type.
    struct Reglas {
        bool requerida;     // NOT NULL
        bool comprobacion;  // its CHECK
        bool sinMayusculas; // COLLATE NOCASE
    };
    static Reglas Declaradas(const ColumnaEsquema& c) {
        return {c.requerida, true, c.tipo == TipoColumna::Texto};
    }

    static QString TipoSql(const ColumnaEsquema& c);
    // The column's CHECK condition. A null value passes: being required is a rule of its own.
    static QString Comprobacion(const ColumnaEsquema& c);
    static QString Definicion(const TablaEsquema& t, const ColumnaEsquema& c, Reglas r);
    static QString CreaTabla(const QString& tabla, const QStringList& definiciones);
    static QString CreaIndiceClave(const TablaEsquema& t);
    // One of the table's other indexes; text columns in it order without regard to letter case.
    static QString CreaIndice(const TablaEsquema& t, const IndiceEsquema& i);
    // The triggers that refuse changing and removing rows of a table whose rows are only
    // added, by name.
    static QList<std::pair<QString, QString>> CreaDisparadores(const TablaEsquema& t);

    // Creates the missing tables, columns, keys and indexes, and rebuilds an older table whose
    // columns lack the declared rules (an existing column of another type stays as it is). A rule
    // that the rows already stored break is left out: a column keeps accepting what it holds, and a
    // key whose values differ only in letter case keeps telling them apart. Everything runs in
    // one transaction: on failure the file is exactly as it was. A file that cannot be written
    // and only lacks rules or indexes opens as it is.
    static Resultado Completa(QSqlDatabase db);
};
