#pragma once

#include "masters/frmmantenimiento.h"

// Operators: numeric code and name.
class frmMTOperarios : public frmMantenimiento {
    Q_OBJECT
public:
    explicit frmMTOperarios(QWidget* parent = nullptr);

protected:
    QVariantList Valores() const override;
    void PonValores(const QVariantList& valores) override;
    void PonTextos() override;
};
