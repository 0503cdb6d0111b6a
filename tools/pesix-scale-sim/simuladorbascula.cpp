#include "simuladorbascula.h"

#include "scale/ajustesbascula.h"
#include "scale/protocolobascula.h"
#include "scale/protocolousuario.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTextStream>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {
qint64 AhoraNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void Registro(const QString& texto) {
    std::fprintf(stderr, "pesix-scale-sim: %s\n", qPrintable(texto));
    std::fflush(stderr);
}

QByteArray Cifra(double kg) {
    // Never "-0.000".
    if (qAbs(kg) < 0.0005)
        kg = 0.0;
    return QByteArray::number(kg, 'f', 3);
}

// What a frame looks like when received on the wrong line settings: no byte of it a line end.
QByteArray Ruido(const QByteArray& trama) {
    QByteArray r = trama;
    for (char& c : r)
        c = char((uchar(c) ^ 0x55) | 0x80);
    return r;
}

int Baudios(speed_t v) {
    static const QList<std::pair<speed_t, int>> tabla = {
        {B300, 300},     {B600, 600},       {B1200, 1200},    {B2400, 2400},
        {B4800, 4800},   {B9600, 9600},     {B19200, 19200},  {B38400, 38400},
        {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};
    for (const auto& [b, n] : tabla)
        if (b == v)
            return n;
    return 0;
}

// The Toledo frame: STX, status words A, B and C, six weight and six tare digits, CR and the
// checksum (the two's complement of the sum of the rest, seven bits).
QByteArray Toledo(double kg, double tara, bool neto, bool movimiento, bool fuera) {
    int decimales = 3;
    while (decimales > 0 && qAbs(kg) * std::pow(10, decimales) > 999999.5)
        --decimales;
    const auto digitos = [&](double v) {
        const qint64 n = qMin<qint64>(999999, qRound64(qAbs(v) * std::pow(10, decimales)));
        return QByteArray::number(n).rightJustified(6, '0');
    };
    QByteArray t;
    t += '\x02';
    t += char(0x20 | 0x08 | (decimales + 2));
    t += char(0x20 | 0x10 | (neto ? 0x01 : 0) | (kg < 0 ? 0x02 : 0) | (fuera ? 0x04 : 0) |
              (movimiento ? 0x08 : 0));
    t += char(0x20);
    t += fuera ? QByteArray("999999") : digitos(kg);
    t += digitos(tara);
    t += '\r';
    int suma = 0;
    for (const char c : t)
        suma += uchar(c);
    t += char((-suma) & 0x7f);
    return t;
}
} // namespace

SimuladorBascula::SimuladorBascula(const Opciones& o, QObject* parent)
    : QObject(parent), m_o(o), m_peso(o.peso) {
    connect(&m_reloj, &QTimer::timeout, this, &SimuladorBascula::Tic);
}

SimuladorBascula::~SimuladorBascula() {
    // Only our own link goes; anything put there since is left alone.
    if (!m_o.enlace.isEmpty() && QFileInfo(m_o.enlace).symLinkTarget() == m_ruta)
        QFile::remove(m_o.enlace);
    if (m_maestro >= 0)
        ::close(m_maestro);
    if (m_esclavo >= 0)
        ::close(m_esclavo);
}

bool SimuladorBascula::Inicia() {
    // The link replaces an earlier link, never a file someone keeps there.
    const QFileInfo enlace(m_o.enlace);
    if (!m_o.enlace.isEmpty() && enlace.exists() && !enlace.isSymLink()) {
        Registro(QStringLiteral("%1 ya existe y no es un enlace: no se toca").arg(m_o.enlace));
        m_o.enlace.clear();
        return false;
    }
    const ProtocoloBascula* protocolo = ProtocoloBascula::Busca(m_o.tipo);
    AjustesBascula::Linea linea;
    const QString textoLinea = m_o.linea.isEmpty() ? QString(protocolo->linea) : m_o.linea;
    if (!AjustesBascula::LeeLinea(textoLinea, linea)) {
        Registro(QStringLiteral("línea no válida: %1").arg(textoLinea));
        return false;
    }
    m_bps = linea.bps;
    m_parada = linea.parada == QSerialPort::TwoStop ? 2 : 1;
    termios t{};
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B9600);
    t.c_cflag |= CLOCAL | CREAD;
    if (::openpty(&m_maestro, &m_esclavo, nullptr, &t, nullptr) != 0) {
        Registro(QStringLiteral("no se puede crear el pseudoterminal: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    // The scale's end stays open here too, so the terminal lives while the program opens and
    // closes its port; only the program reads from it.
    m_ruta = QString::fromLocal8Bit(::ttyname(m_esclavo));
    if (!m_o.enlace.isEmpty()) {
        QFile::remove(m_o.enlace);
        if (!QFile::link(m_ruta, m_o.enlace)) {
            Registro(QStringLiteral("no se puede crear el enlace %1").arg(m_o.enlace));
            m_o.enlace.clear();
        }
    }
    // Never blocked by a line nobody reads: what does not fit waits in m_salida.
    ::fcntl(m_maestro, F_SETFL, ::fcntl(m_maestro, F_GETFL) | O_NONBLOCK);
    m_avisoPuerto = new QSocketNotifier(m_maestro, QSocketNotifier::Read, this);
    connect(m_avisoPuerto, &QSocketNotifier::activated, this, &SimuladorBascula::LeePuerto);
    m_avisoSalida = new QSocketNotifier(m_maestro, QSocketNotifier::Write, this);
    m_avisoSalida->setEnabled(false);
    connect(m_avisoSalida, &QSocketNotifier::activated, this, &SimuladorBascula::VaciaSalida);
    ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    m_avisoConsola = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_avisoConsola, &QSocketNotifier::activated, this, &SimuladorBascula::LeeConsola);
    // A Toledo scale streams, always.
    PonContinua(m_o.continua || m_o.tipo == 3);
    return true;
}

bool SimuladorBascula::LineaCorrecta() const {
    // A pseudo-terminal keeps neither parity nor data bits (it is always 8N): only the speed
    // and the stop bits the program set can be told apart.
    termios t{};
    if (::tcgetattr(m_maestro, &t) != 0)
        return true;
    const int bps = Baudios(::cfgetospeed(&t));
    const int parada = (t.c_cflag & CSTOPB) ? 2 : 1;
    const bool igual = bps == m_bps && parada == m_parada;
    if (!igual)
        Registro(QStringLiteral("línea a %1 bps y %2 de parada: no es la de la báscula")
                     .arg(bps)
                     .arg(parada));
    return igual;
}

void SimuladorBascula::LeePuerto() {
    char buf[512];
    const ssize_t n = ::read(m_maestro, buf, sizeof buf);
    if (n <= 0)
        return;
    m_entrada.append(buf, n);
    if (m_o.tipo != 0) {
        // Requests end at CR or LF; the other half of a CR LF makes no request.
        for (qsizetype f; (f = m_entrada.indexOf(m_o.tipo == 5 ? '\r' : '\n')) >= 0 ||
                          (f = m_entrada.indexOf('\r')) >= 0;) {
            const QByteArray peticion = m_entrada.left(f).trimmed();
            m_entrada.remove(0, f + 1);
            if (!peticion.isEmpty())
                Peticion(peticion);
        }
        if (m_entrada.size() > 4096)
            m_entrada.clear();
        return;
    }
    for (qsizetype cr; (cr = m_entrada.indexOf('\r')) >= 0;) {
        const QByteArray orden = m_entrada.left(cr);
        m_entrada.remove(0, cr + 1);
        if (orden.size() == 2 && orden.at(0) == 'S')
            Orden(orden.at(1));
        else
            Registro(QStringLiteral("orden desconocida: %1").arg(QString::fromLatin1(orden)));
    }
    if (m_entrada.size() > 4096)
        m_entrada.clear();
}

void SimuladorBascula::Orden(char letra) {
    Registro(QStringLiteral("orden S%1").arg(QLatin1Char(letra)));
    if (m_o.tipo != 0) {
        Registro(QStringLiteral("(una báscula de tipo %1 no atiende órdenes)").arg(m_o.tipo));
        return;
    }
    switch (letra) {
    case '0': // readings on request from now on
        PonContinua(false);
        EnviaLectura(Neto());
        break;
    case 'N':
        EnviaLectura(Neto());
        break;
    case 'B':
        EnviaLectura(Bruto());
        break;
    case 'F':
        PonContinua(true);
        break;
    case 'C': // the present load becomes zero; the tare goes
        m_cero = m_peso;
        m_tara = 0.0;
        EnviaLectura(Bruto());
        break;
    case 'T':
        m_tara = Bruto();
        EnviaLectura(Neto());
        break;
    case 'D':
        m_tara = 0.0;
        EnviaLectura(Neto());
        break;
    case 'S':
        Envia(m_o.serie.toLatin1() + '\r');
        break;
    default:
        Registro(QStringLiteral("orden desconocida: S%1").arg(QLatin1Char(letra)));
        break;
    }
}

void SimuladorBascula::Peticion(const QByteArray& peticion) {
    Registro(QStringLiteral("petición %1").arg(QString::fromLatin1(peticion)));
    const ProtocoloBascula* p = ProtocoloBascula::Busca(m_o.tipo);
    const ProtocoloUsuario usuario;
    if (m_o.tipo == 6) {
        OrdenCodigo(ProtocoloBascula::OrdenLeer);
        return;
    }
    // MT-SICS "S" (a stable weight) is answered as "SI".
    if (m_o.tipo == 2 && peticion == "S") {
        OrdenCodigo(ProtocoloBascula::OrdenLeer);
        return;
    }
    for (int codigo = 0; codigo < 8; ++codigo) {
        const QByteArray orden = p->Orden(codigo, usuario).trimmed();
        if (!orden.isEmpty() && orden == peticion) {
            OrdenCodigo(codigo);
            return;
        }
    }
    Registro(QStringLiteral("petición desconocida: %1").arg(QString::fromLatin1(peticion)));
}

void SimuladorBascula::OrdenCodigo(int codigo) {
    // MT-SICS and SMA end a running continuous output with any other command.
    if (codigo != 3 && (m_o.tipo == 2 || m_o.tipo == 5))
        PonContinua(false);
    const bool neto = m_tara != 0.0;
    const auto lectura = [&] {
        if (m_error) {
            m_error = false;
            Envia(TramaError());
        } else {
            Envia(Trama(neto ? Neto() : Bruto(), neto));
        }
    };
    switch (codigo) {
    case 0:
    case 1:
    case 2:
        lectura();
        break;
    case 3:
        PonContinua(true);
        break;
    case 4:
        m_cero = m_peso;
        m_tara = 0.0;
        if (m_o.tipo == 2)
            Envia("Z A\r\n");
        else if (m_o.tipo == 4)
            Envia("\x06\r\n");
        else
            Envia(Trama(Bruto(), false));
        break;
    case 5:
        m_tara = Bruto();
        if (m_o.tipo == 2)
            Envia("T S " + Cifra(m_tara).rightJustified(10) + " kg\r\n");
        else if (m_o.tipo == 4)
            Envia("\x06\r\n");
        else
            Envia(Trama(Neto(), true));
        break;
    case 6:
        m_tara = 0.0;
        if (m_o.tipo == 2)
            Envia("TAC A\r\n");
        else
            Envia(Trama(Bruto(), false));
        break;
    case 7:
        if (m_o.tipo == 2)
            Envia("I4 A \"" + m_o.serie.toLatin1() + "\"\r\n");
        break;
    default:
        break;
    }
}

QByteArray SimuladorBascula::TramaError() const {
    switch (m_o.tipo) {
    case 2:
        return "ES\r\n";
    case 4:
        return "EC,E00\r\n";
    case 5:
        return "\nE1G  ----------kg \r";
    default:
        return "?\r\n";
    }
}

QByteArray SimuladorBascula::Trama(double kg, bool neto) {
    bool movimiento = false;
    if (m_movimiento > 0) {
        // Swings that shrink as the load settles.
        kg += (m_movimiento % 2 ? 1 : -1) * m_movimiento * 0.05;
        --m_movimiento;
        movimiento = true;
    }
    const bool sobre = m_estado == Estado::Sobrecarga;
    const bool bajo = m_estado == Estado::BajoRango;
    const QByteArray cifra = Cifra(kg);
    QByteArray t;
    switch (m_o.tipo) {
    case 2:
        if (sobre || bajo)
            t = sobre ? "S +\r\n" : "S -\r\n";
        else
            t = QByteArray("S ") + (movimiento ? 'D' : 'S') + ' ' + cifra.rightJustified(10) +
                " kg\r\n";
        break;
    case 3:
        t = Toledo(bajo ? -1.0 : kg, m_tara, neto, movimiento, sobre || bajo);
        break;
    case 4: {
        const QByteArray clase = neto ? "NT," : "GS,";
        if (sobre || bajo) {
            t = "OL," + clase + (sobre ? "+" : "-") + "99999.99kg\r\n";
        } else {
            const QByteArray signo = kg < 0 && cifra != "0.000" ? "-" : "+";
            t = QByteArray(movimiento ? "US," : "ST,") + clase + signo +
                Cifra(qAbs(kg)).rightJustified(8, '0') + "kg\r\n";
        }
        break;
    }
    case 5: {
        const char estado = sobre ? 'O' : bajo ? 'U' : qAbs(kg) < 0.0005 ? 'Z' : ' ';
        t = QByteArray("\n") + estado + '1' + (neto ? 'N' : 'G') + (movimiento ? 'M' : ' ') + ' ' +
            (sobre || bajo ? QByteArray(10, '-') : cifra.rightJustified(10)) + " kg\r";
        break;
    }
    case 6: {
        const QByteArray cabecera = sobre || bajo ? "OL," : movimiento ? "US," : "ST,";
        const QByteArray signo = kg < 0 && cifra != "0.000" ? "-" : "+";
        t = cabecera + (neto ? "NT," : "GS,") + signo + Cifra(qAbs(kg)).rightJustified(7) +
            "kg\r\n";
        break;
    }
    default:
        t = cifra + '\r';
        break;
    }
    return LineaCorrecta() ? t : Ruido(t);
}

void SimuladorBascula::EnviaLectura(double kg) {
    Envia(Trama(kg, false));
}

void SimuladorBascula::EnviaBloque() {
    ++m_impresos;
    const QByteArray fecha =
        QDateTime::currentDateTime().toString("dd/MM/yyyy  HH:mm:ss").toLatin1();
    QByteArray b;
    b += "      BASCULA PESIX-SIM\r\n";
    b += " FECHA " + fecha + "\r\n";
    b += " WT: " + Cifra(Neto()).rightJustified(10) + " Kg\r\n";
    b += " N.  " + QByteArray::number(m_impresos).rightJustified(4, '0') + "\r\n\n\n";
    Envia(b);
}

void SimuladorBascula::Envia(const QByteArray& datos) {
    // Like a real scale, output that finds the line still full of earlier output (no program
    // reading the port) is lost rather than queued.
    if (!m_salida.isEmpty())
        return;
    m_salida = datos;
    VaciaSalida();
}

void SimuladorBascula::VaciaSalida() {
    while (!m_salida.isEmpty()) {
        const ssize_t n = ::write(m_maestro, m_salida.constData(), m_salida.size());
        if (n > 0)
            m_salida.remove(0, n);
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN)
            break;
        else
            m_salida.clear();
    }
    m_avisoSalida->setEnabled(!m_salida.isEmpty());
}

bool SimuladorBascula::EnviaEsperando(const QByteArray& datos) {
    qsizetype hecho = 0;
    while (hecho < datos.size()) {
        const ssize_t n = ::write(m_maestro, datos.constData() + hecho, datos.size() - hecho);
        if (n > 0) {
            hecho += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{m_maestro, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0)
                return false; // nobody has read for a second
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

void SimuladorBascula::Tic() {
    if (m_o.tipo == 0)
        EnviaLectura(Neto());
    else if (m_o.tipo == 1)
        EnviaBloque();
    else
        Envia(Trama(m_tara != 0.0 ? Neto() : Bruto(), m_tara != 0.0));
}

void SimuladorBascula::PonContinua(bool si) {
    m_o.continua = si;
    if (si) {
        Tic();
        m_reloj.start(qMax(1, m_o.intervaloMs));
    } else {
        m_reloj.stop();
    }
}

void SimuladorBascula::Rafaga(int n) {
    // n type-0 readings as fast as the terminal takes them; each one's text is its number
    // (reading i is i / 1000 kg). The time at which each reading's last byte went into the
    // terminal (monotonic clock, ns) is kept for "tiempos".
    // Stops early when nothing is read for a second; the count says how many went.
    m_tiempos.clear();
    m_tiempos.reserve(n);
    VaciaSalida();
    for (int i = 0; i < n && m_salida.isEmpty(); ++i) {
        const QByteArray lectura = QByteArray::number(i / 1000.0, 'f', 3) + '\r';
        if (!EnviaEsperando(lectura))
            break;
        m_tiempos << AhoraNs();
    }
    QTextStream(stdout) << "rafaga-fin " << m_tiempos.size() << Qt::endl;
}

void SimuladorBascula::Tiempos() {
    // One line per reading of the last burst, "t <i> <ns>", then "tiempos-fin".
    QTextStream out(stdout);
    for (int i = 0; i < m_tiempos.size(); ++i)
        out << "t " << i << ' ' << m_tiempos.at(i) << '\n';
    out << "tiempos-fin " << m_tiempos.size() << Qt::endl;
}

void SimuladorBascula::LeeConsola() {
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n > 0) {
            m_consola.append(buf, n);
            continue;
        }
        if (n == 0) // end of input: the scale keeps running with what it has
            m_avisoConsola->setEnabled(false);
        break;
    }
    for (qsizetype nl; (nl = m_consola.indexOf('\n')) >= 0;) {
        const QString linea = QString::fromLocal8Bit(m_consola.left(nl)).trimmed();
        m_consola.remove(0, nl + 1);
        if (!linea.isEmpty())
            OrdenConsola(linea);
    }
}

void SimuladorBascula::OrdenConsola(const QString& linea) {
    const QStringList p = linea.split(' ', Qt::SkipEmptyParts);
    const QString orden = p.value(0).toLower();
    bool ok = false;
    const double numero = p.value(1).replace(',', '.').toDouble(&ok);
    const double soloNumero = p.value(0).replace(',', '.').toDouble();
    if (orden == "peso" && ok) {
        m_peso = numero;
    } else if (p.size() == 1 && !orden.isEmpty() &&
               (orden.at(0).isDigit() || orden.at(0) == '-' || orden.at(0) == '.')) {
        m_peso = soloNumero; // a bare number is the new load
    } else if (orden == "continua") {
        PonContinua(true);
    } else if (orden == "peticion") {
        PonContinua(false);
    } else if (orden == "intervalo" && ok && numero >= 1) {
        m_o.intervaloMs = int(numero);
        if (m_o.continua)
            m_reloj.start(m_o.intervaloMs);
    } else if (orden == "imprime") {
        Tic();
    } else if (orden == "rafaga" && ok && numero >= 1) {
        Rafaga(int(numero));
    } else if (orden == "tiempos") {
        Tiempos();
    } else if (orden == "estado") {
        QTextStream(stdout) << "tipo " << m_o.tipo << " peso " << Cifra(m_peso) << " bruto "
                            << Cifra(Bruto()) << " tara " << Cifra(m_tara) << " neto "
                            << Cifra(Neto()) << (m_o.continua ? " continua" : " peticion")
                            << Qt::endl;
    } else if (orden == "movimiento") {
        m_movimiento = ok && numero >= 1 ? int(numero) : 6;
    } else if (orden == "sobrecarga") {
        m_estado = Estado::Sobrecarga;
    } else if (orden == "bajorango") {
        m_estado = Estado::BajoRango;
    } else if (orden == "normal") {
        m_estado = Estado::Normal;
        m_movimiento = 0;
    } else if (orden == "error") {
        m_error = true;
    } else if (orden == "salir") {
        emit Salir();
    } else {
        Registro(QStringLiteral("no entiendo \"%1\"").arg(linea));
    }
}
