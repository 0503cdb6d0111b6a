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
    LineasAlbaran Lineas;

    bool operator==(const Albaran&) const = default;
};
