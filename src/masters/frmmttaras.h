#pragma once

#include "masters/frmmantenimiento.h"

// Tares: numeric code, name and weight.
class frmMTTaras : public frmMantenimiento {
    Q_OBJECT
public:
    explicit frmMTTaras(QWidget* parent = nullptr);

protected:
    QWidget* CajaCodigo() const override;
    QString TextoCodigo() const override;
    void PonTextoCodigo(const QString& texto) override;
    QVariant Codigo() const override;
    QVariantList Valores() const override;
    void PonValores(const QVariantList& valores) override;
    QWidget* FocoTrasBusqueda() const override;
    bool PuedeGuardar() const override;
    bool PuedeBorrar() const override;
    void Limpia() override;
    void PonTextos() override;
};
