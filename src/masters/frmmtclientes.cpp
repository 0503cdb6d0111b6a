#include "masters/frmmtclientes.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmMTClientes::frmMTClientes(QWidget* parent)
    : frmMantenimiento("frmMTClientes", clsMaestro::Clientes(Conexion()),
                       ConsultaBrowse::Clientes(), parent) {
    cmdBusca->setObjectName("cmdBuscaCliente");
    Coloca({{NuevaEtiqueta(0), NuevoTexto(0, "CodCliente")},
            {NuevaEtiqueta(1), NuevoTexto(1, "NomCliente")},
            {NuevaEtiqueta(2), NuevoTexto(2, "Direccion1")},
            {nullptr, NuevoTexto(3, "Direccion2")}},
           {460, 200});
}

QVariantList frmMTClientes::Valores() const {
    return {txtCampo[1]->text(), txtCampo[2]->text(), txtCampo[3]->text()};
}

void frmMTClientes::PonValores(const QVariantList& valores) {
    for (int i = 0; i < 3; ++i)
        txtCampo[i + 1]->setText(valores.value(i).toString());
}

void frmMTClientes::PonTextos() {
    setWindowTitle(Texto(IdTexto::MantenimientoClientes));
    lbl[0]->setText(Texto(IdTexto::CodigoCliente));
    lbl[1]->setText(Texto(IdTexto::Nombre));
    lbl[2]->setText(Texto(IdTexto::Domicilio));
}
