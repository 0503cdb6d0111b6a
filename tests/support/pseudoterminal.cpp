#include "support/pseudoterminal.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

PseudoTerminal::PseudoTerminal(Esclavo esclavo) {
    char nombre[128] = {};
    if (::openpty(&m_maestro, &m_esclavo, nombre, nullptr, nullptr) != 0) {
        m_maestro = m_esclavo = -1;
        return;
    }
    m_ruta = QString::fromLocal8Bit(nombre);
    ::fcntl(m_maestro, F_SETFL, ::fcntl(m_maestro, F_GETFL) | O_NONBLOCK);
    if (esclavo == SoloMaestro) {
        ::close(m_esclavo);
        m_esclavo = -1;
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (m_maestro >= 0)
        ::close(m_maestro);
    if (m_esclavo >= 0)
        ::close(m_esclavo);
}

bool PseudoTerminal::Escribe(const QByteArray& datos) {
    qsizetype hecho = 0;
    QDeadlineTimer limite(10000);
    while (hecho < datos.size() && !limite.hasExpired()) {
        const ssize_t n = ::write(m_maestro, datos.constData() + hecho, datos.size() - hecho);
        if (n > 0)
            hecho += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        else
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return hecho == datos.size();
}

QByteArray PseudoTerminal::Lee(qsizetype cuantos, int ms) {
    QByteArray r;
    QDeadlineTimer limite(ms);
    while (r.size() < cuantos && !limite.hasExpired()) {
        char buf[4096];
        const ssize_t n = ::read(m_maestro, buf, sizeof buf);
        if (n > 0)
            r.append(buf, n);
        else
            QTest::qWait(2);
    }
    return r;
}

QByteArray PseudoTerminal::LeeTodo(int espera) {
    QByteArray todo;
    pollfd p{m_maestro, POLLIN, 0};
    while (::poll(&p, 1, todo.isEmpty() ? espera : 50) > 0) {
        char trozo[4096];
        const ssize_t n = ::read(m_maestro, trozo, sizeof trozo);
        if (n <= 0)
            break;
        todo.append(trozo, n);
    }
    return todo;
}

termios PseudoTerminal::Ajustes() const {
    termios t{};
    ::tcgetattr(m_maestro, &t);
    return t;
}

unsigned PseudoTerminal::VelocidadSalida() const {
    struct Termios2 {
        tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
        cc_t c_line;
        cc_t c_cc[19];
        speed_t c_ispeed, c_ospeed;
    } t2{};
    ::ioctl(m_maestro, _IOR('T', 0x2A, Termios2), &t2);
    return t2.c_ospeed;
}
