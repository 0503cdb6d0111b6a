#include "notes/cabeceraalbaran.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "notes/cajafecha.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

namespace {
// A text put into a field by the program shows from its start, also when it is wider than the
// field (a typed one shows where the typing is).
void Pon(QLineEdit* caja, const QString& texto) {
    caja->setText(texto);
    caja->setCursorPosition(0);
}

// The keys of the operator and customer fields: F4 looks up, Alt with the keypad's plus stores.
enum class TeclaCabecera { Ninguna, Busca, Guarda };
TeclaCabecera AccionTecla(const QKeyEvent* tecla) {
    const Qt::KeyboardModifiers mods =
        tecla->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (tecla->key() == Qt::Key_F4 && mods == Qt::NoModifier)
        return TeclaCabecera::Busca;
    if (tecla->key() == Qt::Key_Plus && mods == Qt::AltModifier &&
        (tecla->modifiers() & Qt::KeypadModifier))
        return TeclaCabecera::Guarda;
    return TeclaCabecera::Ninguna;
}
} // namespace

CabeceraAlbaran::CabeceraAlbaran(QWidget* parent) : QWidget(parent) {
    setObjectName("cajaCabecera");
    for (int i = 0; i < 4; ++i) {
        lbl[i] = new QLabel(this);
        lbl[i]->setObjectName(QStringLiteral("lbl%1").arg(i));
    }
    txtNumAlbaran = Caja("txtNumAlbaran", LongitudNumero);
    txtNumAlbaran->setMinimumWidth(120); // beside the versions' count too
    lblVersiones = new QLabel(this);
    lblVersiones->setObjectName("lblVersiones");
    lblVersiones->hide();
    txtFechaAlbaran = new CajaFecha(this);
    txtFechaAlbaran->setObjectName("txtFechaAlbaran");
    txtFechaAlbaran->setDisplayFormat("dd/MM/yyyy");
    txtFechaAlbaran->setCalendarPopup(true);
    txtFechaAlbaran->installEventFilter(this);
    txtOperario = Caja("txtOperario", 50);
    const int longitudes[] = {15, 50, 50, 50};
    for (int i = 0; i < 4; ++i)
        txtCliente[i] = Caja(QStringLiteral("txtCliente%1").arg(i), longitudes[i]);
    cmdBuscaOperario = Boton("cmdBuscaOperario", true);
    cmdAddOperario = Boton("cmdAddOperario", false);
    cmdBuscaCliente = Boton("cmdBuscaCliente", true);
    cmdAddCliente = Boton("cmdAddCliente", false);
    connect(cmdBuscaOperario, &QPushButton::clicked, this, &CabeceraAlbaran::BuscaOperario);
    connect(cmdAddOperario, &QPushButton::clicked, this, &CabeceraAlbaran::AddOperario);
    connect(cmdBuscaCliente, &QPushButton::clicked, this, &CabeceraAlbaran::BuscaCliente);
    connect(cmdAddCliente, &QPushButton::clicked, this, &CabeceraAlbaran::AddCliente);
    for (QLineEdit* c : {txtOperario, txtCliente[0], txtCliente[1], txtCliente[2], txtCliente[3]})
        connect(c, &QLineEdit::textEdited, this, &CabeceraAlbaran::Editada);

    auto* cabecera = new QGridLayout(this);
    cabecera->addWidget(lbl[2], 0, 0);
    auto* numero = new QHBoxLayout;
    numero->addWidget(txtNumAlbaran, 1);
    numero->addWidget(lblVersiones);
    cabecera->addLayout(numero, 0, 1);
    cabecera->addWidget(lbl[1], 0, 2, Qt::AlignRight);
    cabecera->addWidget(txtFechaAlbaran, 0, 3, Qt::AlignLeft); // as wide as a narrow window's
    cabecera->addWidget(lbl[3], 1, 0);
    cabecera->addWidget(txtOperario, 1, 1, 1, 3);
    cabecera->addWidget(cmdBuscaOperario, 1, 4);
    cabecera->addWidget(cmdAddOperario, 1, 5);
    cabecera->addWidget(lbl[0], 2, 0);
    cabecera->addWidget(txtCliente[0], 2, 1);
    cabecera->addWidget(txtCliente[1], 2, 2, 1, 2);
    cabecera->addWidget(cmdBuscaCliente, 2, 4);
    cabecera->addWidget(cmdAddCliente, 2, 5);
    cabecera->addWidget(txtCliente[2], 3, 1, 1, 3);
    cabecera->addWidget(txtCliente[3], 4, 1, 1, 3);
    cabecera->setColumnMinimumWidth(1, 130);
    cabecera->setColumnMinimumWidth(3, 220);
    cabecera->setColumnStretch(3, 1);
    txtFechaAlbaran->setMinimumWidth(220);
    cabecera->setContentsMargins(0, 0, 0, 0);

    setTabOrder(txtNumAlbaran, txtFechaAlbaran);
    setTabOrder(txtFechaAlbaran, txtOperario);
    setTabOrder(txtOperario, txtCliente[0]);
    for (int i = 0; i < 3; ++i)
        setTabOrder(txtCliente[i], txtCliente[i + 1]);
}

QLineEdit* CabeceraAlbaran::Caja(const QString& nombre, int longitud) {
    auto* c = new QLineEdit(this);
    c->setObjectName(nombre);
    c->setMaxLength(longitud);
    c->installEventFilter(this);
    return c;
}

QPushButton* CabeceraAlbaran::Boton(const char* nombre, bool busca) {
    auto* b = new QPushButton(busca ? "..." : "+", this);
    b->setObjectName(nombre);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolTip(busca ? "F4" : "Alt +");
    b->setFixedWidth(32);
    return b;
}

void CabeceraAlbaran::AplicaIdioma(const QLocale& calendario) {
    const int etiquetas[] = {IdTexto::Cliente, IdTexto::Fecha, IdTexto::Numero, IdTexto::Operario};
    for (int i = 0; i < 4; ++i)
        lbl[i]->setText(Texto(etiquetas[i]));
    PonVersiones(m_versiones);
    setMaximumWidth(sizeHint().width() + 50 * txtCliente[1]->fontMetrics().averageCharWidth());
    txtFechaAlbaran->calendarWidget()->setLocale(calendario);
}

void CabeceraAlbaran::Muestra(const Albaran& a) {
    txtNumAlbaran->setText(a.NumAlbaran);
    txtFechaAlbaran->setDate(a.Fecha);
    Pon(txtOperario, a.NomOperario);
    PonCliente({a.CodCliente, a.NomCliente, a.Direccion1, a.Direccion2});
}

void CabeceraAlbaran::Rellena(Albaran& a) const {
    a.NumAlbaran = txtNumAlbaran->text();
    a.Fecha = txtFechaAlbaran->date();
    a.NomOperario = txtOperario->text();
    a.CodCliente = txtCliente[0]->text();
    a.NomCliente = txtCliente[1]->text();
    a.Direccion1 = txtCliente[2]->text();
    a.Direccion2 = txtCliente[3]->text();
}

void CabeceraAlbaran::PonVersiones(int versiones) {
    m_versiones = versiones;
    lblVersiones->setText(Texto(IdTexto::VersionesAnteriores).arg(versiones));
    lblVersiones->setVisible(versiones > 0);
}

QString CabeceraAlbaran::Numero() const {
    return txtNumAlbaran->text();
}

void CabeceraAlbaran::PonNumero(const QString& numero) {
    txtNumAlbaran->setText(numero);
}

QDate CabeceraAlbaran::Fecha() const {
    return txtFechaAlbaran->date();
}

void CabeceraAlbaran::PonFecha(const QDate& fecha) {
    txtFechaAlbaran->setDate(fecha);
}

QString CabeceraAlbaran::Operario() const {
    return txtOperario->text();
}

bool CabeceraAlbaran::PonOperario(const QString& nombre) {
    const bool cambia = nombre != txtOperario->text();
    Pon(txtOperario, nombre);
    return cambia;
}

std::array<QString, 4> CabeceraAlbaran::Cliente() const {
    return {txtCliente[0]->text(), txtCliente[1]->text(), txtCliente[2]->text(),
            txtCliente[3]->text()};
}

bool CabeceraAlbaran::PonCliente(const std::array<QString, 4>& cliente) {
    bool cambia = false;
    for (int i = 0; i < 4; ++i) {
        cambia = cambia || txtCliente[i]->text() != cliente[i];
        Pon(txtCliente[i], cliente[i]);
    }
    return cambia;
}

void CabeceraAlbaran::Enfoca(Campo campo) {
    switch (campo) {
    case Campo::Numero:
        return txtNumAlbaran->setFocus();
    case Campo::Operario:
        return txtOperario->setFocus();
    case Campo::Cliente:
        return txtCliente[0]->setFocus();
    }
}

QWidget* CabeceraAlbaran::UltimoCampo() const {
    return txtCliente[3];
}

bool CabeceraAlbaran::Tecla(QObject* objeto, QEvent* evento) {
    const bool esCliente =
        std::find(txtCliente.begin(), txtCliente.end(), objeto) != txtCliente.end();
    if (!esCliente && objeto != txtOperario)
        return false;
    const auto* tecla = static_cast<QKeyEvent*>(evento);
    const TeclaCabecera accion = AccionTecla(tecla);
    if (accion == TeclaCabecera::Ninguna)
        return false;
    // F4 acts as it is let go, Alt + "+" as it is pressed (Alt may be let go first).
    const QEvent::Type cuando =
        accion == TeclaCabecera::Busca ? QEvent::KeyRelease : QEvent::KeyPress;
    if (evento->type() == cuando && !tecla->isAutoRepeat()) {
        if (accion == TeclaCabecera::Busca && esCliente)
            emit BuscaCliente();
        else if (accion == TeclaCabecera::Busca)
            emit BuscaOperario();
        else if (esCliente)
            emit AddCliente();
        else
            emit AddOperario();
    }
    return true;
}

bool CabeceraAlbaran::eventFilter(QObject* objeto, QEvent* evento) {
    const bool clave = objeto == txtNumAlbaran || objeto == txtFechaAlbaran;
    switch (evento->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (Tecla(objeto, evento))
            return true; // the key types nothing into the field
        break;
    case QEvent::FocusIn:
        if (clave) {
            m_numeroAlEntrar = txtNumAlbaran->text();
            m_fechaAlEntrar = txtFechaAlbaran->date();
        }
        if (auto* caja = qobject_cast<QLineEdit*>(objeto))
            QTimer::singleShot(0, caja, &QLineEdit::selectAll); // typing replaces the text
        break;
    case QEvent::FocusOut: {
        const Qt::FocusReason motivo = static_cast<QFocusEvent*>(evento)->reason();
        // Opening a menu, a pick list or the calendar is no leaving of the field.
        const bool deja = motivo != Qt::PopupFocusReason && motivo != Qt::MenuBarFocusReason &&
                          motivo != Qt::ActiveWindowFocusReason;
        if (deja && clave)
            emit ClaveDejada(m_numeroAlEntrar, m_fechaAlEntrar);
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(objeto, evento);
}
