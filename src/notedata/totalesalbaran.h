#pragma once

#include "notedata/lineasalbaran.h"

#include <QString>

// The totals of a note's lines, the one sum that the main window shows and the ticket and the
// page listing print: how many lines, the gross, tare and net weights and the line amounts (not
// the prices), each cell read by the cell-number rule. Also how many lines weigh a negative net
// (tare above gross), which saving asks about.
class TotalesAlbaran {
public:
    static TotalesAlbaran De(const LineasAlbaran& lineas);
    // Adds a line, for lines read one at a time.
    void Suma(const FilaAlbaran& fila);
    // Whether a line's net weight, as shown with three decimals, is below zero.
    static bool NetoNegativo(const FilaAlbaran& fila);

    // One line for the screen in the interface language: the count, the weights with three
    // decimals and `unidad`, the amount with two, `separador` as decimal separator.
    QString Resumen(const QString& separador, const QString& unidad) const;

    int lineas = 0;
    double bruto = 0;
    double tara = 0;
    double neto = 0;
    double importe = 0;
    int netosNegativos = 0;
};
