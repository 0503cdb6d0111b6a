#pragma once

#include "app/resultado.h"

#include <QSaveFile>
#include <QStringList>

// A file the program writes whole (an export, a PDF listing, a ticket template, the settings
// file). It is written beside its place and put there only once complete, so a failure leaves
// the old file as it was. Before anything is written it is refused when the path leads, through
// any links, to something that is not a regular file (a folder, a FIFO, a device, a socket) or
// to one of the files given as protected (the database in use): those are compared as files,
// device and inode, so that no name, link or hard link of them is written over.
//
// Every failure names the file and says why in the user's language: a full disk as such,
// anything else with the system's reason.
class ArchivoSalida {
public:
    explicit ArchivoSalida(const QString& ruta, const QStringList& protegidos = {});

    // Lets the file be written in place when its folder does not allow a file beside it (a
    // writable settings file in a folder that is not).
    void PermiteEscrituraDirecta() { m_archivo.setDirectWriteFallback(true); }

    // The checks, then the file beside the place.
    Resultado Abre();
    // Once a write has failed nothing more is written, and Confirma says why.
    void Escribe(QByteArrayView datos);
    bool Fallido() const { return !m_fallo.Ok(); }
    // Checks the place again and puts the file there.
    Resultado Confirma();
    // Drops what was written; the old file stays.
    void Cancela();

    // Abre, Escribe and Confirma.
    static Resultado Guarda(const QString& ruta, QByteArrayView datos,
                            const QStringList& protegidos = {});
    // Whether `ruta` may be written: nothing there yet, or a regular file that is none of
    // `protegidos`. Those that do not exist are no obstacle.
    static Resultado Comprueba(const QString& ruta, const QStringList& protegidos);
    // The files of a SQLite database: the file and those the engine keeps beside it. A server's
    // address names no file, so it protects nothing.
    static QStringList DeBaseDatos(const QString& baseDatos);

private:
    void Falla(const QFileDevice& archivo);

    QString m_ruta;
    QStringList m_protegidos;
    QSaveFile m_archivo;
    Resultado m_fallo;
};
