#pragma once

#include "ticket/lineasmodem.h"

// The modem lines of an open serial device, through the terminal's modem-control calls.
class LineasModemSerie : public LineasModem {
public:
    explicit LineasModemSerie(int descriptor) : m_fd(descriptor) {}

    bool LeeEstado(bool& cts, bool& dsr) override;
    bool PonDtr(bool activa) override;

private:
    int m_fd;
};
