#pragma once

#include <QStringList>

// The machine's serial ports, for the scale and for a serial ticket printer.
class PuertosSerie {
public:
    // By system name, in the system's order: "COM3" on Windows, "ttyS0" or "ttyUSB0" elsewhere.
    static QStringList Lista();
    // The number a port keeps in the setting Puerto: "COM3" gives 3, the first serial device
    // ("/dev/ttyS0" or "ttyS0") 1, and so on; any other name 0.
    static qint16 Numero(const QString& nombre);
};
