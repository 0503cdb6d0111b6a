#pragma once

#include "db/lectorconsulta.h"

struct sqlite3;
struct sqlite3_stmt;

// Rows read through the SQLite statement interface of the connection, as the file stores them.
class LectorSqlite : public LectorConsulta {
public:
    explicit LectorSqlite(sqlite3* db) : m_db(db) {}
    ~LectorSqlite() override { Finaliza(); }

    bool Ejecuta(const QString& sql, const QVariantList& parametros) override;
    bool Siguiente() override;
    void Finaliza() override;
    QString Error() const override { return m_error; }
    int NumCampos() const override;
    QString NombreCampo(int i) const override;
    bool TipoDeclarado(int i, Recordset::Tipo& tipo) const override;
    Almacenado TipoAlmacenado(int i) const override;
    qint64 Entero(int i) const override;
    double Real(int i) const override;
    QByteArrayView Utf8(int i) const override;

private:
    bool Falla(const char* texto = nullptr);

    sqlite3* m_db;
    sqlite3_stmt* m_sentencia = nullptr;
    QString m_error;
};
