#include "masters/frmmantenimiento.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelmensaje.h"
#include "app/kelregistry.h"
#include "app/kelwindow.h"
#include "masters/kelcajanumerica.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmMantenimiento::frmMantenimiento(const QString& nombre, clsMaestro maestro,
                                   ConsultaBrowse busqueda, QWidget* parent)
    : QDialog(parent), m_maestro(std::move(maestro)), m_busqueda(std::move(busqueda)) {
    setObjectName(nombre);
    setModal(true);
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(this);
        b->setObjectName("cmdOpcion" + QString::number(i));
        // Enter in a box must not press a button.
        b->setAutoDefault(false);
        // A click leaves the focus where it is, so that a code typed and not yet left is seen
        // by the button rather than looked up on the way.
        b->setFocusPolicy(Qt::TabFocus);
        cmdOpcion << b;
    }
    connect(cmdOpcion[0], &QPushButton::clicked, this, &frmMantenimiento::Guarda);
    connect(cmdOpcion[1], &QPushButton::clicked, this, &frmMantenimiento::Borra);
    connect(cmdOpcion[2], &QPushButton::clicked, this, &frmMantenimiento::close);
    cmdBusca = new QPushButton("...", this);
    cmdBusca->setAutoDefault(false);
    cmdBusca->setFocusPolicy(Qt::TabFocus);
    connect(cmdBusca, &QPushButton::clicked, this, &frmMantenimiento::Busca);
}

frmMantenimiento::~frmMantenimiento() = default;

QSqlDatabase frmMantenimiento::Conexion() {
    const clsDatosApp* datos = clsDatosApp::Instancia();
    return datos ? datos->Conexion() : QSqlDatabase();
}

kelCajaNumerica* frmMantenimiento::NuevaCaja(bool entera) {
    const clsDatosApp* datos = clsDatosApp::Instancia();
    return new kelCajaNumerica(entera, datos ? datos->SeparadorDecimal() : QString(), this);
}

QLineEdit* frmMantenimiento::NuevoTexto(int indice, const QString& campo) {
    auto* t = new QLineEdit(this);
    t->setObjectName("txtCampo" + QString::number(indice));
    const int tamano = m_maestro.Tamano(campo);
    if (tamano > 0)
        t->setMaxLength(tamano);
    while (txtCampo.size() <= indice)
        txtCampo << nullptr;
    txtCampo[indice] = t;
    return t;
}

kelCajaNumerica* frmMantenimiento::NuevoNumero(int indice, bool entera) {
    kelCajaNumerica* n = NuevaCaja(entera);
    n->setObjectName("txtCampoNum" + QString::number(indice));
    while (txtCampoNum.size() <= indice)
        txtCampoNum << nullptr;
    txtCampoNum[indice] = n;
    return n;
}

QLabel* frmMantenimiento::NuevaEtiqueta(int indice) {
    auto* l = new QLabel(this);
    l->setObjectName("lbl" + QString::number(indice));
    while (lbl.size() <= indice)
        lbl << nullptr;
    lbl[indice] = l;
    return l;
}

void frmMantenimiento::Coloca(const QList<Fila>& filas, QSize tamano) {
    auto* rejilla = new QGridLayout;
    for (int i = 0; i < filas.size(); ++i) {
        if (filas[i].etiqueta)
            rejilla->addWidget(filas[i].etiqueta, i, 0);
        const bool numero = qobject_cast<kelCajaNumerica*>(filas[i].caja) != nullptr;
        rejilla->addWidget(filas[i].caja, i, 1, 1, i == 0 || numero ? 1 : 2);
        m_cajas << filas[i].caja;
    }
    rejilla->addWidget(cmdBusca, 0, 2);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    for (QPushButton* b : cmdOpcion)
        botones->addWidget(b);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(rejilla);
    principal->addStretch(1);
    principal->addLayout(botones);
    resize(tamano);

    // Tab goes through the boxes in their order, then the buttons.
    QList<QWidget*> orden(m_cajas.begin(), m_cajas.end());
    orden << cmdOpcion[0] << cmdOpcion[1] << cmdOpcion[2] << cmdBusca;
    for (qsizetype i = 1; i < orden.size(); ++i)
        setTabOrder(orden[i - 1], orden[i]);

    m_cajaCodigo = filas.value(0).caja;
    m_cajaCodigo->installEventFilter(this);
    // A code typed over another record's must not take that record's values along: leaving
    // the box looks the typed code up, as picking it would.
    connect(m_cajaCodigo, &QLineEdit::textEdited, this, [this] { m_codigoTecleado = true; });
    connect(m_cajaCodigo, &QLineEdit::editingFinished, this, [this] {
        if (m_codigoTecleado)
            Rellena();
    });
    kelRegistry::RestoreFormPosition(this);
    cmdOpcion[0]->setText(Texto(IdTexto::Grabar));
    cmdOpcion[1]->setText(Texto(IdTexto::Borrar));
    cmdOpcion[2]->setText(Texto(IdTexto::Salir));
    PonTextos();
    m_cajaCodigo->setFocus();
}

QVariant frmMantenimiento::Codigo() const {
    if (const auto* numero = qobject_cast<const kelCajaNumerica*>(m_cajaCodigo))
        return numero->ValorEntero();
    return m_cajaCodigo->text();
}

void frmMantenimiento::Limpia() {
    for (QLineEdit* caja : m_cajas) {
        if (auto* numero = qobject_cast<kelCajaNumerica*>(caja))
            numero->Limpia();
        else
            caja->clear();
    }
    m_codigoTecleado = false;
    m_cajaCodigo->setFocus();
}

void frmMantenimiento::Rellena() {
    m_codigoTecleado = false;
    // A code that is not in the table gives empty boxes, ready for a new record.
    PonValores(m_maestro.Busca(Codigo()));
}

void frmMantenimiento::Busca() {
    m_codigoTecleado = false;
    m_cajaCodigo->setText(m_busqueda.Lanza(m_cajaCodigo->text()));
    Rellena();
    // On to the first text box: the name beside a number code, or the text code itself.
    txtCampo[0]->setFocus();
}

void frmMantenimiento::Guarda() {
    // A code typed and not yet looked up: the boxes still hold another record's values. They
    // are filled for this code first, for the operator to see before saving.
    if (m_codigoTecleado) {
        Rellena();
        return;
    }
    if (!m_maestro.PuedeGuardar(Codigo(), Valores()))
        return;
    // On failure the operator's typing stays in the boxes.
    if (const Resultado r = m_maestro.Guarda(Codigo(), Valores()); !r)
        kelMensaje::Error(this, windowTitle(), r.Error());
    else
        Limpia();
}

void frmMantenimiento::Borra() {
    if (!m_maestro.PuedeBorrar(Codigo()))
        return;
    if (const Resultado r = m_maestro.Borra(Codigo()); !r)
        kelMensaje::Error(this, windowTitle(), r.Error());
    else
        Limpia();
}

void frmMantenimiento::done(int resultado) {
    kelRegistry::SaveFormPosition(this);
    QDialog::done(resultado);
}

bool frmMantenimiento::eventFilter(QObject* objeto, QEvent* evento) {
    // The box is kept aside: the filter also sees events while the window is being destroyed.
    if (objeto == m_cajaCodigo && kelWindow::EsF4(evento)) {
        Busca();
        return true;
    }
    return QDialog::eventFilter(objeto, evento);
}

void frmMantenimiento::keyPressEvent(QKeyEvent* evento) {
    // Escape does not close the window: only the close button does.
    if (evento->key() == Qt::Key_Escape) {
        evento->accept();
        return;
    }
    QDialog::keyPressEvent(evento);
}
