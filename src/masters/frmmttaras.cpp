#include "masters/frmmttaras.h"

#include "app/cmnlanguaje.h"
#include "masters/kelcajanumerica.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmMTTaras::frmMTTaras(QWidget* parent)
    : frmMantenimiento("frmMTTaras", clsMaestro::Taras(), ConsultaBrowse::Taras(), parent) {
    cmdBusca->setObjectName("cmdBuscaTara");
    Coloca({{NuevaEtiqueta(2), NuevoNumero(0, true)},
            {NuevaEtiqueta(0), NuevoTexto(0, "NomTara")},
            {NuevaEtiqueta(1), NuevoNumero(1, false)}},
           {400, 170});
}

QVariantList frmMTTaras::Valores() const {
    return {txtCampo[0]->text(), txtCampoNum[1]->Valor()};
}

void frmMTTaras::PonValores(const QVariantList& valores) {
    txtCampo[0]->setText(valores.value(0).toString());
    txtCampoNum[1]->SetValor(valores.value(1).toDouble());
}

void frmMTTaras::PonTextos() {
    setWindowTitle(Texto(212));
    lbl[0]->setText(Texto(213));
    lbl[1]->setText(Texto(214));
    lbl[2]->setText(Texto(215));
}
