#include "masters/frmmttaras.h"

#include "app/cmnlanguaje.h"
#include "app/kelstrings.h"
#include "masters/kelcajanumerica.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmMTTaras::frmMTTaras(QWidget* parent)
    : frmMantenimiento("frmMTTaras", clsMaestro::Taras(), ConsultaBrowse::Taras(), parent) {
    cmdBusca->setObjectName("cmdBuscaTara");
    auto* rejilla = new QGridLayout;
    rejilla->addWidget(NuevaEtiqueta(2), 0, 0);
    rejilla->addWidget(NuevoNumero(0, true), 0, 1);
    rejilla->addWidget(cmdBusca, 0, 2);
    rejilla->addWidget(NuevaEtiqueta(0), 1, 0);
    rejilla->addWidget(NuevoTexto(0, "NomTara"), 1, 1, 1, 2);
    rejilla->addWidget(NuevaEtiqueta(1), 2, 0);
    rejilla->addWidget(NuevoNumero(1, false), 2, 1);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    for (QPushButton* b : cmdOpcion)
        botones->addWidget(b);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(rejilla);
    principal->addStretch(1);
    principal->addLayout(botones);
    resize(400, 170);
    Carga();
}

QWidget* frmMTTaras::CajaCodigo() const {
    return txtCampoNum[0];
}

QString frmMTTaras::TextoCodigo() const {
    return txtCampoNum[0]->text();
}

void frmMTTaras::PonTextoCodigo(const QString& texto) {
    txtCampoNum[0]->setText(texto);
}

QVariant frmMTTaras::Codigo() const {
    return txtCampoNum[0]->ValorEntero();
}

QVariantList frmMTTaras::Valores() const {
    return {txtCampo[0]->text(), txtCampoNum[1]->Valor()};
}

void frmMTTaras::PonValores(const QVariantList& valores) {
    txtCampo[0]->setText(valores.value(0).toString());
    txtCampoNum[1]->SetValor(valores.value(1).toDouble());
}

QWidget* frmMTTaras::FocoTrasBusqueda() const {
    return txtCampo[0];
}

bool frmMTTaras::PuedeGuardar() const {
    return kelStrings::LongitudRecortada(txtCampo[0]->text()) > 0;
}

bool frmMTTaras::PuedeBorrar() const {
    return true;
}

void frmMTTaras::Limpia() {
    txtCampo[0]->clear();
    txtCampoNum[0]->Limpia();
    txtCampoNum[1]->Limpia();
    txtCampoNum[0]->setFocus();
}

void frmMTTaras::PonTextos() {
    setWindowTitle(Texto(212));
    lbl[0]->setText(Texto(213));
    lbl[1]->setText(Texto(214));
    lbl[2]->setText(Texto(215));
}
