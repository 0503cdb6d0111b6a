#pragma once

// The modem lines of a serial ticket printer's port: the two status lines the channel reads
// (CTS, DSR) and the one it drives (DTR). The serial port answers through LineasModemSerie;
// a test puts scripted line states here, since pseudo-terminals have no modem lines.
class LineasModem {
public:
    virtual ~LineasModem();

    // Reads CTS and DSR; false when the status could not be read.
    virtual bool LeeEstado(bool& cts, bool& dsr) = 0;
    // Raises (true) or drops (false) DTR; false when the line could not be set.
    virtual bool PonDtr(bool activa) = 0;
};
