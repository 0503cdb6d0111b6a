#pragma once

#include "notedata/lineasalbaran.h"

#include <QDate>
#include <QDateTime>
#include <QString>

// A delivery note as the main window holds it and the note store saves, loads and a printer
// reads: the header fields and the lines. A note is identified by its number and date together.
struct Albaran {
    QString NumAlbaran;
    QDate Fecha;
    QString NomOperario;
    QString CodCliente;
    QString NomCliente;
    QString Direccion1;
    QString Direccion2;
    QDateTime FechaModificacion;
    bool Impreso = false;
    // A void (with its reason) or its undoing (with its own) is set only by the store's Anula.
    bool Anulado = false;
    QString Motivo;
    // Prints after the first of the stored version, counted by the store's RegistraCopia.
    int Copias = 0;
    QDateTime UltimaCopia;
    // How many earlier versions the store keeps of the note (read, never written).
    int Versiones = 0;
    LineasAlbaran Lineas;

    bool operator==(const Albaran&) const = default;
    // What a print shows of the note: printing it again unchanged prints a copy. The
    // modification time, the print marks and the count of versions are not the document's.
    Albaran Contenido() const {
        Albaran a = *this;
        a.FechaModificacion = {};
        a.Impreso = false;
        a.Copias = 0;
        a.UltimaCopia = {};
        a.Versiones = 0;
        return a;
    }
};
