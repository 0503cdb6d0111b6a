#pragma once

// A real pseudo-terminal pair for the serial tests: the code under test opens the slave by its
// path (as a serial port), the test plays the device on the master end.
#include <QByteArray>
#include <QString>

#include <termios.h>

class PseudoTerminal {
public:
    // Whether the test keeps an end of the slave open itself. A scale controller is left as the
    // only user of its port; a printer channel's settings stay readable after it closes.
    enum Esclavo { GuardaEsclavo, SoloMaestro };

    explicit PseudoTerminal(Esclavo esclavo = GuardaEsclavo);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Valido() const { return m_maestro >= 0 && !m_ruta.isEmpty(); }
    QString Ruta() const { return m_ruta; }
    int Maestro() const { return m_maestro; }

    // Writes everything to the master, letting the event loop run while the terminal is full.
    bool Escribe(const QByteArray& datos);
    // Reads from the master until `cuantos` bytes came or `ms` passed, with the event loop
    // running meanwhile.
    QByteArray Lee(qsizetype cuantos, int ms = 3000);
    // Everything that reached the master, waiting up to `espera` ms for the first byte and
    // stopping when nothing more comes for 50 ms.
    QByteArray LeeTodo(int espera = 200);

    // The slave's line settings (the master reports those of its slave).
    termios Ajustes() const;
    // The slave's output speed in bits per second, free speeds included.
    unsigned VelocidadSalida() const;

private:
    int m_maestro = -1;
    int m_esclavo = -1;
    QString m_ruta;
};
