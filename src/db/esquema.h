#pragma once

#include <QString>
#include <QStringList>
#include <vector>

enum class TipoColumna {
    Entero,    // 32-bit integer
    Texto,     // text of at most `tamano` characters
    Doble,     // 64-bit floating point
    Fecha,     // date, stored as "yyyy-MM-dd"
    FechaHora, // date and time, stored as "yyyy-MM-dd HH:mm:ss"
    Booleano,  // 0 or 1
};

struct ColumnaEsquema {
    QString nombre;
    TipoColumna tipo;
    int tamano; // characters, text columns only
    bool requerida;
};

// An index besides the key's, for an order the program reads the table in.
struct IndiceEsquema {
    QString nombre;
    QStringList columnas;
    bool unico = false; // no two rows share the columns' values
};

struct TablaEsquema {
    QString nombre;
    std::vector<ColumnaEsquema> columnas;
    QStringList clave; // columns of the table's key, in order
    std::vector<IndiceEsquema> indices = {};
    // Rows are only ever added: the database itself refuses to change or remove one.
    bool soloAnadir = false;

    const ColumnaEsquema* Columna(const QString& nombreColumna) const;
    bool EsClave(const QString& nombreColumna) const {
        return clave.contains(nombreColumna, Qt::CaseInsensitive);
    }
    // The name of the unique index that enforces the key.
    QString NombreIndiceClave() const { return nombre + "_PrimaryKey"; }
};

// The database schema, declared once: it drives creation, completion and column types. Text
// compares without regard to letter case, in keys, look-ups and ordering alike.
class Esquema {
public:
    // The tables, in creation order, with their columns in order.
    static const std::vector<TablaEsquema>& Tablas();
    static const TablaEsquema* Tabla(const QString& nombre);
    static const ColumnaEsquema* Columna(const QString& tabla, const QString& columna);

    // A table or column name as SQL writes it. The declared names are plain words, which every
    // engine takes without quotes and without regard to letter case.
    static QString Identificador(const QString& nombre) { return nombre; }
};
