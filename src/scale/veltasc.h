#pragma once

#include "app/resultado.h"
#include "scale/ajustesbascula.h"
#include "scale/cortadortramas.h"
#include "scale/estabilidadsoftware.h"
#include "scale/lectura.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>
#include <functional>

// The scale controller: opens the scale's serial port with the line settings of the scale type
// its host sets, sends the scale's commands and hands every reading to its host through Mensaje
// as text and through LecturaRecibida as a value. The protocol table (ProtocoloBascula) says,
// per type, the line, the requests and how frames end and are decoded. The settings apply from
// the next open, command or arrival on, so a host that changes them sets them again here.
//
// Failures never escape as exceptions: opening returns the reason it failed, and a port that
// goes away while open (an adapter pulled out, the other end of a pseudo-terminal closed) is
// closed and reported through PuertoPerdido.
class VeltaSC : public QObject {
    Q_OBJECT
public:
    // Scale commands; the bytes sent for each are the protocol's (type 0: "S", the letter and a
    // carriage return).
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

    // Scale type: a row of the protocol table; any other leaves the port's line settings as
    // they are, sends nothing and reads nothing. 0 until the host sets it.
    qint32 TipoBascula() const { return m_ajustes.tipo; }
    void SetTipoBascula(qint32 tipo) { m_ajustes.tipo = tipo; }
    // Every scale setting at once. A user's protocol that cannot be read is reported here and
    // when the port is opened with type 6.
    Resultado SetAjustes(const AjustesBascula& ajustes);
    const AjustesBascula& Ajustes() const { return m_ajustes; }

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

    // Sends command 0..7 as the scale's protocol words it; a command the protocol lacks, a
    // closed port or a type without protocol sends nothing. Continuous reading on a scale that
    // only answers requests is done by asking every IntervaloSondeo ms.
    void Comando(qint32 codigo);
    static constexpr int IntervaloSondeo = 200;
    // Called before a command goes out, with the command, the scale type and the bytes; when it
    // fails the command is not sent and OrdenNoEnviada tells why. The weighing log keeps every
    // zero, tare and clear-tare request this way.
    using AntesDeOrden =
        std::function<Resultado(qint32 codigo, qint32 tipo, const QByteArray& bytes)>;
    void SetAntesDeOrden(AntesDeOrden antes) { m_antesDeOrden = std::move(antes); }
    // Sends one read request; false when the protocol has none (the scale streams).
    bool PideLectura();
    // Whether continuous reading was asked for last (it decides how stability is judged for
    // scales that do not say).
    bool Continua() const { return m_continua; }

    // Characters received and not yet part of a complete frame (kept across closing).
    QByteArray BufferRecepcion() const { return m_cortador.Buffer(); }
    // Drops what arrived and was not yet read, in the port and in BufferRecepcion, so that the
    // next reading is one sent from now on.
    void DescartaEntrada();
    // Frames no decoder could read since the controller was created.
    qint64 TramasIlegibles() const { return m_cortador.Ilegibles(); }

    // Switches the scale on: opens the port with `ajustes` and sends the command that starts
    // the readings, continuous or only when asked. On failure the port stays closed and the
    // result says why.
    Resultado Enciende(const AjustesBascula& ajustes, bool continua);
    // Switches the scale off: an open port is sent the on-request command, which is let go
    // out, and closed.
    void Apaga();

signals:
    // One frame as text: the frame as received (type 0), the figure of a weight line (type 1),
    // or a decoded frame without its end (the others).
    void Mensaje(const QString& texto);
    // The same frame decoded: a weight with its status, or a reply that is not a weight.
    void LecturaRecibida(const Lectura& lectura);
    // A frame the protocol's decoder cannot read; it is skipped.
    void TramaIlegible(const QString& texto);
    // Every raw line of a type-1 block, before it is examined; and the report of a reading too
    // long to be one, which is not delivered.
    void MensajeDebug(const QString& texto);
    // The open port failed (it went away); the controller is already closed.
    void PuertoPerdido(const QString& error);
    // A command was not sent: what SetAntesDeOrden was given refused it.
    void OrdenNoEnviada(const QString& motivo);

private:
    void Envia(const QByteArray& bytes);
    void Recibe();
    void AlError(QSerialPort::SerialPortError error);
    void CierraPuerto();

    QSerialPort m_poComm;
    CortadorTramas m_cortador;
    qint16 m_puerto = 1;
    QString m_puertoNombre;
    AjustesBascula m_ajustes;
    ProtocoloUsuario m_usuario;
    Resultado m_usuarioLeido;
    AntesDeOrden m_antesDeOrden;
    EstabilidadSoftware m_estabilidad;
    QElapsedTimer m_reloj;
    QTimer m_sondeo;
    bool m_continua = false;
    bool m_procesando = false;
    // Counts the openings, so that a loss noticed on one opening never closes a later one.
    quint64 m_apertura = 0;
    bool m_perdiendo = false;
};
