#pragma once

// A real pseudo-terminal pair for the scale tests: the controller opens the device path (the
// scale's end, as a serial port), the test plays the scale on the other end.
#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class ParPty {
public:
    ParPty() {
        int esclavo = -1;
        if (::openpty(&m_maestro, &esclavo, nullptr, nullptr, nullptr) != 0)
            qFatal("openpty failed");
        m_ruta = QString::fromLocal8Bit(::ttyname(esclavo));
        // The test keeps no end of the port open itself: the controller is the only user.
        ::close(esclavo);
        ::fcntl(m_maestro, F_SETFL, ::fcntl(m_maestro, F_GETFL) | O_NONBLOCK);
    }
    ~ParPty() { CierraMaestro(); }
    ParPty(const ParPty&) = delete;
    ParPty& operator=(const ParPty&) = delete;

    QString Ruta() const { return m_ruta; }
    int Maestro() const { return m_maestro; }

    void CierraMaestro() {
        if (m_maestro >= 0)
            ::close(m_maestro);
        m_maestro = -1;
    }

    // Writes everything, letting the event loop run while the terminal is full.
    bool Escribe(const QByteArray& datos) {
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

    // Reads what the controller sent until `cuantos` bytes came or `ms` passed.
    QByteArray Lee(qsizetype cuantos, int ms = 3000) {
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

    // The terminal attributes of the controller's end (read through this end).
    termios Atributos() const {
        termios t{};
        ::tcgetattr(m_maestro, &t);
        return t;
    }

private:
    int m_maestro = -1;
    QString m_ruta;
};
