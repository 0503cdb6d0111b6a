#include "ticket/commport.h"

#include "ticket/lineasmodemserie.h"
#include "ticket/paginacodigos.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

#ifdef Q_OS_LINUX
// The kernel's terminal settings with free speeds, for rates without a Bnnn constant (14400).
struct termios2 {
    tcflag_t c_iflag;
    tcflag_t c_oflag;
    tcflag_t c_cflag;
    tcflag_t c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed;
    speed_t c_ospeed;
};
#ifndef IBSHIFT
#define IBSHIFT 16
#endif
#ifndef BOTHER
#define BOTHER 0010000
#endif
#endif

namespace {

CommPort::FabricaLineas& Fabrica() {
    static CommPort::FabricaLineas fabrica;
    return fabrica;
}

// Read and write time-outs: 10 ms per byte plus 100 ms.
constexpr int kTiempoPorByteMs = 10;
constexpr int kTiempoConstanteMs = 100;

#ifdef Q_OS_UNIX
bool VelocidadEstandar(qint32 bps, speed_t& velocidad) {
    struct Par {
        qint32 bps;
        speed_t velocidad;
    };
    static const Par tabla[] = {
        {50, B50},       {75, B75},         {110, B110},       {134, B134},     {150, B150},
        {200, B200},     {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
        {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400},
    };
    for (const Par& p : tabla) {
        if (p.bps == bps) {
            velocidad = p.velocidad;
            return true;
        }
    }
    return false;
}
#endif

} // namespace

CommPort::CommPort() = default;

CommPort::~CommPort() {
    QString descartado;
    CloseCommErr(descartado);
}

void CommPort::UsaFabricaLineas(FabricaLineas fabrica) {
    Fabrica() = std::move(fabrica);
}

QString CommPort::RutaPuerto(const QString& nombre) {
    const QString n = nombre.trimmed();
    if (n.isEmpty())
        return {};
    if (n.startsWith(QLatin1Char('/')))
        return n;
    static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(n);
    if (m.hasMatch()) {
        const int numero = m.captured(1).toInt();
        return numero >= 1 ? QStringLiteral("/dev/ttyS%1").arg(numero - 1) : QString();
    }
    const QDir dev(QStringLiteral("/dev"));
    const QStringList entradas =
        dev.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& e : entradas) {
        if (e.compare(n, Qt::CaseInsensitive) == 0)
            return dev.filePath(e);
    }
    return dev.filePath(n);
}

bool CommPort::OpenCommErr(const QString& puerto, QString& error) {
    error.clear();
    m_puerto = puerto;
    if (EstaAbierto()) {
        error = puerto + QStringLiteral(" is Already Open - Closing it");
        QString descartado;
        CloseCommErr(descartado);
        return true;
    }
#ifdef Q_OS_UNIX
    const QString ruta = RutaPuerto(puerto);
    int fd = -1;
    if (!ruta.isEmpty()) {
        // An existing device only (no O_CREAT), never our controlling terminal.
        fd =
            ::open(QFile::encodeName(ruta).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        // Exclusive: another program (or channel) holding the lock keeps us out.
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0) {
        error = QStringLiteral("Error opening ") + puerto;
        return true;
    }
    ::ioctl(fd, TIOCEXCL);
    m_fd = fd;
    m_lineas = Fabrica() ? Fabrica()(fd) : std::make_unique<LineasModemSerie>(fd);
    QString textoAjuste;
    if (SetupCommErr(textoAjuste)) {
        // The port stays open; the caller closes it.
        error = QStringLiteral("OpenComm: ") + textoAjuste;
        return true;
    }
    return false;
#else
    error = QStringLiteral("Error opening ") + puerto;
    return true;
#endif
}

bool CommPort::SetupCommErr(QString& error) {
    error.clear();
#ifdef Q_OS_UNIX
    termios t{};
    if (::tcgetattr(m_fd, &t) != 0) {
        error = QStringLiteral("Error Getting ") + m_puerto + QStringLiteral(" parameters");
        return true;
    }

    // The definition: speed, parity, data bits, stop bits and the driver's flow control.
    const Ajustes& a = m_ajustes;
    speed_t velocidad = B0;
    const bool estandar = VelocidadEstandar(a.bps, velocidad);
#ifdef Q_OS_LINUX
    const bool velocidadValida = a.bps > 0;
#else
    const bool velocidadValida = estandar;
#endif
    const bool paridadValida = QByteArrayView("NEOMS").contains(a.paridad);
    if (!velocidadValida || !paridadValida || a.bitsDatos < 5 || a.bitsDatos > 8) {
        error = QStringLiteral("Error Setting Com State");
        return true;
    }
    ::cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
#ifdef CMSPAR
    t.c_cflag &= ~CMSPAR;
#endif
    t.c_cflag |= CLOCAL | CREAD;
    static const tcflag_t tamanos[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= tamanos[a.bitsDatos - 5];
    switch (a.paridad) {
    case 'E':
        t.c_cflag |= PARENB;
        break;
    case 'O':
        t.c_cflag |= PARENB | PARODD;
        break;
#ifdef CMSPAR
    case 'M':
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case 'S':
        t.c_cflag |= PARENB | CMSPAR;
        break;
#else
    case 'M':
    case 'S':
        error = QStringLiteral("Error Setting Com State");
        return true;
#endif
    default:
        break;
    }
    // The UART sends 1.5 stop bits for 5-bit words and 2 otherwise when asked for two.
    if (a.bitsParada != BitsParada::Uno)
        t.c_cflag |= CSTOPB;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (a.flujo == Flujo::Hardware)
        t.c_cflag |= CRTSCTS;
    else if (a.flujo == Flujo::XonXoff)
        t.c_iflag |= IXON | IXOFF;
    // Read time-outs: a read returns after 100 ms without a byte.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 1;
    if (estandar && ::cfsetspeed(&t, velocidad) != 0) {
        error = QStringLiteral("Error Setting Com State");
        return true;
    }

    const QString errorParametros =
        QStringLiteral("Error setting ") + m_puerto + QStringLiteral(" parameters");
    if (::tcsetattr(m_fd, TCSANOW, &t) != 0) {
        error = errorParametros;
        return true;
    }
#ifdef Q_OS_LINUX
    if (!estandar) {
        termios2 t2{};
        if (::ioctl(m_fd, TCGETS2, &t2) != 0) {
            error = errorParametros;
            return true;
        }
        t2.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
        t2.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
        t2.c_ispeed = static_cast<speed_t>(a.bps);
        t2.c_ospeed = static_cast<speed_t>(a.bps);
        if (::ioctl(m_fd, TCSETS2, &t2) != 0) {
            error = errorParametros;
            return true;
        }
    }
#endif
    // The terminal driver's own buffers serve for receiving and sending; the read time-outs
    // travel with the line settings above (VMIN/VTIME), the write time-out is kept per byte.

    // Discard pending input and output.
    ::tcflush(m_fd, TCIOFLUSH);

    bool cts = false;
    bool dsr = false;
    if (!m_lineas || !m_lineas->LeeEstado(cts, dsr)) {
        error = QStringLiteral("Failed GetCommModemStatus()");
        return true;
    }
    return false;
#else
    error = QStringLiteral("Error Getting ") + m_puerto + QStringLiteral(" parameters");
    return true;
#endif
}

bool CommPort::WakePrinterErr(QString& error) {
    error.clear();
    if (!EstaAbierto() || !m_lineas) {
        error = QStringLiteral("Printer is NOT Open");
        return true;
    }
    for (int i = 1; i <= ComprobacionesDsr; ++i) {
        bool cts = false;
        bool dsr = false;
        if (!m_lineas->LeeEstado(cts, dsr)) {
            error = QStringLiteral("Failed GetCommModemStatus()");
            return true;
        }
        if (dsr)
            return false;
        if (i < ComprobacionesDsr) {
            // Pulse DTR to wake the printer.
            m_lineas->PonDtr(false);
            if (!Espera(PulsoDtrBajoMs)) {
                error = QStringLiteral("Cancelled");
                return true;
            }
            m_lineas->PonDtr(true);
            if (!Espera(PulsoDtrAltoMs)) {
                error = QStringLiteral("Cancelled");
                return true;
            }
        }
    }
    error = QStringLiteral("Failed To Wake Printer");
    return true;
}

bool CommPort::WaitCtsOk(QString& error) {
    for (int esperas = 0;; ++esperas) {
        bool cts = false;
        bool dsr = false;
        if (!m_lineas->LeeEstado(cts, dsr)) {
            error = QStringLiteral("Failed GetCommModemStatus");
            return false;
        }
        if (cts)
            return true;
        if (esperas == EsperasCts) {
            error = QStringLiteral("Write Comm: CTS Failure");
            return false;
        }
        if (!Espera(EsperaCtsMs)) {
            error = QStringLiteral("Write Comm: Cancelled");
            return false;
        }
    }
}

bool CommPort::WriteCommErr(const QString& datos, QString& error) {
    return WriteCommErr(PaginaCodigos::ABytes(datos, m_pagina), error);
}

bool CommPort::WriteCommErr(const QByteArray& datos, QString& error) {
    error.clear();
    m_cancelado = false;
    QString textoDespertar;
    if (WakePrinterErr(textoDespertar)) {
        error = QStringLiteral("WriteComm: ") + textoDespertar;
        return true;
    }
#ifdef Q_OS_UNIX
    for (const char c : datos) {
        if (!WaitCtsOk(error))
            return true;
        // One byte, waiting at most the write time-out for room in the driver.
        pollfd p{m_fd, POLLOUT, 0};
        int listo;
        do {
            listo = ::poll(&p, 1, kTiempoPorByteMs + kTiempoConstanteMs);
        } while (listo < 0 && errno == EINTR);
        ssize_t escritos = 0;
        if (listo < 0 || (p.revents & (POLLERR | POLLNVAL))) {
            escritos = -1;
        } else if (listo > 0) {
            do {
                escritos = ::write(m_fd, &c, 1);
            } while (escritos < 0 && errno == EINTR);
            if (escritos < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                escritos = 0;
        }
        if (escritos < 0) {
            error = QStringLiteral("WriteComm: Error Writing to Comm");
            return true;
        }
        if (escritos != 1) {
            error = QStringLiteral("WriteComm: Error Bytes written incorrect");
            return true;
        }
    }
    return false;
#else
    error = QStringLiteral("WriteComm: Error Writing to Comm");
    return !datos.isEmpty();
#endif
}

QString CommPort::ReadCommChar(QString& error) {
    error.clear();
    m_cancelado = false;
    QString textoDespertar;
    if (WakePrinterErr(textoDespertar)) {
        error = QStringLiteral("Read Comm: ") + textoDespertar;
        return {};
    }
    if (!Espera(10)) {
        error = QStringLiteral("Read Comm: Cancelled");
        return {};
    }
#ifdef Q_OS_UNIX
    pollfd p{m_fd, POLLIN, 0};
    int listo;
    do {
        listo = ::poll(&p, 1, kTiempoPorByteMs + kTiempoConstanteMs);
    } while (listo < 0 && errno == EINTR);
    if (listo <= 0)
        return {};
    char c = 0;
    ssize_t leidos;
    do {
        leidos = ::read(m_fd, &c, 1);
    } while (leidos < 0 && errno == EINTR);
    if (leidos != 1)
        return {};
    return PaginaCodigos::DeBytes(QByteArray(1, c), m_pagina);
#else
    return {};
#endif
}

void CommPort::DtrOn(QString& error) {
    error.clear();
    if (!EstaAbierto() || !m_lineas || !m_lineas->PonDtr(true))
        error = QStringLiteral("Failed EscapeCommFunction() SETDTR");
}

void CommPort::DtrOff(QString& error) {
    error.clear();
    if (!EstaAbierto() || !m_lineas || !m_lineas->PonDtr(false))
        error = QStringLiteral("Failed EscapeCommFunction() CLRDTR");
}

bool CommPort::CloseCommErr(QString& error) {
    if (!EstaAbierto())
        return false;
    m_lineas.reset();
#ifdef Q_OS_UNIX
    ::ioctl(m_fd, TIOCNXCL);
    const int r = ::close(m_fd);
#else
    const int r = 0;
#endif
    m_fd = -1;
    if (r != 0) {
        error = QStringLiteral("Error Closing Comm");
        return true;
    }
    return false;
}

void CommPort::Cancela() {
    m_cancelado = true;
    if (m_bucle)
        m_bucle->quit();
}

bool CommPort::Espera(int ms) {
    if (m_cancelado)
        return false;
    const bool completa = m_espera ? m_espera(ms) : EsperaConEventos(ms);
    return completa && !m_cancelado;
}

bool CommPort::EsperaConEventos(int ms) {
    if (!QCoreApplication::instance()) {
        QThread::msleep(static_cast<unsigned long>(ms));
        return !m_cancelado;
    }
    QEventLoop bucle;
    QTimer reloj;
    reloj.setSingleShot(true);
    reloj.setTimerType(Qt::PreciseTimer);
    QObject::connect(&reloj, &QTimer::timeout, &bucle, &QEventLoop::quit);
    QEventLoop* anterior = m_bucle;
    m_bucle = &bucle;
    reloj.start(ms);
    bucle.exec();
    m_bucle = anterior;
    return !m_cancelado;
}
