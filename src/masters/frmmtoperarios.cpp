#include "masters/frmmtoperarios.h"

#include "app/cmnlanguaje.h"
#include "app/kelstrings.h"
#include "masters/kelcajanumerica.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmMTOperarios::frmMTOperarios(QWidget* parent)
    : frmMantenimiento("frmMTOperarios", clsMaestro::Operarios(), ConsultaBrowse::Operarios(),
                       parent) {
    cmdBusca->setObjectName("cmdBuscaOperario");
    auto* rejilla = new QGridLayout;
    rejilla->addWidget(NuevaEtiqueta(0), 0, 0);
    rejilla->addWidget(NuevoNumero(0, true), 0, 1);
    rejilla->addWidget(cmdBusca, 0, 2);
    rejilla->addWidget(NuevaEtiqueta(1), 1, 0);
    rejilla->addWidget(NuevoTexto(0, "NomOperario"), 1, 1, 1, 2);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    for (QPushButton* b : cmdOpcion)
        botones->addWidget(b);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(rejilla);
    principal->addStretch(1);
    principal->addLayout(botones);
    resize(420, 140);
    Carga();
}

QWidget* frmMTOperarios::CajaCodigo() const {
    return txtCampoNum[0];
}

QString frmMTOperarios::TextoCodigo() const {
    return txtCampoNum[0]->text();
}

void frmMTOperarios::PonTextoCodigo(const QString& texto) {
    txtCampoNum[0]->setText(texto);
}

QVariant frmMTOperarios::Codigo() const {
    return txtCampoNum[0]->ValorEntero();
}

QVariantList frmMTOperarios::Valores() const {
    return {txtCampo[0]->text()};
}

void frmMTOperarios::PonValores(const QVariantList& valores) {
    txtCampo[0]->setText(valores.value(0).toString());
}

QWidget* frmMTOperarios::FocoTrasBusqueda() const {
    return txtCampo[0];
}

bool frmMTOperarios::PuedeGuardar() const {
    return kelStrings::LongitudRecortada(txtCampo[0]->text()) > 0;
}

bool frmMTOperarios::PuedeBorrar() const {
    return true;
}

void frmMTOperarios::Limpia() {
    txtCampo[0]->clear();
    txtCampoNum[0]->Limpia();
    txtCampoNum[0]->setFocus();
}

void frmMTOperarios::PonTextos() {
    setWindowTitle(Texto(217));
    lbl[0]->setText(Texto(215));
    lbl[1]->setText(Texto(213));
}
