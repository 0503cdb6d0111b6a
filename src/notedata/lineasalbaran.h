#pragma once

#include "notedata/columnasalbaran.h"

#include <QList>
#include <QString>
#include <array>

// One line of a delivery note: its cell texts, as shown in the grid, and one more that is not
// shown: the weighing log's entry number of the gross weight, empty for a weight typed by hand.
using FilaAlbaran = std::array<QString, ColumnasAlbaran::Numero + 1>;

// The lines of the note being edited: n rows (n may be 0) of nine cells each, held as display
// texts. Columns are numbered 1..9 as on screen; rows are counted from 0.
class LineasAlbaran {
public:
    enum Columna {
        CodProducto = 1,
        NomProducto,
        CodTara,
        PesoBruto,
        PesoTara,
        PesoProducto, // the net weight
        Precio,
        PesoImporte,
        HoraPesada,
        IdPesada, // not shown
    };
    // The columns shown.
    static constexpr int Columnas = ColumnasAlbaran::Numero;
    // Whether a line's gross weight was typed by hand (or derived from a typed net weight).
    static bool Manual(const FilaAlbaran& fila) {
        return fila[IdPesada - 1].isEmpty() && !fila[PesoBruto - 1].trimmed().isEmpty();
    }

    int Count() const { return int(m_filas.size()); }
    const FilaAlbaran& Item(int fila) const { return m_filas.at(fila); }
    const QString& Celda(int fila, int columna) const { return m_filas.at(fila)[columna - 1]; }

    // Adds a row at the end.
    void Add(const FilaAlbaran& fila) { m_filas.append(fila); }
    // Replaces the cells of row `fila`.
    void Reemplaza(int fila, const FilaAlbaran& valores) { m_filas[fila] = valores; }
    // Removes row `fila`; the rows after it move up.
    void Remove(int fila) { m_filas.removeAt(fila); }
    void Vacia() { m_filas.clear(); }

    // Whether every shown cell of a row is blank: such a row is never stored.
    static bool EnBlanco(const FilaAlbaran& fila);

    bool operator==(const LineasAlbaran&) const = default;

private:
    QList<FilaAlbaran> m_filas;
};
