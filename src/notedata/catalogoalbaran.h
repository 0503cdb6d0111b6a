#pragma once

#include "app/resultado.h"

#include <QSqlDatabase>
#include <QString>
#include <array>
#include <optional>

// The master data a delivery note reads while it is written: product names and prices, tare
// weights, customers and operators, and the quick adds of the header. Every code is bound, so a
// quote in a code is just a character.
class CatalogoAlbaran {
public:
    explicit CatalogoAlbaran(QSqlDatabase db) : m_db(std::move(db)) {}

    // "" when the code matches no product.
    QString NombreProducto(const QString& codigo) const;
    // 0 when the product has no price or the code matches none.
    double PrecioProducto(const QString& codigo) const;
    // 0 when the code is not a whole number or matches no container.
    double PesoTara(const QString& codigo) const;
    // Name, first and second address line; empty texts when the code matches no customer.
    std::array<QString, 3> DatosCliente(const QString& codigo) const;
    // "" when the code is not a whole number or matches no operator.
    QString NombreOperario(const QString& codigo) const;

    // Adds the customer, or overwrites the one with that code.
    Resultado GuardaCliente(const QString& codigo, const std::array<QString, 3>& datos) const;
    // Adds an operator with the next free code (1 for the first); `codigo` receives it.
    Resultado AnadeOperario(const QString& nombre, qint32* codigo = nullptr) const;

    // A code typed as a whole number (blanks around it allowed), or nothing.
    static std::optional<qint32> CodigoEntero(const QString& codigo);

private:
    QString Texto(const QString& campo, const QString& tabla, const QString& clave,
                  const QVariant& codigo) const;

    QSqlDatabase m_db;
};
