#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

// Answers modal windows as an operator would: while alive, it watches for the modal window of
// type T that the program opens and runs the given answer on it. It counts the windows answered
// so that a test can check that one did, or did not, appear.
template <class T> class Contestador {
public:
    explicit Contestador(std::function<void(T*)> respuesta) : m_respuesta(std::move(respuesta)) {
        QObject::connect(&m_reloj, &QTimer::timeout, [this] { Mira(); });
        m_reloj.start(10);
    }
    int Veces() const { return m_veces; }
    // The answer for the windows still to come.
    void Responde(std::function<void(T*)> respuesta) { m_respuesta = std::move(respuesta); }

private:
    void Mira() {
        T* ventana = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!ventana || !ventana->isVisible() || ventana == m_ultima)
            return;
        m_ultima = ventana;
        ++m_veces;
        QPointer<T> vigilada(ventana);
        m_respuesta(ventana);
        // An answer that failed half-way must not leave the test waiting for ever.
        if (vigilada && vigilada->isVisible() && QApplication::activeModalWidget() == vigilada)
            QMetaObject::invokeMethod(vigilada.data(), "reject", Qt::QueuedConnection);
    }

    std::function<void(T*)> m_respuesta;
    QTimer m_reloj;
    QPointer<T> m_ultima;
    int m_veces = 0;
};
