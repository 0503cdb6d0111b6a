#pragma once

#include "app/resultado.h"
#include "db/dataset.h"
#include "notedata/albaran.h"

#include <QDateTime>
#include <QList>
#include <optional>
#include <utility>

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
    // `ahora` is the moment of printing (FechaImpresion); `copia` says the note was printed
    // before as it stands (Copia then holds the word for a copy, "COPIA"); a void note's
    // Anulado holds the void mark ("ANULADO").
    static Dataset Crea(const Albaran& albaran, const clsDatosApp& ajustes, const QDateTime& ahora,
                        bool copia = false);
    // The same of the note stored under that number and date (none when there is none), its
    // "Detalle" read from the database a record at a time as it is gone through
    // (LineasGuardadas), so that a note of any length takes the same memory; its totals are
    // summed over the stored lines first. A note printed before prints as a copy.
    static Resultado CreaGuardado(const QString& numero, const QDate& fecha,
                                  const clsDatosApp& ajustes, const QDateTime& ahora,
                                  std::optional<Dataset>& datos);

    // The fields of "Detalle", in order, and the record of line `linea` (1..n) of a note;
    // without `conHuella` the fingerprint is left empty.
    static const QList<std::pair<QString, Recordset::Tipo>>& CamposDetalle();
    static QVariantList RegistroDetalle(const QString& numero, const QDate& fecha, int linea,
                                        const FilaAlbaran& fila, const clsDatosApp& ajustes,
                                        bool conHuella = true);
};
