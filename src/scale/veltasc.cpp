#include "scale/veltasc.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "scale/protocolobascula.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
// The port's input buffer, in characters.
constexpr qint64 kBufferEntrada = 2048;

QSerialPort::FlowControl Flujo(qint32 f) {
    switch (f) {
    case ProtocoloBascula::XonXoff:
        return QSerialPort::SoftwareControl;
    case ProtocoloBascula::RtsCts:
        return QSerialPort::HardwareControl;
    default:
        return QSerialPort::NoFlowControl;
    }
}
} // namespace

VeltaSC::VeltaSC(QObject* parent) : QObject(parent) {
    // At most this much is held unread when the scale type reads nothing; the rest waits in
    // the system's own buffer.
    m_poComm.setReadBufferSize(kBufferEntrada);
    connect(&m_poComm, &QSerialPort::readyRead, this, &VeltaSC::Recibe);
    connect(&m_poComm, &QSerialPort::errorOccurred, this, &VeltaSC::AlError);
    connect(&m_sondeo, &QTimer::timeout, this, &VeltaSC::PideLectura);
    m_reloj.start();
}

Resultado VeltaSC::SetAjustes(const AjustesBascula& ajustes) {
    m_ajustes = ajustes;
    m_estabilidad = EstabilidadSoftware(ajustes.estabilidad);
    m_usuario = ProtocoloUsuario();
    m_usuarioLeido = Resultado::Exito();
    if (ajustes.tipo == 6)
        m_usuarioLeido =
            ProtocoloUsuario::Crea(ajustes.tramaUsuario, ajustes.estableUsuario,
                                   ajustes.finTramaUsuario, ajustes.peticionUsuario, m_usuario);
    m_cortador.SetUsuario(m_usuario);
    return m_usuarioLeido;
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

    if (const ProtocoloBascula* p = ProtocoloBascula::Busca(m_ajustes.tipo)) {
        if (m_ajustes.tipo == 6 && !m_usuarioLeido)
            return m_usuarioLeido;
        AjustesBascula::Linea linea;
        if (const Resultado r = m_ajustes.LineaEfectiva(*p, linea); !r)
            return r;
        m_poComm.setBaudRate(linea.bps);
        m_poComm.setParity(linea.paridad);
        m_poComm.setDataBits(linea.bits);
        m_poComm.setStopBits(linea.parada);
        m_poComm.setFlowControl(Flujo(linea.flujo));
    }
    m_estabilidad.Olvida();

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
    m_sondeo.stop();
    // Commands written just before closing (the on-request command of a disconnect) still go
    // out, unless the line is held back by the other end.
    if (m_poComm.bytesToWrite() > 0)
        m_poComm.waitForBytesWritten(200);
    m_poComm.close();
}

void VeltaSC::Comando(qint32 codigo) {
    const ProtocoloBascula* p = ProtocoloBascula::Busca(m_ajustes.tipo);
    if (!p || codigo < 0 || codigo > 7 || !m_poComm.isOpen())
        return;
    if (codigo == OrdenLecturaContinua || codigo == OrdenLecturaPeticion) {
        m_continua = codigo == OrdenLecturaContinua;
        m_estabilidad.Olvida();
        m_sondeo.stop();
        if (m_continua && p->Orden(codigo, m_usuario).isEmpty() && p->Pregunta(m_usuario)) {
            PideLectura();
            m_sondeo.start(IntervaloSondeo);
            return;
        }
    }
    const QByteArray bytes = p->Orden(codigo, m_usuario);
    if (m_antesDeOrden && !bytes.isEmpty())
        if (const Resultado r = m_antesDeOrden(codigo, m_ajustes.tipo, bytes); !r) {
            emit OrdenNoEnviada(r.Error());
            return;
        }
    Envia(bytes);
}

void VeltaSC::DescartaEntrada() {
    if (m_poComm.isOpen())
        m_poComm.clear(QSerialPort::Input);
    m_cortador.Descarta();
}

bool VeltaSC::PideLectura() {
    const ProtocoloBascula* p = ProtocoloBascula::Busca(m_ajustes.tipo);
    if (!p || !p->Pregunta(m_usuario))
        return false;
    // A request waits while the previous one is still on its way (a line held back).
    if (m_poComm.bytesToWrite() == 0)
        Envia(p->Orden(ProtocoloBascula::OrdenLeer, m_usuario));
    return true;
}

void VeltaSC::Envia(const QByteArray& bytes) {
    if (!m_poComm.isOpen() || bytes.isEmpty())
        return;
    m_poComm.write(bytes);
    m_poComm.flush();
}

void VeltaSC::Recibe() {
    if (m_procesando)
        return; // the running pass reads these characters too
    m_procesando = true;
    QPointer<VeltaSC> vivo(this);
    for (;;) {
        const qint32 tipo = m_ajustes.tipo;
        if (!m_poComm.isOpen() || m_poComm.bytesAvailable() <= 0)
            break;
        const ProtocoloBascula* p = ProtocoloBascula::Busca(tipo);
        if (!p) {
            // Other types read nothing: the characters stay in the port. A full input buffer
            // loses its oldest half, as otherwise the port would stop telling of arrivals and
            // the controller would stay deaf once the type is changed to a known one.
            if (m_poComm.bytesAvailable() >= kBufferEntrada)
                m_poComm.skip(m_poComm.bytesAvailable() - kBufferEntrada / 2);
            break;
        }
        // The cutter's own messages: nothing below touches the cutter until the next read, and a
        // handler that destroys the controller ends the loop before the next message is read.
        const CortadorTramas::Salidas salidas = m_cortador.Procesa(tipo, m_poComm.readAll());
        const QDateTime ahora = QDateTime::currentDateTime();
        const qint64 ms = m_reloj.elapsed();
        const bool conEstado = p->ConEstado(m_usuario);
        for (const CortadorTramas::Salida& s : salidas) {
            switch (s.clase) {
            case CortadorTramas::Salida::Clase::Mensaje:
                emit Mensaje(s.Texto());
                if (vivo && s.lectura) {
                    Lectura l = *s.lectura;
                    l.recibida = ahora;
                    // A scale that does not say is judged from its readings when it streams;
                    // a reading asked for on its own is "unknown".
                    if (l.EsPeso() && !conEstado)
                        l.estado =
                            m_continua ? m_estabilidad.Evalua(l, ms) : Lectura::Estado::Desconocido;
                    emit LecturaRecibida(l);
                }
                break;
            case CortadorTramas::Salida::Clase::MensajeDebug:
                emit MensajeDebug(s.Texto());
                break;
            case CortadorTramas::Salida::Clase::Ilegible:
                emit TramaIlegible(s.Texto());
                break;
            }
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

Resultado VeltaSC::Enciende(const AjustesBascula& ajustes, bool continua) {
    (void)SetAjustes(ajustes); // a protocol that cannot be read fails the opening
    if (const Resultado r = SetPortOpen(true); !r)
        return r;
    Comando(continua ? OrdenLecturaContinua : OrdenLecturaPeticion);
    return Resultado::Exito();
}

void VeltaSC::Apaga() {
    if (!PortOpen())
        return;
    Comando(OrdenLecturaPeticion);
    QCoreApplication::processEvents();
    (void)SetPortOpen(false);
}
