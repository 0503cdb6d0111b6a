#pragma once

#include "masters/frmmantenimiento.h"

// Products: code, name and price.
class frmMTProductos : public frmMantenimiento {
    Q_OBJECT
public:
    explicit frmMTProductos(QWidget* parent = nullptr);

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

public:
    kelCajaNumerica* txtPrecio = nullptr;
};
