#pragma once

#include "db/lectorconsulta.h"

#include <QList>
#include <QStringList>

struct pg_conn;
struct pg_result;

// Rows read from a server through a cursor of its own, a few thousand at a time, so that a
// result of any size never sits whole in memory; the next batch is asked for as soon as one
// arrives, so that the server makes it while the caller goes through this one. Outside a
// transaction the reading runs in a read-only one of its own, which sees one moment of the database
// from the first row to the last.
class LectorPostgres : public LectorConsulta {
public:
    explicit LectorPostgres(pg_conn* conexion) : m_conexion(conexion) {}
    ~LectorPostgres() override { Finaliza(); }

    bool Ejecuta(const QString& sql, const QVariantList& parametros) override;
    bool Siguiente() override;
    void Finaliza() override;
    QString Error() const override { return m_error; }
    int NumCampos() const override { return int(m_nombres.size()); }
    QString NombreCampo(int i) const override { return m_nombres.value(i); }
    bool TipoDeclarado(int i, Recordset::Tipo& tipo) const override;
    Almacenado TipoAlmacenado(int i) const override;
    qint64 Entero(int i) const override;
    double Real(int i) const override;
    QByteArrayView Utf8(int i) const override;
    QByteArrayView TextoReal(int i) const override;

private:
    bool Orden(const QByteArray& sql);
    bool Lote();
    void Pide();
    void Descarta();
    bool Falla();

    pg_conn* m_conexion;
    QByteArray m_cursor;
    bool m_transaccionPropia = false;
    pg_result* m_lote = nullptr;
    int m_filas = 0; // rows of the batch
    int m_fila = -1; // current row of the batch
    bool m_ultimoLote = false;
    bool m_pedido = false; // a FETCH sent whose answer is not read yet
    QStringList m_nombres;
    QList<unsigned> m_tipos; // the server's type of each column
    QString m_error;
};
