#pragma once

#include <QString>
#include <QVariant>

class Dataset;

// One field of a ticket template: a data-set table and column printed in a fixed width with an
// alignment and, for numbers, a number of decimals. In section lines the field stands as its
// placeholder Codigo, "%Tabla;Campo%".
class DocumentoCampo {
public:
    // Widest value a field may print; a larger width is refused when the definition is read.
    static constexpr int LongitudMaxima = 32767;

    // Parses a definition line "Tabla;Campo;Longitud;Alineacion[;FormatoNumerico]". On failure
    // returns false, leaves the field as it was and puts the reason in `error`.
    bool SetStrValores(const QString& definicion, QString* error = nullptr);

    QString Tabla() const { return m_tabla; }
    QString Campo() const { return m_campo; }
    int Longitud() const { return m_longitud; }
    // "I" left, "D" right, "C" centred; anything else is left.
    QString Alineacion() const { return m_alineacion; }
    // Decimals for numbers; -1 prints a number in its ordinary form.
    int FormatoNumerico() const { return m_formatoNumerico; }
    QString Codigo() const { return "%" + m_tabla + ";" + m_campo + "%"; }
    QString Key() const { return m_key; }
    void SetKey(const QString& v) { m_key = v; }

    // Replaces every occurrence of the placeholder (without regard to case) by the formatted
    // value of the column in the table's current record. The line comes back unchanged when it
    // holds no placeholder, or the table, the column or a current record is missing.
    QString Parse(const QString& linea, const Dataset& datos) const;
    // One value in exactly Longitud characters.
    QString ValorFormateado(const QVariant& valor) const;

    // The value's text before alignment: numbers with the locale's decimal separator, dates as
    // dd/mm/yy with the locale's date separator, text trimmed of spaces, empty for null.
    static QString TextoValor(const QVariant& valor, int decimales);
    // Fixed-point text of a decimal number written with "." (as "-12.345"), rounded half away
    // from zero to `decimales` places.
    static QString RedondeaDecimal(const QString& numero, int decimales);
    static QString Alinea(const QString& texto, int longitud, const QString& alineacion);

private:
    QString m_tabla;
    QString m_campo;
    int m_longitud = 0;
    QString m_alineacion;
    int m_formatoNumerico = -1;
    QString m_key;
};
