#include "masters/frmmtproductos.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "masters/kelcajanumerica.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmMTProductos::frmMTProductos(QWidget* parent)
    : frmMantenimiento("frmMTProductos", clsMaestro::Productos(Conexion()),
                       ConsultaBrowse::Productos(), parent) {
    cmdBusca->setObjectName("cmdBuscaProducto");
    txtPrecio = NuevaCaja(false);
    txtPrecio->setObjectName("txtPrecio");
    Coloca({{NuevaEtiqueta(0), NuevoTexto(0, "CodProducto")},
            {NuevaEtiqueta(1), NuevoTexto(1, "NomProducto")},
            {NuevaEtiqueta(2), txtPrecio}},
           {460, 170});
}

QVariantList frmMTProductos::Valores() const {
    return {txtCampo[1]->text(), txtPrecio->Valor()};
}

void frmMTProductos::PonValores(const QVariantList& valores) {
    txtCampo[1]->setText(valores.value(0).toString());
    txtPrecio->SetValor(valores.value(1).toDouble());
}

void frmMTProductos::PonTextos() {
    setWindowTitle(Texto(IdTexto::MantenimientoProductos));
    lbl[0]->setText(Texto(IdTexto::Codigo));
    lbl[1]->setText(Texto(IdTexto::Nombre));
    lbl[2]->setText(Texto(IdTexto::Precio));
}
