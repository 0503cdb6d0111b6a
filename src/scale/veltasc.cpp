#include "scale/veltasc.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"

#include <QPointer>

namespace {
// The port's input buffer, in characters.
constexpr qint64 kBufferEntrada = 2048;

constexpr char kLetras[] = {'0', 'N', 'B', 'F', 'C', 'T', 'D', 'S'};
} // namespace

VeltaSC::VeltaSC(QObject* parent) : QObject(parent) {
    // At most this much is held unread when the scale type reads nothing; the rest waits in
    // the system's own buffer.
    m_poComm.setReadBufferSize(kBufferEntrada);
    connect(&m_poComm, &QSerialPort::readyRead, this, &VeltaSC::Recibe);
    connect(&m_poComm, &QSerialPort::errorOccurred, this, &VeltaSC::AlError);
}

VeltaSC::~VeltaSC() {
    if (m_poComm.isOpen())
        CierraPuerto();
}

QString VeltaSC::NombrePorNumero(qint16 n) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(n);
#else
    if (n < 1)
        return QString();
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

QString VeltaSC::NombreSistema() const {
    const QString nombre = m_puertoNombre.trimmed();
    return nombre.isEmpty() ? NombrePorNumero(m_puerto) : nombre;
}

bool VeltaSC::PortOpen() const {
    return m_poComm.isOpen();
}

Resultado VeltaSC::SetPortOpen(bool abrir) {
    if (m_poComm.isOpen())
        CierraPuerto();
    ++m_apertura;
    m_perdiendo = false;
    if (!abrir)
        return Resultado::Exito();

    switch (m_tipoBascula) {
    case 0:
        m_poComm.setBaudRate(QSerialPort::Baud9600);
        m_poComm.setParity(QSerialPort::NoParity);
        m_poComm.setDataBits(QSerialPort::Data8);
        m_poComm.setStopBits(QSerialPort::TwoStop);
        m_poComm.setFlowControl(QSerialPort::SoftwareControl);
        break;
    case 1:
        m_poComm.setBaudRate(QSerialPort::Baud9600);
        m_poComm.setParity(QSerialPort::NoParity);
        m_poComm.setDataBits(QSerialPort::Data8);
        m_poComm.setStopBits(QSerialPort::OneStop);
        m_poComm.setFlowControl(QSerialPort::NoFlowControl);
        break;
    default:
        break;
    }

    const QString nombre = NombreSistema();
    m_poComm.setPortName(nombre);
    if (nombre.isEmpty() || !m_poComm.open(QIODevice::ReadWrite)) {
        const QString motivo =
            nombre.isEmpty() ? Texto(IdTexto::NingunPuertoElegido) : m_poComm.errorString();
        if (m_poComm.isOpen())
            m_poComm.close();
        m_poComm.clearError();
        return Resultado::Fallo(Texto(IdTexto::PuertoNoSeAbre).arg(nombre, motivo));
    }
    m_poComm.clearError();
    return Resultado::Exito();
}

void VeltaSC::CierraPuerto() {
    // Commands written just before closing (the on-request command of a disconnect) still go
    // out, unless the line is held back by the other end.
    if (m_poComm.bytesToWrite() > 0)
        m_poComm.waitForBytesWritten(200);
    m_poComm.close();
}

void VeltaSC::Comando(qint32 codigo) {
    if (codigo < 0 || codigo > 7)
        return;
    if (m_tipoBascula != 0)
        return;
    EnviaOrden(kLetras[codigo]);
}

void VeltaSC::EnviaOrden(char letra) {
    if (!m_poComm.isOpen() || m_tipoBascula != 0)
        return;
    const char orden[] = {'S', letra, '\r'};
    m_poComm.write(orden, sizeof orden);
    m_poComm.flush();
}

void VeltaSC::Recibe() {
    if (m_procesando)
        return; // the running pass reads these characters too
    m_procesando = true;
    QPointer<VeltaSC> vivo(this);
    for (;;) {
        const qint32 tipo = m_tipoBascula;
        if (!m_poComm.isOpen() || m_poComm.bytesAvailable() <= 0)
            break;
        if (tipo != 0 && tipo != 1) {
            // Other types read nothing: the characters stay in the port. A full input buffer
            // loses its oldest half, as otherwise the port would stop telling of arrivals and
            // the controller would stay deaf once the type is changed to a known one.
            if (m_poComm.bytesAvailable() >= kBufferEntrada)
                m_poComm.skip(m_poComm.bytesAvailable() - kBufferEntrada / 2);
            break;
        }
        const QList<CortadorTramas::Salida> salidas = m_cortador.Procesa(tipo, m_poComm.readAll());
        for (const CortadorTramas::Salida& s : salidas) {
            if (s.clase == CortadorTramas::Salida::Clase::Mensaje)
                emit Mensaje(s.texto);
            else
                emit MensajeDebug(s.texto);
            if (!vivo)
                return; // the host destroyed the controller from its handler
        }
    }
    m_procesando = false;
}

void VeltaSC::AlError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    if (!m_poComm.isOpen() || m_perdiendo)
        return; // failures while opening are reported by SetPortOpen
    m_perdiendo = true;
    const QString texto =
        Texto(IdTexto::PuertoPerdido).arg(NombreSistema(), m_poComm.errorString());
    const quint64 apertura = m_apertura;
    // Closed from the event loop, not from inside the port's own notification.
    QMetaObject::invokeMethod(
        this,
        [this, texto, apertura] {
            if (apertura != m_apertura || !m_perdiendo)
                return; // the host has closed or reopened the port meanwhile
            m_perdiendo = false;
            if (m_poComm.isOpen())
                m_poComm.close();
            m_poComm.clearError();
            emit PuertoPerdido(texto);
        },
        Qt::QueuedConnection);
}
