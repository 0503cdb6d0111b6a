#pragma once

#include "app/resultado.h"
#include "db/esquema.h"

#include <QSqlDatabase>
#include <QString>

// The declared schema in PostgreSQL's terms, and the completion of a server database to it.
//
// Names are written without quotes, so that the server keeps them in lower case and every
// statement finds them whatever letter case it writes them in. Each column takes the engine's
// own type (integer, varchar(n), double precision, date, timestamp(0), boolean), which enforces
// it; text compares without regard to letter case through a nondeterministic ICU collation.
class EsquemaPostgres {
public:
    // The collation of text columns: strength 2 tells accents apart but not letter case.
    static QString Colacion() { return QStringLiteral("pesix_sin_mayusculas"); }
    static QString TipoSql(const ColumnaEsquema& c);
    static QString Definicion(const ColumnaEsquema& c);
    // The trigger function that refuses changing and removing rows of a table whose rows are
    // only added.
    static QString FuncionSoloAnadir(const TablaEsquema& t);
    // The sequence that numbers the rows of such a table (its first key column).
    static QString Secuencia(const TablaEsquema& t);

    // Creates the missing collation, tables, columns and keys, in one transaction; stations that
    // start at once complete the database one after the other. A required column added to a
    // table with rows holds an empty text, 0, false or the date 1899-12-30 in them. Existing
    // columns stay as they are, whatever their type.
    static Resultado Completa(QSqlDatabase db);
};
