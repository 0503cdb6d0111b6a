#include "masters/frmmtproductos.h"

#include "app/cmnlanguaje.h"
#include "app/kelstrings.h"
#include "masters/kelcajanumerica.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmMTProductos::frmMTProductos(QWidget* parent)
    : frmMantenimiento("frmMTProductos", clsMaestro::Productos(), ConsultaBrowse::Productos(),
                       parent) {
    cmdBusca->setObjectName("cmdBuscaProducto");
    txtPrecio = new kelCajaNumerica(false, this);
    txtPrecio->setObjectName("txtPrecio");
    auto* rejilla = new QGridLayout;
    rejilla->addWidget(NuevaEtiqueta(0), 0, 0);
    rejilla->addWidget(NuevoTexto(0, "CodProducto"), 0, 1);
    rejilla->addWidget(cmdBusca, 0, 2);
    rejilla->addWidget(NuevaEtiqueta(1), 1, 0);
    rejilla->addWidget(NuevoTexto(1, "NomProducto"), 1, 1, 1, 2);
    rejilla->addWidget(NuevaEtiqueta(2), 2, 0);
    rejilla->addWidget(txtPrecio, 2, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    for (QPushButton* b : cmdOpcion)
        botones->addWidget(b);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(rejilla);
    principal->addStretch(1);
    principal->addLayout(botones);
    resize(460, 170);
    Carga();
}

QWidget* frmMTProductos::CajaCodigo() const {
    return txtCampo[0];
}

QString frmMTProductos::TextoCodigo() const {
    return txtCampo[0]->text();
}

void frmMTProductos::PonTextoCodigo(const QString& texto) {
    txtCampo[0]->setText(texto);
}

QVariant frmMTProductos::Codigo() const {
    return txtCampo[0]->text();
}

QVariantList frmMTProductos::Valores() const {
    return {txtCampo[1]->text(), txtPrecio->Valor()};
}

void frmMTProductos::PonValores(const QVariantList& valores) {
    txtCampo[1]->setText(valores.value(0).toString());
    txtPrecio->SetValor(valores.value(1).toDouble());
}

QWidget* frmMTProductos::FocoTrasBusqueda() const {
    return txtCampo[0];
}

bool frmMTProductos::PuedeGuardar() const {
    return kelStrings::LongitudRecortada(txtCampo[0]->text()) > 0;
}

bool frmMTProductos::PuedeBorrar() const {
    return PuedeGuardar();
}

void frmMTProductos::Limpia() {
    txtCampo[0]->clear();
    txtCampo[1]->clear();
    txtPrecio->Limpia();
    txtCampo[0]->setFocus();
}

void frmMTProductos::PonTextos() {
    setWindowTitle(Texto(216));
    lbl[0]->setText(Texto(215));
    lbl[1]->setText(Texto(213));
    lbl[2]->setText(Texto(249));
}
