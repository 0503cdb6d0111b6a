#pragma once

// A real pseudo-terminal for the serial ticket printer tests: the channel opens the slave by
// its path, the test reads what reached the master and looks at the slave's line settings.

#include <QByteArray>
#include <QString>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

class PseudoTerminal {
public:
    PseudoTerminal() {
        char nombre[128] = {};
        if (::openpty(&m_maestro, &m_esclavo, nombre, nullptr, nullptr) == 0) {
            m_ruta = QString::fromLocal8Bit(nombre);
            ::fcntl(m_maestro, F_SETFL, ::fcntl(m_maestro, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PseudoTerminal() {
        if (m_maestro >= 0)
            ::close(m_maestro);
        if (m_esclavo >= 0)
            ::close(m_esclavo);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Valido() const { return m_maestro >= 0 && m_esclavo >= 0; }
    QString Ruta() const { return m_ruta; }
    int Maestro() const { return m_maestro; }

    // Everything that reached the master side, waiting up to espera ms for the first byte.
    QByteArray LeeMaestro(int espera = 200) {
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
    bool EscribeMaestro(const QByteArray& bytes) {
        return ::write(m_maestro, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    termios Ajustes() const {
        termios t{};
        ::tcgetattr(m_esclavo, &t);
        return t;
    }
    // The output speed in bits per second, free speeds included.
    unsigned VelocidadSalida() const {
        struct Termios2 {
            tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
            cc_t c_line;
            cc_t c_cc[19];
            speed_t c_ispeed, c_ospeed;
        } t2{};
        ::ioctl(m_esclavo, _IOR('T', 0x2A, Termios2), &t2);
        return t2.c_ospeed;
    }

private:
    int m_maestro = -1;
    int m_esclavo = -1;
    QString m_ruta;
};
