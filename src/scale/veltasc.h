#pragma once

#include "app/resultado.h"
#include "scale/cortadortramas.h"

#include <QObject>
#include <QSerialPort>
#include <QString>

// The scale controller: opens the scale's serial port with the line settings of the scale type
// its host sets, sends the scale's commands and hands every reading to its host through Mensaje.
// The type applies from the next open, command or arrival on, so a host that changes the
// configured type sets it again here.
//
// Failures never escape as exceptions: opening returns the reason it failed, and a port that
// goes away while open (an adapter pulled out, the other end of a pseudo-terminal closed) is
// closed and reported through PuertoPerdido.
class VeltaSC : public QObject {
    Q_OBJECT
public:
    // Scale commands (type 0): "S", the letter and a carriage return.
    enum Orden : qint32 {
        OrdenLecturaPeticion = 0, // "S0": a reading only when asked
        OrdenPesoNeto = 1,        // "SN"
        OrdenPesoBruto = 2,       // "SB"
        OrdenLecturaContinua = 3, // "SF": readings continuously
        OrdenPuestaCero = 4,      // "SC"
        OrdenTarado = 5,          // "ST"
        OrdenDestarado = 6,       // "SD"
        OrdenNumeroSerie = 7,     // "SS"
    };

    explicit VeltaSC(QObject* parent = nullptr);
    ~VeltaSC() override;

    // Scale type: 0 and 1 are the two known protocols; any other leaves the port's line settings
    // as they are, sends nothing and reads nothing. 0 until the host sets it.
    qint32 TipoBascula() const { return m_tipoBascula; }
    void SetTipoBascula(qint32 tipo) { m_tipoBascula = tipo; }

    // Port number (1 means COM1); used when PuertoNombre is empty.
    qint16 Puerto() const { return m_puerto; }
    void SetPuerto(qint16 n) { m_puerto = n; }
    // System name or device path of the port ("COM3", "ttyUSB0", "/dev/pts/4"); when not empty
    // it is used instead of Puerto.
    QString PuertoNombre() const { return m_puertoNombre; }
    void SetPuertoNombre(const QString& nombre) { m_puertoNombre = nombre; }
    // The name the port is opened with.
    QString NombreSistema() const;
    // "COM" + n on Windows, the n-th serial device elsewhere (1 is /dev/ttyS0).
    static QString NombrePorNumero(qint16 n);

    bool PortOpen() const;
    // Closes the port if open; with true, opens it again with the line settings of the current
    // scale type. When it cannot be opened the controller stays closed and the result tells why.
    Resultado SetPortOpen(bool abrir);

    // Sends command 0..7 to a type-0 scale; anything else, a closed port or another scale type
    // sends nothing.
    void Comando(qint32 codigo);

    // Characters received and not yet part of a complete frame (kept across closing).
    QByteArray BufferRecepcion() const { return m_cortador.Buffer(); }

signals:
    // One reading: the frame as received (type 0) or the figure of a weight line (type 1).
    void Mensaje(const QString& texto);
    // Every raw line of a type-1 block, before it is examined; and the report of a reading too
    // long to be one, which is not delivered.
    void MensajeDebug(const QString& texto);
    // The open port failed (it went away); the controller is already closed.
    void PuertoPerdido(const QString& error);

private:
    void EnviaOrden(char letra);
    void Recibe();
    void AlError(QSerialPort::SerialPortError error);
    void CierraPuerto();

    QSerialPort m_poComm;
    CortadorTramas m_cortador;
    qint16 m_puerto = 1;
    QString m_puertoNombre;
    qint32 m_tipoBascula = 0;
    bool m_procesando = false;
    // Counts the openings, so that a loss noticed on one opening never closes a later one.
    quint64 m_apertura = 0;
    bool m_perdiendo = false;
};
