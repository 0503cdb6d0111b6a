#include "masters/frmmtoperarios.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "masters/kelcajanumerica.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmMTOperarios::frmMTOperarios(QWidget* parent)
    : frmMantenimiento("frmMTOperarios", clsMaestro::Operarios(Conexion()),
                       ConsultaBrowse::Operarios(), parent) {
    cmdBusca->setObjectName("cmdBuscaOperario");
    Coloca({{NuevaEtiqueta(0), NuevoNumero(0, true)},
            {NuevaEtiqueta(1), NuevoTexto(0, "NomOperario")}},
           {420, 140});
}

QVariantList frmMTOperarios::Valores() const {
    return {txtCampo[0]->text()};
}

void frmMTOperarios::PonValores(const QVariantList& valores) {
    txtCampo[0]->setText(valores.value(0).toString());
}

void frmMTOperarios::PonTextos() {
    setWindowTitle(Texto(IdTexto::MantenimientoOperarios));
    lbl[0]->setText(Texto(IdTexto::Codigo));
    lbl[1]->setText(Texto(IdTexto::Nombre));
}
