#pragma once

#include "ticket/commport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class clsDatosApp;

// Delivery of a rendered ticket (printer form) to the configured ticket printer: a device
// port, the system print queue as a raw job, or a serial printer through CommPort. Every path
// sends exactly the ticket's bytes in the ticket code page, nothing added. No message is shown
// here: a false result goes to the caller, with the reason in UltimoError.
class SalidaTiquet {
public:
    // Kinds of ticket printer (PuertoImpresoraTiquets).
    enum Tipo { NoDefinida = 0, PuertoSerie = 1, PuertoParalelo = 2, ImpresoraSistema = 3 };

    // The job name of every raw ticket job.
    static constexpr const char* NombreTrabajo = "RAWPRN";

    // Sends the ticket to the printer of the settings object in use; true when handed over.
    static bool EnviarTiquet(const QString& texto);
    static bool EnviarTiquet(const QString& texto, const clsDatosApp& datos);
    // One raw job named "RAWPRN" with exactly the ticket's bytes on the named system queue.
    static bool ImprimeDirecto(const QString& impresora, const QString& texto);
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
    // window's lists; false (and the reason) when a position offers no line the port can use.
    static bool LineaSerieConfigurada(const clsDatosApp& datos, CommPort::Ajustes& ajustes,
                                      QString* error = nullptr);
    // The rates of the configuration window's bits-per-second list, by position.
    static const QList<qint32>& VelocidadesSerie();

    // Why the last send failed (empty after a success).
    static QString UltimoError();
    // Ends the wait of a send in progress (called from the events it lets through).
    static void CancelaEnvio();
    // Longest wait without progress for a device port to take more bytes.
    static constexpr int EsperaDispositivoMs = 10000;

private:
    static bool EscribeDispositivo(const QString& nombre, const QByteArray& bytes);
    static bool EnviaSerie(const QString& nombre, const QByteArray& bytes,
                           const clsDatosApp& datos);
};
