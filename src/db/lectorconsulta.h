#pragma once

#include "db/recordset.h"

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QVariantList>
#include <memory>

// The rows of one query, read forward through an engine's own interface on a Qt connection,
// without loading them all: what RecordsetConsulta stands on.
class LectorConsulta {
public:
    // How a value is stored: what a bulk reader takes it as.
    enum class Almacenado { Nulo, Entero, Real, Texto, Binario };

    // The reader for the connection's engine.
    static std::unique_ptr<LectorConsulta> Para(const QSqlDatabase& db);

    virtual ~LectorConsulta() = default;
    // Runs the query, with "?" standing for each parameter, before its first row; false (and
    // Error) when it cannot run or returns no rows at all (a statement of another kind).
    virtual bool Ejecuta(const QString& sql, const QVariantList& parametros) = 0;
    // Goes to the next row; false at the end, or on an error (Error tells).
    virtual bool Siguiente() = 0;
    virtual void Finaliza() = 0;
    virtual QString Error() const = 0;

    virtual int NumCampos() const = 0;
    virtual QString NombreCampo(int i) const = 0;
    // The column's type as the engine declares it; false when it declares none it knows.
    virtual bool TipoDeclarado(int i, Recordset::Tipo& tipo) const = 0;
    // The current row's values. Valid until the next move.
    virtual Almacenado TipoAlmacenado(int i) const = 0;
    virtual qint64 Entero(int i) const = 0;
    virtual double Real(int i) const = 0;
    virtual QByteArrayView Utf8(int i) const = 0;
    // A real value as the engine sent it, in text, for a writer that can take the text as it
    // stands; empty where the engine hands reals over as numbers.
    virtual QByteArrayView TextoReal(int /*i*/) const { return {}; }
};
