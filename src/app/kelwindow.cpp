#include "app/kelwindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>

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

QRect kelWindow::DentroDe(const QRect& cliente, const QMargins& marco, const QRect& disponible) {
    const QRect area = disponible.marginsRemoved(marco);
    QRect r(cliente.topLeft(), cliente.size().boundedTo(area.size()));
    r.moveLeft(std::clamp(r.left(), area.left(), area.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), area.top(), area.bottom() + 1 - r.height()));
    return r;
}

void kelWindow::DentroDePantalla(QWidget* ventana) {
    if (ventana->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QScreen* pantalla =
        ventana->screen() ? ventana->screen() : QGuiApplication::primaryScreen();
    if (!pantalla)
        return;
    // Before it is first shown a window has no frame yet: a title bar and borders are allowed.
    const QRect marco = ventana->frameGeometry(), interior = ventana->geometry();
    const QMargins margenes =
        ventana->isVisible()
            ? QMargins(interior.left() - marco.left(), interior.top() - marco.top(),
                       marco.right() - interior.right(), marco.bottom() - interior.bottom())
            : QMargins(4, 32, 4, 4);
    const QPoint esquina(margenes.left(), margenes.top());
    const QRect cliente(marco.topLeft() + esquina, interior.size());
    const QRect r = DentroDe(cliente, margenes, pantalla->availableGeometry());
    if (r.size() != cliente.size())
        ventana->resize(r.size());
    if (ventana->testAttribute(Qt::WA_Moved) && r.topLeft() != cliente.topLeft())
        ventana->move(r.topLeft() - esquina);
}
