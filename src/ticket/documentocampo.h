#pragma once

#include "app/resultado.h"

#include <QString>
#include <QVariant>

class Dataset;
class Recordset;
class clsDatosApp;

// One field of a ticket template: a data-set table and column printed in a fixed width with an
// alignment and, for numbers, a number of decimals. In section lines the field stands as its
// placeholder Codigo, "%Tabla;Campo%".
class DocumentoCampo {
public:
    // Widest value a field may print; a larger width is refused when the definition is read.
    static constexpr int LongitudMaxima = 32767;

    // How values are written: the decimal separator of numbers and the separator of the day,
    // month and year of dates.
    struct Separadores {
        QString decimal = QStringLiteral(".");
        QString fecha = QStringLiteral("/");
    };
    // The separators of the station's settings ("." and "/" where they name none).
    static Separadores SeparadoresDe(const clsDatosApp& ajustes);

    // Parses a definition line "Tabla;Campo;Longitud;Alineacion[;FormatoNumerico]". On failure
    // leaves the field as it was.
    Resultado SetStrValores(const QString& definicion);

    QString Tabla() const { return m_tabla; }
    QString Campo() const { return m_campo; }
    int Longitud() const { return m_longitud; }
    // "I" left, "D" right, "C" centred; anything else is left.
    QString Alineacion() const { return m_alineacion; }
    // Decimals for numbers; -1 prints a number in its ordinary form.
    int FormatoNumerico() const { return m_formatoNumerico; }
    // Built once, when the definition is read.
    const QString& Codigo() const { return m_codigo; }
    QString Key() const { return m_key; }
    void SetKey(const QString& v) { m_key = v; }

    // Replaces every occurrence of the placeholder (without regard to case) in the line by the
    // formatted value of the column in the table's current record. The line stays as it was
    // when it holds no placeholder, or the table, the column or a current record is missing.
    // False, the line as it was, when the replaced line would be longer than `limite`.
    bool Parse(QString& linea, const Dataset& datos, const Separadores& separadores,
               qsizetype limite) const;
    // The same with the field's table and the position of its column already looked up (no
    // table, or a column below 0, when the data set lacks them).
    bool Parse(QString& linea, const Recordset* registros, int columna,
               const Separadores& separadores, qsizetype limite) const;
    // One value in exactly Longitud characters.
    QString ValorFormateado(const QVariant& valor, const Separadores& separadores) const;

    // The value's text before alignment: numbers with the decimal separator (without a count of
    // decimals, in at most 15 significant digits), dates as dd/mm/yy with the date separator,
    // text trimmed of spaces, empty for null.
    static QString TextoValor(const QVariant& valor, int decimales, const Separadores& separadores);
    // Fixed-point text of a decimal number written with "." (as "-12.345"), rounded half away
    // from zero to `decimales` places.
    static QString RedondeaDecimal(const QString& numero, int decimales);
    static QString Alinea(const QString& texto, int longitud, const QString& alineacion);
    // Replaces every occurrence of `buscado` (without regard to case) by `nuevo`; false, and the
    // text as it was, when the result would be longer than `limite` characters.
    static bool ReemplazaAcotado(QString& texto, const QString& buscado, const QString& nuevo,
                                 qsizetype limite);

private:
    QString m_tabla;
    QString m_campo;
    QString m_codigo = QStringLiteral("%;%");
    int m_longitud = 0;
    QString m_alineacion;
    int m_formatoNumerico = -1;
    QString m_key;
};
