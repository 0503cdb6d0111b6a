#pragma once

class QEvent;
class QWidget;

class kelWindow {
public:
    // With the flag set, keeps the window above all others without moving or resizing it.
    static void SiempreEncima(QWidget* ventana, bool encima);
    // F4 released without Shift, Ctrl or Alt: the key that opens a box's dialog or pick list.
    static bool EsF4(const QEvent* evento);
};
