#include "ticket/frmlstticket.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "ticket/impresiontiquet.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmLstTicket::frmLstTicket(QWidget* parent)
    : kelVistaPrevia("frmLstTicket", Texto(IdTexto::TiquetAlbaran), parent) {
    txtLstTicket = new QPlainTextEdit(this);
    txtLstTicket->setObjectName("txtLstTicket");
    // What is printed is rendered afresh from the template: edits would never reach the paper.
    txtLstTicket->setReadOnly(true);
    txtLstTicket->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont courier("Courier");
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    txtLstTicket->setFont(courier);
    cmdImprimir = new QPushButton(Texto(IdTexto::Imprimir), this);
    cmdImprimir->setObjectName("cmdImprimir");
    cmdSalir = new QPushButton(Texto(IdTexto::Salir), this);
    cmdSalir->setObjectName("cmdSalir");
    cmdImprimir->setAutoDefault(false);
    cmdSalir->setAutoDefault(false);
    connect(cmdImprimir, &QPushButton::clicked, this, &frmLstTicket::Imprime);
    connect(cmdSalir, &QPushButton::clicked, this, &QDialog::reject);

    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(cmdImprimir);
    botones->addWidget(cmdSalir);
    auto* raiz = new QVBoxLayout(this);
    raiz->addWidget(txtLstTicket, 1);
    raiz->addLayout(botones);
    resize(560, 640);
    kelRegistry::RestoreFormPosition(this);
}

frmLstTicket::~frmLstTicket() = default;

void frmLstTicket::Display(const Dataset& datos, const QString& plantilla) {
    m_impresion = std::make_unique<ImpresionTiquet>(*clsDatosApp::Instancia(), datos, plantilla);
    QString texto;
    const Resultado r = m_impresion->Pantalla(texto);
    // A template that cannot be read shows why instead of an empty ticket.
    if (!r)
        txtLstTicket->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtLstTicket->setPlainText(r ? texto.replace(QLatin1String("\r\n"), QLatin1String("\n"))
                                 : r.Error());
    txtLstTicket->setFocus();
    exec();
    m_impresion.reset();
}

void frmLstTicket::Imprime() {
    if (!m_impresion)
        return;
    Impresion(m_impresion->Imprime());
}

void frmLstTicket::AlCerrar() {
    // A serial printer that keeps the send waiting is given up with the window.
    if (m_impresion)
        m_impresion->Cancela();
}
