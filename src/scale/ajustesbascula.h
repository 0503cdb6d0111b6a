#pragma once

#include "app/resultado.h"
#include "scale/estabilidadsoftware.h"

#include <QSerialPort>
#include <QString>

class clsDatosApp;
struct ProtocoloBascula;

// What the scale path takes from the settings, as a value: the scale type, the line and flow
// control when not the protocol's, the user's protocol and the stability rule.
struct AjustesBascula {
    qint32 tipo = 0;
    QString linea; // "2400,E,7,1"; empty for the protocol's
    QString flujo; // "0", "1", "2"; empty for the protocol's
    QString tramaUsuario;
    QString estableUsuario;
    QString finTramaUsuario;
    QString peticionUsuario;
    EstabilidadSoftware::Regla estabilidad;

    static AjustesBascula De(const clsDatosApp& datos);

    struct Linea {
        qint32 bps = 9600;
        QSerialPort::Parity paridad = QSerialPort::NoParity;
        QSerialPort::DataBits bits = QSerialPort::Data8;
        QSerialPort::StopBits parada = QSerialPort::OneStop;
        qint32 flujo = 0;
    };
    // The line and flow control to open the port with for protocol `p`; fails, naming the
    // text, when LineaBascula or FlujoBascula cannot be read.
    Resultado LineaEfectiva(const ProtocoloBascula& p, Linea& linea) const;
    // Whether the settings can be used: the line and flow control for the scale type, and for
    // type 6 the user's protocol; the failure says what is wrong.
    Resultado Comprueba() const;
    // A line text "9600,N,8,1" (parity N, E, O, M or S; 5 to 8 data bits; 1, 1.5 or 2 stop bits).
    static bool LeeLinea(const QString& texto, Linea& linea);
};
