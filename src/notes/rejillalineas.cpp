#include "notes/rejillalineas.h"
#include "notedata/columnasalbaran.h"

#include "notes/delegadolineas.h"
#include "notes/modelolineasalbaran.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

RejillaLineas::RejillaLineas(ModeloLineasAlbaran* modelo, QWidget* parent)
    : QTableView(parent), m_modelo(modelo), m_delegado(new DelegadoLineas(this)) {
    setModel(modelo);
    setItemDelegate(m_delegado);
    // A click only chooses the cell: editing on a click into the current cell waits to tell it
    // from a double click, and the keys typed meanwhile would be lost.
    setEditTriggers(AnyKeyPressed | EditKeyPressed | DoubleClicked);
    setSelectionMode(SingleSelection);
    setTabKeyNavigation(true);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    connect(m_delegado, &DelegadoLineas::Boton, this, &RejillaLineas::PideBoton);
    // Leaving the grid stores the row being edited (its cell is committed by its own box).
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* antes, QWidget* ahora) {
        if (Contiene(antes) && !Contiene(ahora))
            m_modelo->ConfirmaFila();
    });
}

void RejillaLineas::Confirma() {
    m_delegado->Confirma();
    m_modelo->ConfirmaFila();
}

int RejillaLineas::PrimeraColumnaVisible() const {
    if (!isColumnHidden(0))
        return 0;
    for (int v = 0; v < horizontalHeader()->count(); ++v) {
        const int c = horizontalHeader()->logicalIndex(v);
        if (!isColumnHidden(c))
            return c;
    }
    return 0;
}

void RejillaLineas::IrAFilaNueva() {
    setCurrentIndex(m_modelo->index(m_modelo->FilaNueva(), PrimeraColumnaVisible()));
    setFocus();
}

void RejillaLineas::Avanza() {
    const QModelIndex actual = currentIndex();
    if (!actual.isValid())
        return;
    const int fila = actual.row();
    if (actual.column() + 1 != ColumnasAlbaran::Numero) {
        const QHeaderView* h = horizontalHeader();
        for (int v = h->visualIndex(actual.column()) + 1; v < h->count(); ++v) {
            const int c = h->logicalIndex(v);
            if (!isColumnHidden(c)) {
                setCurrentIndex(m_modelo->index(fila, c));
                return;
            }
        }
    }
    // The row is stored first: a new line that is kept brings a new row under it.
    m_modelo->ConfirmaFila();
    const int siguiente = qMin(fila + 1, m_modelo->rowCount() - 1);
    setCurrentIndex(m_modelo->index(siguiente, PrimeraColumnaVisible()));
}

void RejillaLineas::PideBoton() {
    const QModelIndex actual = currentIndex();
    if (actual.isValid())
        emit BotonColumna(actual.row(), actual.column() + 1);
}

void RejillaLineas::keyPressEvent(QKeyEvent* evento) {
    const QModelIndex actual = currentIndex();
    if (evento->key() == Qt::Key_Return || evento->key() == Qt::Key_Enter) {
        // In a cell's box the box's own Enter moves on, once it has committed the text.
        if (state() != EditingState)
            Avanza();
        return;
    }
    if (actual.isValid() && DelegadoLineas::EsTeclaBoton(evento, actual.column() + 1)) {
        PideBoton();
        return;
    }
    // Tab moves between cells; with Ctrl it leaves the grid, forwards or back.
    if ((evento->key() == Qt::Key_Tab || evento->key() == Qt::Key_Backtab) &&
        (evento->modifiers() & Qt::ControlModifier)) {
        QWidget::focusNextPrevChild(evento->key() == Qt::Key_Tab &&
                                    !(evento->modifiers() & Qt::ShiftModifier));
        return;
    }
    if (actual.isValid() && evento->key() == Qt::Key_Delete &&
        (evento->modifiers() & Qt::ControlModifier)) {
        m_modelo->BorraFila(actual.row());
        setCurrentIndex(
            m_modelo->index(qMin(actual.row(), m_modelo->rowCount() - 1), actual.column()));
        return;
    }
    QTableView::keyPressEvent(evento);
}

void RejillaLineas::keyReleaseEvent(QKeyEvent* evento) {
    const QModelIndex actual = currentIndex();
    if (actual.isValid() && DelegadoLineas::EsTeclaBoton(evento, actual.column() + 1)) {
        PideBoton();
        return;
    }
    QTableView::keyReleaseEvent(evento);
}

void RejillaLineas::focusInEvent(QFocusEvent* evento) {
    // Tabbing in from the header is to write the next line.
    if (evento->reason() == Qt::TabFocusReason || evento->reason() == Qt::BacktabFocusReason)
        setCurrentIndex(m_modelo->index(m_modelo->FilaNueva(), PrimeraColumnaVisible()));
    QTableView::focusInEvent(evento);
}

void RejillaLineas::currentChanged(const QModelIndex& actual, const QModelIndex& anterior) {
    if (anterior.isValid() && anterior.row() != actual.row())
        m_modelo->ConfirmaFila();
    QTableView::currentChanged(actual, anterior);
}

void RejillaLineas::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Enter in a cell's box commits it and moves on, as Enter does outside it. The view closes
    // boxes with the same hint when the current row changes: that is no Enter.
    const bool avanza = hint == QAbstractItemDelegate::SubmitModelCache && sender() == m_delegado;
    QTableView::closeEditor(editor, avanza ? QAbstractItemDelegate::NoHint : hint);
    if (avanza)
        Avanza();
}
