#pragma once

#include "db/dataset.h"
#include "notedata/albaran.h"

#include <QDateTime>

class clsDatosApp;

// The print data set of a delivery note: all that a ticket template and the page listing read.
// Three in-memory tables, added in this order, each on its first record:
// - "Empresa", one record: the company that issues the note (Nombre, NIF, Linea1..Linea3);
// - "Detalle", one record per line in the note's order (none for a note without lines): the
//   note's number and date, NumLinea 1..n, the cells, weights and prices read by the cell
//   number rule, and CodTara as a whole number, null when the cell is empty or no whole number;
// - "Cabecera", one record: the header, FechaImpresion, Impreso and the totals of the gross,
//   tare and net weights and of the line amounts (TotalPrecio), 0 for a note without lines.
// The note is printed as it stands, saved or not: nothing is read from the database.
class DatasetAlbaran {
public:
    // `ahora` is the moment of printing (FechaImpresion).
    static Dataset Crea(const Albaran& albaran, const clsDatosApp& ajustes, const QDateTime& ahora);
};
