#pragma once

#include "app/resultado.h"
#include "ticket/commport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QEventLoop;
class clsDatosApp;

// One ticket send to the station's ticket printer: a device port, the system print queue as a
// raw job, or a serial printer through CommPort. Every path sends exactly the ticket's bytes in
// the ticket code page, nothing added. The object takes the printer's kind, name, code page and
// serial line from the settings when it is created and keeps the state of its send; no message
// is shown here: a failure goes to the caller with its reason.
class SalidaTiquet {
public:
    // Kinds of ticket printer (PuertoImpresoraTiquets).
    enum Tipo { NoDefinida = 0, PuertoSerie = 1, PuertoParalelo = 2, ImpresoraSistema = 3 };

    // The job name of every raw ticket job.
    static constexpr const char* NombreTrabajo = "RAWPRN";
    // Longest wait without progress for a device port to take more bytes.
    static constexpr int EsperaDispositivoMs = 10000;

    explicit SalidaTiquet(const clsDatosApp& ajustes);
    ~SalidaTiquet();
    SalidaTiquet(const SalidaTiquet&) = delete;
    SalidaTiquet& operator=(const SalidaTiquet&) = delete;

    // Sends the printer form of a ticket; succeeds when it was handed over. A second ticket
    // asked for while this object is sending (from the events its waits let through) is refused.
    Resultado EnviarTiquet(const QString& texto);
    // Ends the wait of the send in progress as a failure (called from those events).
    void Cancela();
    bool Enviando() const { return m_enviando; }

    // One raw job named "RAWPRN" with exactly the ticket's bytes on the named system queue.
    static Resultado ImprimeDirecto(const QString& impresora, const QString& texto,
                                    const QString& paginaCodigos);
    // Replaces the list by the system's printers, each {name, server name (empty when
    // local), attribute words}; returns the number of printers.
    static int EnumerarImpresoras(QList<QStringList>& impresoras);

    // Device ports for the kind 2 printer: LPTn for each /dev/lp<n-1>, and the paths of the
    // USB printers' /dev/usb/lp* devices (looked for under the given device folder).
    static QStringList PuertosParalelo(const QString& carpeta = QStringLiteral("/dev"));
    // The device file of a kind 2 port name: a path is used as it is, LPTn (any letter case) is
    // /dev/lp<n-1>; any other name has no device (empty).
    static QString RutaDispositivo(const QString& nombre);
    // The serial line of a kind 1 printer from the positions stored by the configuration
    // window's lists; fails when a position offers no line the port can use.
    static Resultado LineaSerieConfigurada(const clsDatosApp& datos, CommPort::Ajustes& ajustes);
    // The rates of the configuration window's bits-per-second list, by position.
    static const QList<qint32>& VelocidadesSerie();

private:
    Resultado EscribeDispositivo(const QByteArray& bytes);
    Resultado EnviaSerie(const QByteArray& bytes);
    // Waits until the device takes more bytes or the time is up, letting events through; false
    // when the send was cancelled.
    bool EsperaDispositivo(int fd, int ms);

    qint32 m_tipo;
    QString m_nombre;
    QString m_pagina;
    CommPort::Ajustes m_lineaSerie;
    Resultado m_lineaSerieValida;

    bool m_enviando = false;
    bool m_cancelado = false;
    CommPort* m_puerto = nullptr;
    QEventLoop* m_bucle = nullptr;
};
