#pragma once

#include <QString>
#include <QVariant>

// What reading code needs of a set of records, whether it lives in memory or comes from a query:
// typed, named columns, a current record, first, next, at-beginning and at-end.
class Recordset {
public:
    enum class Tipo { Texto, Entero, Doble, Fecha, FechaHora, Booleano, Nulo };

    virtual ~Recordset() = default;

    // The column type a value of this kind belongs to; text for anything else.
    static Tipo TipoDeValor(const QVariant& valor);

    virtual int NumCampos() const = 0;
    virtual QString NombreCampo(int i) const = 0;
    virtual Tipo TipoCampo(int i) const = 0;
    // Column index by name, without regard to case; -1 when there is none.
    virtual int IndiceCampo(const QString& nombre) const;

    virtual bool AlPrincipio() const = 0;
    virtual bool AlFinal() const = 0;
    virtual void MoveFirst() = 0;
    virtual void MoveNext() = 0;
    // True when positioned on a record: neither before the first nor after the last.
    bool EnRegistro() const { return !AlPrincipio() && !AlFinal(); }
    // Both at once: the set holds no records.
    bool Vacio() const { return AlPrincipio() && AlFinal(); }

    // Value of a column of the current record; an invalid QVariant off a record or for an
    // unknown column, a null QVariant for a null value.
    virtual QVariant Valor(int i) const = 0;
    QVariant Valor(const QString& nombre) const;
};
