#pragma once

#include "db/recordset.h"

#include <QList>
#include <QVariantList>

class QSqlQuery;

// A record set built in memory: fields appended first, then records added one by one. Adding a
// record makes it the current one.
class RecordsetMemoria : public Recordset {
public:
    RecordsetMemoria() = default;

    void AgregaCampo(const QString& nombre, Tipo tipo);
    // Appends a record (values in field order; missing ones are null) and makes it current.
    void AgregaRegistro(const QVariantList& valores = {});
    // Sets a column of the current record; false off a record or for an unknown column.
    bool SetValor(const QString& campo, const QVariant& valor);
    int NumRegistros() const { return int(m_registros.size()); }
    // Index of the current record: -1 before the first, NumRegistros() after the last.
    int Posicion() const { return m_actual; }

    // Reads every row of an executed query; column types from the values' types.
    static RecordsetMemoria DesdeConsulta(QSqlQuery& consulta);

    int NumCampos() const override { return int(m_campos.size()); }
    QString NombreCampo(int i) const override;
    Tipo TipoCampo(int i) const override;
    bool AlPrincipio() const override;
    bool AlFinal() const override;
    void MoveFirst() override;
    void MoveNext() override;
    QVariant Valor(int i) const override;
    using Recordset::Valor;

private:
    struct Campo {
        QString nombre;
        Tipo tipo;
    };
    QList<Campo> m_campos;
    QList<QVariantList> m_registros;
    int m_actual = -1;
};
