#include "masters/frmmantenimiento.h"

#include "app/cmnlanguaje.h"
#include "app/kelregistry.h"
#include "app/kelstrings.h"
#include "masters/kelcajanumerica.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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
        cmdOpcion << b;
    }
    connect(cmdOpcion[0], &QPushButton::clicked, this, &frmMantenimiento::Guarda);
    connect(cmdOpcion[1], &QPushButton::clicked, this, &frmMantenimiento::Borra);
    connect(cmdOpcion[2], &QPushButton::clicked, this, &frmMantenimiento::close);
    cmdBusca = new QPushButton("...", this);
    cmdBusca->setAutoDefault(false);
    connect(cmdBusca, &QPushButton::clicked, this, &frmMantenimiento::Busca);
}

frmMantenimiento::~frmMantenimiento() = default;

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
    auto* n = new kelCajaNumerica(entera, this);
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

    m_cajaCodigo = filas.value(0).caja;
    m_cajaCodigo->installEventFilter(this);
    kelRegistry::RestoreFormPosition(this);
    cmdOpcion[0]->setText(Texto(178));
    cmdOpcion[1]->setText(Texto(179));
    cmdOpcion[2]->setText(Texto(180));
    PonTextos();
    m_cajaCodigo->setFocus();
}

QVariant frmMantenimiento::Codigo() const {
    if (const auto* numero = qobject_cast<const kelCajaNumerica*>(m_cajaCodigo))
        return numero->ValorEntero();
    return m_cajaCodigo->text();
}

bool frmMantenimiento::PuedeGuardar() const {
    return kelStrings::LongitudRecortada(txtCampo[0]->text()) > 0;
}

bool frmMantenimiento::PuedeBorrar() const {
    return qobject_cast<const kelCajaNumerica*>(m_cajaCodigo) || PuedeGuardar();
}

void frmMantenimiento::Limpia() {
    for (QLineEdit* caja : m_cajas) {
        if (auto* numero = qobject_cast<kelCajaNumerica*>(caja))
            numero->Limpia();
        else
            caja->clear();
    }
    m_cajaCodigo->setFocus();
}

void frmMantenimiento::Busca() {
    m_cajaCodigo->setText(m_busqueda.Lanza(m_cajaCodigo->text()));
    // A code that is not in the table gives empty boxes, ready for a new record.
    PonValores(m_maestro.Busca(Codigo()));
    // On to the first text box: the name beside a number code, or the text code itself.
    txtCampo[0]->setFocus();
}

void frmMantenimiento::Guarda() {
    if (!PuedeGuardar())
        return;
    QString error;
    if (!m_maestro.Guarda(Codigo(), Valores(), &error)) {
        // The operator's typing stays in the boxes.
        QMessageBox::critical(this, windowTitle(), error);
        return;
    }
    Limpia();
}

void frmMantenimiento::Borra() {
    if (!PuedeBorrar())
        return;
    QString error;
    if (!m_maestro.Borra(Codigo(), &error)) {
        QMessageBox::critical(this, windowTitle(), error);
        return;
    }
    Limpia();
}

void frmMantenimiento::done(int resultado) {
    kelRegistry::SaveFormPosition(this);
    QDialog::done(resultado);
}

bool frmMantenimiento::eventFilter(QObject* objeto, QEvent* evento) {
    // The box is kept aside: the filter also sees events while the window is being destroyed.
    if (objeto == m_cajaCodigo && evento->type() == QEvent::KeyRelease) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        const auto mayusculas = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
        if (tecla->key() == Qt::Key_F4 && !(tecla->modifiers() & mayusculas) &&
            !tecla->isAutoRepeat()) {
            Busca();
            return true;
        }
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
