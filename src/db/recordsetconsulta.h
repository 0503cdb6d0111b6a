#pragma once

#include "db/recordset.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

// A record set read straight from a query, one record at a time: only the current record is in
// memory, so it reads result sets of any size. Reading goes forward; MoveFirst after the first
// record runs the query again.
class RecordsetConsulta : public Recordset {
public:
    RecordsetConsulta(QSqlDatabase db, const QString& sql, const QVariantList& parametros = {});

    // Column types, in column order. Columns without one take the type of the schema column of
    // the same name in `tablas` (searched in order), or else the type of their first value.
    void SetTipos(const QList<Tipo>& tipos) { m_tipos = tipos; }
    void SetTablasEsquema(const QStringList& tablas) { m_tablas = tablas; }

    // Runs the query and stands on its first record (at beginning and end when it has none).
    bool Abre();
    bool Abierto() const { return m_abierto; }
    void Cierra();
    // The reason the query failed to run or a record failed to be read; empty when none did.
    QString Error() const { return m_error; }
    // Records read since the query last ran.
    qint64 RegistrosLeidos() const { return m_posicion + 1; }

    int NumCampos() const override { return int(m_nombres.size()); }
    QString NombreCampo(int i) const override;
    Tipo TipoCampo(int i) const override;
    bool AlPrincipio() const override;
    bool AlFinal() const override;
    void MoveFirst() override;
    void MoveNext() override;
    QVariant Valor(int i) const override;
    using Recordset::Valor;

private:
    bool Ejecuta();
    void DeduceTipos();

    QSqlDatabase m_db;
    QString m_sql;
    QVariantList m_parametros;
    QList<Tipo> m_tipos;
    QStringList m_tablas;
    QStringList m_nombres;
    QList<Tipo> m_tiposEfectivos;
    QSqlQuery m_consulta;
    QString m_error;
    bool m_abierto = false;
    bool m_vacio = true;
    bool m_alFinal = true;
    qint64 m_posicion = -1; // index of the current record
};
