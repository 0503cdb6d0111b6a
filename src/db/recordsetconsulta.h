#pragma once

#include "app/resultado.h"
#include "db/lectorconsulta.h"
#include "db/recordset.h"

#include <QByteArrayView>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>
#include <memory>

// A record set read straight from a query on a database connection, one record at a time: only
// the current record (on a server, a batch of them) is in memory, so it reads result sets of
// any size. Reading goes forward; MoveFirst after the first record runs the query again. It
// reads through the engine's own interface on the connection, without turning every value into
// a QVariant, so that bulk readers (the export) can take values as they are stored. "?" stands
// for each parameter, on either engine.
class RecordsetConsulta : public Recordset {
public:
    RecordsetConsulta(QSqlDatabase db, const QString& sql, const QVariantList& parametros = {});
    ~RecordsetConsulta() override;
    RecordsetConsulta(const RecordsetConsulta&) = delete;
    RecordsetConsulta& operator=(const RecordsetConsulta&) = delete;

    // Column types, in column order. Columns without one take the type of the schema column of
    // the same name in `tablas` (searched in order), else the declared type of the column, else
    // the type of their first value.
    void SetTipos(const QList<Tipo>& tipos) { m_tipos = tipos; }
    void SetTablasEsquema(const QStringList& tablas) { m_tablas = tablas; }
    // On a server, how long the query's first rows may take to come (a whole range to sort)
    // in place of the connection's limit, which still bounds the check that the server is up.
    void SetEsperaServidor(int segundos) { m_espera = segundos; }

    // Runs the query and stands on its first record (at beginning and end when it has none);
    // the failure says why the query could not run.
    Resultado Abre();
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

    // The value of the current record as stored, for bulk readers: numbers as numbers, text
    // (dates and times in their ISO form) as UTF-8. Valid until the next move.
    using Almacenado = LectorConsulta::Almacenado;
    Almacenado TipoAlmacenado(int i) const;
    qint64 Entero(int i) const;
    double Real(int i) const;
    // Text as UTF-8 (numbers in the engine's text form).
    QByteArrayView Utf8(int i) const;
    // A real value in the engine's own text, where it sends one; empty otherwise.
    QByteArrayView TextoReal(int i) const;

private:
    bool Ejecuta();
    void Finaliza();
    void DeduceTipos();
    bool EnColumna(int i) const;

    QSqlDatabase m_db;
    QString m_sql;
    QVariantList m_parametros;
    QList<Tipo> m_tipos;
    QStringList m_tablas;
    int m_espera = 0; // seconds; 0 for the connection's own limit
    QStringList m_nombres;
    QList<Tipo> m_tiposEfectivos;
    std::unique_ptr<LectorConsulta> m_lector;
    bool m_abierto = false;
    QString m_error;
    bool m_vacio = true;
    bool m_alFinal = true;
    qint64 m_posicion = -1; // index of the current record
};
