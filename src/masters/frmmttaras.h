#pragma once

#include "masters/frmmantenimiento.h"

// Tares: numeric code, name and weight.
class frmMTTaras : public frmMantenimiento {
    Q_OBJECT
public:
    explicit frmMTTaras(QWidget* parent = nullptr);

protected:
    QVariantList Valores() const override;
    void PonValores(const QVariantList& valores) override;
    void PonTextos() override;
};
