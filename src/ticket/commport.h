#pragma once

#include "ticket/lineasmodem.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QEventLoop;

// The channel to a ticket printer on a serial port. It opens the port with its line settings,
// wakes the printer through DTR and DSR and writes byte by byte under its own CTS handshake.
// Every operation reports failure through the caller's error text; those whose names end in
// Err return true when they failed. The waits let the user interface process its events and
// end early when Cancela is called (from those events); the channel must not be re-entered
// from them.
class CommPort {
public:
    enum class Flujo { Ninguno, Hardware, XonXoff };
    enum class BitsParada { Uno, UnoYMedio, Dos };

    // Line settings applied at every open; 19200 8N1 without driver flow control unless set.
    struct Ajustes {
        qint32 bps = 19200;
        char paridad = 'N'; // N none, E even, O odd, M mark, S space
        int bitsDatos = 8;
        BitsParada bitsParada = BitsParada::Uno;
        Flujo flujo = Flujo::Ninguno;
        bool operator==(const Ajustes&) const = default;
    };

    // Builds the modem lines of a freshly opened port (descriptor given).
    using FabricaLineas = std::function<std::unique_ptr<LineasModem>(int descriptor)>;
    // Waits the given milliseconds; false when the wait was cancelled.
    using FuncionEspera = std::function<bool(int ms)>;

    // Pause lengths and counts of the wake-up and clear-to-send handshakes.
    static constexpr int PulsoDtrBajoMs = 100;
    static constexpr int PulsoDtrAltoMs = 1000;
    static constexpr int ComprobacionesDsr = 4;
    static constexpr int EsperaCtsMs = 100;
    static constexpr int EsperasCts = 500;

    CommPort();
    ~CommPort();
    CommPort(const CommPort&) = delete;
    CommPort& operator=(const CommPort&) = delete;

    bool OpenCommErr(const QString& puerto, QString& error);
    bool CloseCommErr(QString& error);
    // The text goes out one byte per character in the ticket code page.
    bool WriteCommErr(const QString& datos, QString& error);
    bool WriteCommErr(const QByteArray& datos, QString& error);
    // One character, or empty when nothing arrived (no error) or on failure.
    QString ReadCommChar(QString& error);
    void DtrOn(QString& error);
    void DtrOff(QString& error);

    bool EstaAbierto() const { return m_fd >= 0; }
    QString Puerto() const { return m_puerto; }
    Ajustes LineaSerie() const { return m_ajustes; }
    void SetLineaSerie(const Ajustes& ajustes) { m_ajustes = ajustes; }
    // The code page of the characters written and read as text (the default one unless set).
    QString Pagina() const { return m_pagina; }
    void SetPagina(const QString& pagina) { m_pagina = pagina; }

    // Ends the wait in progress (and any later one of the same operation) as a failure.
    void Cancela();
    bool Cancelado() const { return m_cancelado; }

    // Replaces the wait (the default one runs an event loop for that long).
    void SetEspera(FuncionEspera espera) { m_espera = std::move(espera); }
    // Where the modem lines of newly opened ports come from; an empty function restores the
    // serial port's own lines.
    static void UsaFabricaLineas(FabricaLineas fabrica);

    // The device behind a port name: a path is used as it is, COMn is the n-th serial port
    // (/dev/ttyS<n-1>), any other name is looked up in /dev without regard to case.
    static QString RutaPuerto(const QString& nombre);

private:
    bool SetupCommErr(QString& error);
    bool WakePrinterErr(QString& error);
    bool WaitCtsOk(QString& error);
    bool Espera(int ms);
    bool EsperaConEventos(int ms);

    QString m_puerto;
    int m_fd = -1;
    Ajustes m_ajustes;
    QString m_pagina;
    std::unique_ptr<LineasModem> m_lineas;
    FuncionEspera m_espera;
    bool m_cancelado = false;
    QEventLoop* m_bucle = nullptr;
};
