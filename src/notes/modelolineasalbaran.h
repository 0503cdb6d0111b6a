#pragma once

#include "notedata/lineasalbaran.h"
#include "scale/lectura.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <functional>
#include <optional>

class ReglasLinea;

// The grid's rows: the note's lines, then one empty row at the end where a new line is typed.
// The row being edited is held apart until it is stored (ConfirmaFila, when the grid leaves the
// row): a row whose nine cells are blank is never stored, and an edited row that became blank
// goes back to what it was. Every edit of a cell runs the line rules.
class ModeloLineasAlbaran : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ModeloLineasAlbaran(const ReglasLinea& reglas, QObject* parent = nullptr);

    // Data role of a cell that needs the operator's eye (a negative net weight): true or none.
    static constexpr int RolAviso = Qt::UserRole + 1;

    // The stored lines, without the row being edited.
    const LineasAlbaran& Lineas() const { return m_lineas; }
    // The lines as the grid shows them: the row being edited in its place, or at the end when
    // it is a new line that holds something.
    LineasAlbaran LineasMostradas() const;
    // Replaces every line (a new or a loaded note); the row being edited is dropped.
    void SetLineas(const LineasAlbaran& lineas);
    // The unit shown after the titles of the three weight columns.
    void SetUnidad(const QString& unidad);
    // Whether a gross or net weight may be typed (otherwise it comes from the scale only).
    void SetPesoManual(bool permitido) { m_pesoManual = permitido; }
    // The clock that stamps the time of weighing.
    void SetReloj(std::function<QDateTime()> reloj) { m_reloj = std::move(reloj); }

    // Cell (fila, columna 1..9) as the grid shows it, the row being edited included.
    QString Celda(int fila, int columna) const;
    // The row of the new line, always the last one.
    int FilaNueva() const { return m_lineas.Count(); }

    // The column buttons on row `fila` (see ReglasLinea).
    void EligeProducto(int fila, const QString& codigo);
    void EligeTara(int fila, const QString& codigo);
    void TomaLectura(int fila, const Lectura& lectura, qint64 idPesada);

    // Stores the row being edited, if any.
    void ConfirmaFila();
    // Deletes a stored line (the rows after it move up) or empties the new row.
    void BorraFila(int fila);

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol) const override;
    bool setData(const QModelIndex& indice, const QVariant& valor, int rol) override;
    QVariant headerData(int seccion, Qt::Orientation orientacion, int rol) const override;
    Qt::ItemFlags flags(const QModelIndex& indice) const override;

signals:
    // A line was stored or deleted.
    void LineasCambiadas();
    // An edit was refused; the text tells why.
    void Rechazada(const QString& texto);

private:
    // The cells of `fila`, ready to change; another row being edited is stored first.
    FilaAlbaran& Edita(int fila);
    void Cambiada(int fila);

    const ReglasLinea& m_reglas;
    LineasAlbaran m_lineas;
    QString m_unidad;
    std::function<QDateTime()> m_reloj = [] { return QDateTime::currentDateTime(); };
    int m_filaEditada = -1;
    bool m_pesoManual = true;
    FilaAlbaran m_edicion;
};
