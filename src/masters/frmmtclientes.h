#pragma once

#include "masters/frmmantenimiento.h"

// Customers: code, name and two address lines.
class frmMTClientes : public frmMantenimiento {
    Q_OBJECT
public:
    explicit frmMTClientes(QWidget* parent = nullptr);

protected:
    QVariantList Valores() const override;
    void PonValores(const QVariantList& valores) override;
    void PonTextos() override;
};
