#include "app/kelwindow.h"

#include <QKeyEvent>
#include <QWidget>

void kelWindow::SiempreEncima(QWidget* ventana, bool encima) {
    const QRect geometria = ventana->geometry();
    const bool visible = ventana->isVisible();
    ventana->setWindowFlag(Qt::WindowStaysOnTopHint, encima);
    ventana->setGeometry(geometria);
    if (visible)
        ventana->show(); // changing the flags hides a shown window
}

bool kelWindow::EsF4(const QEvent* evento) {
    if (evento->type() != QEvent::KeyRelease)
        return false;
    const auto* tecla = static_cast<const QKeyEvent*>(evento);
    const auto mayusculas = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    return tecla->key() == Qt::Key_F4 && !(tecla->modifiers() & mayusculas) &&
           !tecla->isAutoRepeat();
}
