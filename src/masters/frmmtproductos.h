#pragma once

#include "masters/frmmantenimiento.h"

// Products: code, name and price.
class frmMTProductos : public frmMantenimiento {
    Q_OBJECT
public:
    explicit frmMTProductos(QWidget* parent = nullptr);

    kelCajaNumerica* txtPrecio = nullptr;

protected:
    QVariantList Valores() const override;
    void PonValores(const QVariantList& valores) override;
    void PonTextos() override;
};
