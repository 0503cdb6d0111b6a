#pragma once

#include "notedata/lineasalbaran.h"

#include <QDateTime>
#include <QString>
#include <optional>

class CatalogoAlbaran;

// The rules that keep a line's cells consistent: what follows when the operator edits a cell
// (names and prices from the product, the tare weight from the container, net = gross - tare,
// amount = net x price, the time of weighing), and the column buttons (a product or container
// chosen in a pick list, the scale's reading taken as the gross weight).
//
// Numbers are shown with three decimals for weights and two for price and amount, in the
// decimal separator given; they are read back by the cell-number rule, so a comma and a point
// both serve as decimal separator. Every result is computed from the cells as they stand.
class ReglasLinea {
public:
    ReglasLinea(const CatalogoAlbaran& catalogo, QString separadorDecimal)
        : m_catalogo(catalogo), m_separador(std::move(separadorDecimal)) {}

    // The cell number: leading blanks skipped, then the leading decimal number, with "," read as
    // "."; 0 when there is none.
    static double NumeroCelda(const QString& texto);
    // `valor` with `decimales` decimals and `separador` as decimal separator, no thousands
    // separator; what rounds to zero is shown without a sign.
    static QString Formato(double valor, int decimales, const QString& separador);
    QString Formato(double valor, int decimales) const {
        return Formato(valor, decimales, m_separador);
    }
    // The time of weighing: "HH:mm:ss-dd/MM/yyyy", 19 characters.
    static QString HoraPesada(const QDateTime& momento);

    // After the operator changed cell `columna` (1..9) of `fila`, at the moment `ahora`.
    void TrasEditar(FilaAlbaran& fila, int columna, const QDateTime& ahora) const;
    // The pick lists' answers: an empty code changes nothing; any other (also the code that was
    // there, when the pick list was cancelled) is applied as if typed, without stamping a time.
    void EligeProducto(FilaAlbaran& fila, const QString& codigo) const;
    void EligeTara(FilaAlbaran& fila, const QString& codigo) const;
    // The scale's weight, taken at `ahora` and kept in the weighing log as entry `idPesada`,
    // becomes the gross weight and stamps the time of weighing; a weight of 0 leaves the line
    // without a time. A gross or net weight typed later makes the line's weight manual again
    // (TrasEditar).
    void TomaPeso(FilaAlbaran& fila, double bruto, qint64 idPesada, const QDateTime& ahora) const;

private:
    using C = LineasAlbaran::Columna;
    static QString& Celda(FilaAlbaran& fila, int columna) { return fila[columna - 1]; }
    static double Numero(const FilaAlbaran& fila, int columna) {
        return NumeroCelda(fila[columna - 1]);
    }
    // Cells that read as a number other than 0 are re-written formatted; others are emptied.
    bool Reformatea(FilaAlbaran& fila, int columna, int decimales) const;
    // A gross or net weight typed: the other one follows and the time of weighing is stamped;
    // 0 empties both, the time and the amount.
    void PesoEscrito(FilaAlbaran& fila, int columna, const QDateTime& ahora) const;
    void Neto(FilaAlbaran& fila) const;
    void Importe(FilaAlbaran& fila) const;
    void Vacia(FilaAlbaran& fila, std::initializer_list<int> columnas) const;

    const CatalogoAlbaran& m_catalogo;
    QString m_separador;
};
