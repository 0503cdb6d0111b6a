#include "scale/frmtest.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelmensaje.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace {
const char* const kCaptionsComando[8] = {"Lectura contínua", "Lectura a petición", "Peso neto",
                                         "Peso bruto",       "Puesta a cero",      "Tarado",
                                         "Destarado",        "Número de serie"};
} // namespace

frmTest::frmTest(QWidget* parent) : QDialog(parent) {
    setObjectName("frmTest");
    setWindowTitle("Form1");
    m_veltaSC1.setObjectName("VeltaSC1");

    m_cboPuertos = new QComboBox(this);
    m_cboPuertos->setObjectName("cboPuertos");
    // A device path can also be typed by hand (a pseudo-terminal, an adapter not yet listed).
    m_cboPuertos->setEditable(true);
    m_cboPuertos->setInsertPolicy(QComboBox::NoInsert);
    // Wide enough for a device path such as the adapters' names under /dev/serial/by-id, and
    // never wider because of a longer entry.
    m_cboPuertos->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cboPuertos->setMinimumContentsLength(48);

    const char* const captionsConectar[2] = {"Conectar", "Desonectar"};
    auto* filaPuerto = new QHBoxLayout;
    filaPuerto->addWidget(m_cboPuertos, 1);
    for (int i = 0; i < 2; ++i) {
        m_cmdConectar[i] = new QPushButton(QString::fromUtf8(captionsConectar[i]), this);
        m_cmdConectar[i]->setObjectName(QStringLiteral("cmdConectar%1").arg(i));
        m_cmdConectar[i]->setAutoDefault(false);
        filaPuerto->addWidget(m_cmdConectar[i]);
    }

    auto* rejilla = new QGridLayout;
    for (int k = 0; k < 8; ++k) {
        m_cmdComando[k] = new QPushButton(QString::fromUtf8(kCaptionsComando[k]), this);
        m_cmdComando[k]->setObjectName(QStringLiteral("cmdComando%1").arg(k));
        m_cmdComando[k]->setAutoDefault(false);
        rejilla->addWidget(m_cmdComando[k], k / 2, k % 2);
        connect(m_cmdComando[k], &QPushButton::clicked, this,
                [this, k] { m_veltaSC1.Comando(CodigosComando[k]); });
    }

    m_label1 = new QLabel("0.000", this);
    m_label1->setObjectName("Label1");
    QFont letra("Arial");
    letra.setPointSize(24);
    m_label1->setFont(letra);
    m_label1->setAlignment(Qt::AlignCenter);
    // Readings are shown as they come, never read as markup, and whatever their length they
    // never resize the window: the label keeps the height of one line and the window's width.
    m_label1->setTextFormat(Qt::PlainText);
    m_label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_label1->setFixedHeight(m_label1->sizeHint().height());

    // The raw frame and the unreadable count, in a fixed-width face so that blanks show.
    m_lblTrama = new QLabel(this);
    m_lblTrama->setObjectName("lblTrama");
    m_lblIlegibles = new QLabel(Texto(IdTexto::TramasIlegibles).arg(0), this);
    m_lblIlegibles->setObjectName("lblIlegibles");
    for (QLabel* l : {m_lblTrama, m_lblIlegibles}) {
        l->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        l->setTextFormat(Qt::PlainText);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }

    auto* principal = new QVBoxLayout(this);
    principal->addLayout(filaPuerto);
    principal->addLayout(rejilla);
    principal->addWidget(m_label1);
    principal->addWidget(m_lblTrama);
    principal->addWidget(m_lblIlegibles);

    connect(m_cmdConectar[0], &QPushButton::clicked, this, &frmTest::Conecta);
    connect(m_cmdConectar[1], &QPushButton::clicked, this, &frmTest::Desconecta);
    connect(m_cboPuertos, &QComboBox::currentTextChanged, this, [this] { PonEstado(m_conectado); });
    connect(&m_veltaSC1, &VeltaSC::LecturaRecibida, this, &frmTest::AlLeer);
    connect(&m_veltaSC1, &VeltaSC::TramaIlegible, this, &frmTest::AlIlegible);
    connect(&m_veltaSC1, &VeltaSC::PuertoPerdido, this, &frmTest::AlPerderPuerto);
    connect(&m_veltaSC1, &VeltaSC::OrdenNoEnviada, this, [this](const QString& motivo) {
        kelMensaje::Error(this, windowTitle(), Texto(IdTexto::OrdenSinRegistro) + "\n\n" + motivo);
    });

    CargaPuertos();
    PonEstado(false);
}

frmTest::~frmTest() = default;

qint16 frmTest::NumeroPuerto(const QString& nombre) {
    const QString resto = nombre.mid(3);
    qsizetype n = 0;
    while (n < resto.size() && resto.at(n).isDigit())
        ++n;
    bool ok = false;
    const int v = resto.left(n).toInt(&ok);
    return ok && v <= 32767 ? qint16(v) : qint16(0);
}

void frmTest::CargaPuertos() {
    m_cboPuertos->clear();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        const QString nombre = info.portName().toUpper();
#else
        const QString nombre = info.portName();
#endif
        m_cboPuertos->addItem(nombre, NumeroPuerto(nombre));
    }
    // The port chosen in the settings, listed first when the system does not list it (a
    // pseudo-terminal or a path given by hand).
    const clsDatosApp* datos = clsDatosApp::Instancia();
    const QString propio = datos ? datos->PuertoNombre().trimmed() : QString();
    if (!propio.isEmpty() && m_cboPuertos->findText(propio) < 0)
        m_cboPuertos->insertItem(0, propio, NumeroPuerto(propio));
    const int elegido = propio.isEmpty() ? 0 : m_cboPuertos->findText(propio);
    m_cboPuertos->setCurrentIndex(m_cboPuertos->count() > 0 ? qMax(elegido, 0) : -1);
}

void frmTest::Conecta() {
    const QString nombre = m_cboPuertos->currentText().trimmed();
    if (nombre.isEmpty())
        return;
    const int i = m_cboPuertos->findText(nombre);
    m_veltaSC1.SetPuerto(i >= 0 ? qint16(m_cboPuertos->itemData(i).toInt()) : NumeroPuerto(nombre));
    m_veltaSC1.SetPuertoNombre(nombre);
    const clsDatosApp* datos = clsDatosApp::Instancia();
    if (datos)
        (void)m_veltaSC1.SetAjustes(AjustesBascula::De(*datos)); // a failure comes on opening
    else
        m_veltaSC1.SetTipoBascula(0);
    if (const Resultado abierto = m_veltaSC1.SetPortOpen(true); !abierto) {
        PonEstado(false);
        kelMensaje::Error(this, windowTitle(), abierto.Error());
        return;
    }
    PonEstado(true);
}

void frmTest::Desconecta() {
    if (m_veltaSC1.PortOpen()) {
        m_veltaSC1.Comando(VeltaSC::OrdenLecturaPeticion);
        (void)m_veltaSC1.SetPortOpen(false); // closing cannot fail
    }
    PonEstado(false);
}

void frmTest::AlPerderPuerto(const QString& error) {
    PonEstado(false);
    kelMensaje::Error(this, windowTitle(), error);
}

void frmTest::AlLeer(const Lectura& l) {
    // A reply (to zero or tare, a serial number) is shown as its frame only.
    if (l.EsPeso())
        m_label1->setText(l.Rotulo());
    QStringList leido;
    if (l.EsPeso())
        leido << l.Cifra() << l.unidad << Lectura::NombreEstado(l.estado)
              << Lectura::NombreTipo(l.tipo);
    else
        leido << QStringLiteral("(respuesta)");
    leido.removeAll(QString());
    m_lblTrama->setText(l.TramaLegible() + QStringLiteral("  ->  ") + leido.join(' '));
}

void frmTest::AlIlegible(const QString& trama) {
    Lectura l;
    l.trama = trama.toLatin1();
    m_lblTrama->setText(l.TramaLegible() + QStringLiteral("  ->  ?"));
    m_lblIlegibles->setText(Texto(IdTexto::TramasIlegibles).arg(m_veltaSC1.TramasIlegibles()));
}

void frmTest::PonEstado(bool conectado) {
    m_conectado = conectado;
    m_cboPuertos->setEnabled(!conectado);
    m_cmdConectar[0]->setEnabled(!conectado && !m_cboPuertos->currentText().trimmed().isEmpty());
    m_cmdConectar[1]->setEnabled(conectado);
    for (QPushButton* b : m_cmdComando)
        b->setEnabled(conectado);
}

void frmTest::closeEvent(QCloseEvent* e) {
    Desconecta();
    QDialog::closeEvent(e);
}

void frmTest::reject() {
    Desconecta();
    QDialog::reject();
}
