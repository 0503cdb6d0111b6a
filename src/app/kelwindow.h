#pragma once

class QWidget;

class kelWindow {
public:
    // With the flag set, keeps the window above all others without moving or resizing it.
    static void SiempreEncima(QWidget* ventana, bool encima);
};
