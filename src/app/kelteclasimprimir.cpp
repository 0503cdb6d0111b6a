#include "app/kelteclasimprimir.h"

#include <QKeyEvent>
#include <QShortcut>
#include <QWidget>

kelTeclasImprimir::kelTeclasImprimir(QWidget* ventana, std::function<void()> imprime)
    : QObject(ventana), m_imprime(std::move(imprime)) {
    auto* ctrlP = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), ventana);
    connect(ctrlP, &QShortcut::activated, this, [this] { m_imprime(); });
    // A key release that no control takes reaches the window.
    ventana->installEventFilter(this);
}

bool kelTeclasImprimir::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() == QEvent::KeyRelease) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        if (!tecla->isAutoRepeat() &&
            (tecla->key() == Qt::Key_Print || tecla->key() == Qt::Key_Printer)) {
            m_imprime();
            return true;
        }
    }
    return QObject::eventFilter(objeto, evento);
}
