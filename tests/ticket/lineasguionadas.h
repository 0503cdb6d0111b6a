#pragma once

// Scripted modem lines for the serial ticket printer tests: a pseudo-terminal carries the
// bytes, these lines play DSR, CTS and DTR, and every step is written to a shared log.

#include "support/pseudoterminal.h"
#include "ticket/commport.h"
#include "ticket/lineasmodem.h"

#include <QString>
#include <QStringList>
#include <memory>

struct GuionLineas {
    // DSR and CTS are on from this status read on (1 is the first read); -1: never.
    int dsrDesdeLectura = 1;
    int ctsDesdeLectura = 1;
    // Status reads fail from this read on; -1: never.
    int fallaDesdeLectura = -1;

    int lecturas = 0;
    // "S" a status read, "DTR0"/"DTR1" a DTR change, "W<ms>" a wait.
    QStringList sucesos;
};

class LineasGuionadas : public LineasModem {
public:
    explicit LineasGuionadas(std::shared_ptr<GuionLineas> guion) : m_guion(std::move(guion)) {}

    bool LeeEstado(bool& cts, bool& dsr) override {
        const int n = ++m_guion->lecturas;
        m_guion->sucesos << QStringLiteral("S");
        if (m_guion->fallaDesdeLectura > 0 && n >= m_guion->fallaDesdeLectura)
            return false;
        dsr = m_guion->dsrDesdeLectura > 0 && n >= m_guion->dsrDesdeLectura;
        cts = m_guion->ctsDesdeLectura > 0 && n >= m_guion->ctsDesdeLectura;
        return true;
    }
    bool PonDtr(bool activa) override {
        m_guion->sucesos << (activa ? QStringLiteral("DTR1") : QStringLiteral("DTR0"));
        return true;
    }

private:
    std::shared_ptr<GuionLineas> m_guion;
};

// A serial printer for a test: a real pseudo-terminal carries the bytes and, while this lives,
// every port opened gets the scripted lines (the serial lines come back after).
struct ImpresoraGuionada {
    ImpresoraGuionada() {
        CommPort::UsaFabricaLineas(
            [g = guion](int) { return std::make_unique<LineasGuionadas>(g); });
    }
    ~ImpresoraGuionada() { CommPort::UsaFabricaLineas({}); }
    PseudoTerminal pty;
    std::shared_ptr<GuionLineas> guion = std::make_shared<GuionLineas>();
};
