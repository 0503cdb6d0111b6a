#include "notes/delegadolineas.h"

#include "db/esquema.h"
#include "notes/modelolineasalbaran.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace {
// The stored size of a text column; numbers take what a number can be written with.
int Longitud(int columna) {
    static const char* const campos[] = {"CodProducto", "NomProducto"};
    if (columna == 1 || columna == 2) {
        const ColumnaEsquema* c = Esquema::Columna("AlbaranesDetalle", campos[columna - 1]);
        return c ? c->tamano : 50;
    }
    return columna == 3 ? 11 : 24;
}
} // namespace

QWidget* DelegadoLineas::createEditor(QWidget* padre, const QStyleOptionViewItem& opcion,
                                      const QModelIndex& indice) const {
    QWidget* editor = QStyledItemDelegate::createEditor(padre, opcion, indice);
    if (auto* caja = qobject_cast<QLineEdit*>(editor)) {
        caja->setMaxLength(Longitud(indice.column() + 1));
        caja->setAlignment(Qt::Alignment(indice.data(Qt::TextAlignmentRole).toInt()));
    }
    m_editor = editor;
    m_columna = indice.column() + 1;
    return editor;
}

void DelegadoLineas::destroyEditor(QWidget* editor, const QModelIndex& indice) const {
    if (editor == m_editor)
        m_editor = nullptr;
    QStyledItemDelegate::destroyEditor(editor, indice);
}

void DelegadoLineas::Confirma() {
    if (QWidget* editor = m_editor) {
        emit commitData(editor);
        emit closeEditor(editor, NoHint);
    }
}

void DelegadoLineas::initStyleOption(QStyleOptionViewItem* opcion,
                                     const QModelIndex& indice) const {
    QStyledItemDelegate::initStyleOption(opcion, indice);
    if (indice.data(ModeloLineasAlbaran::RolAviso).toBool()) {
        opcion->features |= QStyleOptionViewItem::HasDecoration;
        opcion->icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        const int lado = opcion->fontMetrics.height();
        opcion->decorationSize = QSize(lado, lado);
        opcion->decorationPosition = QStyleOptionViewItem::Left;
    }
}

bool DelegadoLineas::TieneBoton(int columna) {
    return columna == 1 || columna == 3 || columna == 4 || columna == 6;
}

bool DelegadoLineas::EsTeclaBoton(const QKeyEvent* tecla, int columna) {
    if (!TieneBoton(columna))
        return false;
    if (tecla->type() == QEvent::KeyPress)
        return tecla->text() == QLatin1String("*");
    constexpr Qt::KeyboardModifiers otras =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    return tecla->type() == QEvent::KeyRelease && tecla->key() == Qt::Key_F12 &&
           !tecla->isAutoRepeat() && !(tecla->modifiers() & otras);
}

bool DelegadoLineas::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == m_editor &&
        (evento->type() == QEvent::KeyPress || evento->type() == QEvent::KeyRelease) &&
        EsTeclaBoton(static_cast<QKeyEvent*>(evento), m_columna)) {
        Confirma();
        emit Boton();
        return true;
    }
    return QStyledItemDelegate::eventFilter(objeto, evento);
}
