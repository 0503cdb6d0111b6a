#include "notes/botonesalbaran.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

BotonesAlbaran::BotonesAlbaran(QWidget* parent) : QWidget(parent) {
    setObjectName("botonesAlbaran");
    lblImpreso = new QLabel(this);
    lblImpreso->setObjectName("lblImpreso");
    QFont negrita = lblImpreso->font();
    negrita.setBold(true);
    negrita.setPointSize(negrita.pointSize() + 4);
    lblImpreso->setFont(negrita);
    lblImpreso->setStyleSheet("color: #b00000");
    lblAnulado = new QLabel(this);
    lblAnulado->setObjectName("lblAnulado");
    lblAnulado->setFont(negrita);
    lblAnulado->setStyleSheet("color: #b00000; border: 2px solid #b00000; padding: 0 4px");
    lblAnulado->hide();
    cmdNuevoAlbaran = Boton("cmdNuevoAlbaran", "NuevoAlbaran", "Ctrl+N");
    cmdAbrir = Boton("cmdAbrir", "AbrirAlbaran", "Ctrl+O");
    cmdGuardar = Boton("cmdGuardar", "GuardarAlbaran", "Ctrl+S");
    cmdImprimir = Boton("cmdImprimir", "Imprimir", "Ctrl+P");
    auto* botones = new QGridLayout;
    botones->addWidget(cmdImprimir, 0, 0);
    botones->addWidget(cmdNuevoAlbaran, 0, 1);
    botones->addWidget(cmdAbrir, 1, 0);
    botones->addWidget(cmdGuardar, 1, 1);
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(0, 0, 0, 0);
    auto* marcas = new QVBoxLayout;
    marcas->addWidget(lblImpreso);
    marcas->addWidget(lblAnulado);
    marcas->addStretch(1);
    fila->addLayout(marcas);
    fila->addSpacing(12);
    fila->addLayout(botones);
}

QPushButton* BotonesAlbaran::Boton(const char* nombre, const QString& orden, const QString& atajo) {
    auto* b = new QPushButton(this);
    b->setObjectName(nombre);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolTip(atajo);
    b->setMinimumSize(130, 34);
    connect(b, &QPushButton::clicked, this, [this, orden] { emit Orden(orden); });
    return b;
}

void BotonesAlbaran::AplicaIdioma() {
    lblImpreso->setText(Texto(IdTexto::MarcaImpreso));
    lblAnulado->setText(Texto(IdTexto::MarcaAnulado));
    cmdImprimir->setText(Texto(IdTexto::BotonImprimir));
    cmdNuevoAlbaran->setText(Texto(IdTexto::NuevoAlbaran));
    cmdAbrir->setText(Texto(IdTexto::Abrir));
    cmdGuardar->setText(Texto(IdTexto::Guardar));
}

void BotonesAlbaran::MarcaImpreso(bool impreso) {
    lblImpreso->setVisible(impreso);
}

void BotonesAlbaran::MarcaAnulado(bool anulado, const QString& motivo) {
    lblAnulado->setVisible(anulado);
    lblAnulado->setToolTip(motivo);
}
