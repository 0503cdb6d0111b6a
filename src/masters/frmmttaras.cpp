#include "masters/frmmttaras.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "masters/kelcajanumerica.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmMTTaras::frmMTTaras(QWidget* parent)
    : frmMantenimiento("frmMTTaras", clsMaestro::Taras(Conexion()), ConsultaBrowse::Taras(),
                       parent) {
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
    setWindowTitle(Texto(IdTexto::MantenimientoTaras));
    lbl[0]->setText(Texto(IdTexto::Nombre));
    lbl[1]->setText(Texto(IdTexto::Peso));
    lbl[2]->setText(Texto(IdTexto::Codigo));
}
