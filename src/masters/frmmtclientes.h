#pragma once

#include "masters/frmmantenimiento.h"

// Customers: code, name and two address lines.
class frmMTClientes : public frmMantenimiento {
    Q_OBJECT
public:
    explicit frmMTClientes(QWidget* parent = nullptr);

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
