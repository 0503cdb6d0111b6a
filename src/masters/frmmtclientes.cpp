#include "masters/frmmtclientes.h"

#include "app/cmnlanguaje.h"
#include "app/kelstrings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmMTClientes::frmMTClientes(QWidget* parent)
    : frmMantenimiento("frmMTClientes", clsMaestro::Clientes(), ConsultaBrowse::Clientes(),
                       parent) {
    cmdBusca->setObjectName("cmdBuscaCliente");
    auto* rejilla = new QGridLayout;
    rejilla->addWidget(NuevaEtiqueta(0), 0, 0);
    rejilla->addWidget(NuevoTexto(0, "CodCliente"), 0, 1);
    rejilla->addWidget(cmdBusca, 0, 2);
    rejilla->addWidget(NuevaEtiqueta(1), 1, 0);
    rejilla->addWidget(NuevoTexto(1, "NomCliente"), 1, 1, 1, 2);
    rejilla->addWidget(NuevaEtiqueta(2), 2, 0);
    rejilla->addWidget(NuevoTexto(2, "Direccion1"), 2, 1, 1, 2);
    rejilla->addWidget(NuevoTexto(3, "Direccion2"), 3, 1, 1, 2);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    for (QPushButton* b : cmdOpcion)
        botones->addWidget(b);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(rejilla);
    principal->addStretch(1);
    principal->addLayout(botones);
    resize(460, 200);
    Carga();
}

QWidget* frmMTClientes::CajaCodigo() const {
    return txtCampo[0];
}

QString frmMTClientes::TextoCodigo() const {
    return txtCampo[0]->text();
}

void frmMTClientes::PonTextoCodigo(const QString& texto) {
    txtCampo[0]->setText(texto);
}

QVariant frmMTClientes::Codigo() const {
    return txtCampo[0]->text();
}

QVariantList frmMTClientes::Valores() const {
    return {txtCampo[1]->text(), txtCampo[2]->text(), txtCampo[3]->text()};
}

void frmMTClientes::PonValores(const QVariantList& valores) {
    for (int i = 0; i < 3; ++i)
        txtCampo[i + 1]->setText(valores.value(i).toString());
}

QWidget* frmMTClientes::FocoTrasBusqueda() const {
    return txtCampo[0];
}

bool frmMTClientes::PuedeGuardar() const {
    return kelStrings::LongitudRecortada(txtCampo[0]->text()) > 0;
}

bool frmMTClientes::PuedeBorrar() const {
    return PuedeGuardar();
}

void frmMTClientes::Limpia() {
    for (QLineEdit* t : txtCampo)
        t->clear();
    txtCampo[0]->setFocus();
}

void frmMTClientes::PonTextos() {
    setWindowTitle(Texto(218));
    lbl[0]->setText(Texto(219));
    lbl[1]->setText(Texto(213));
    lbl[2]->setText(Texto(220));
}
