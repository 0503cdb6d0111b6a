#include "app/kelwindow.h"

#include <QWidget>

void kelWindow::SiempreEncima(QWidget* ventana, bool encima) {
    const QRect geometria = ventana->geometry();
    const bool visible = ventana->isVisible();
    ventana->setWindowFlag(Qt::WindowStaysOnTopHint, encima);
    ventana->setGeometry(geometria);
    if (visible)
        ventana->show(); // changing the flags hides a shown window
}
