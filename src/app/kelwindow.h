#pragma once

#include <QMargins>
#include <QRect>

class QEvent;
class QWidget;

class kelWindow {
public:
    // With the flag set, keeps the window above all others without moving or resizing it.
    static void SiempreEncima(QWidget* ventana, bool encima);
    // F4 released without Shift, Ctrl or Alt: the key that opens a box's dialog or pick list.
    static bool EsF4(const QEvent* evento);
    // A window's inner rectangle `cliente`, with its frame `marco` around it, made to fit in the
    // screen area `disponible`: no larger than it, and moved inside it.
    static QRect DentroDe(const QRect& cliente, const QMargins& marco, const QRect& disponible);
    // The window kept within its screen's available area (the part no panel takes); its
    // position changes only when one was given to it.
    static void DentroDePantalla(QWidget* ventana);
};
