#include "app/kelvistaprevia.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelmensaje.h"
#include "app/kelregistry.h"
#include "app/resultado.h"

#include <QKeyEvent>
#include <QShortcut>

kelVistaPrevia::kelVistaPrevia(const char* nombre, const QString& titulo, QWidget* parent)
    : QDialog(parent) {
    setObjectName(nombre);
    setWindowTitle(titulo);
    auto* ctrlP = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(ctrlP, &QShortcut::activated, this, [this] { Imprime(); });
    // A key release that no control takes reaches the window.
    installEventFilter(this);
}

bool kelVistaPrevia::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == this && evento->type() == QEvent::KeyRelease) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        if (!tecla->isAutoRepeat() &&
            (tecla->key() == Qt::Key_Print || tecla->key() == Qt::Key_Printer)) {
            Imprime();
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

void kelVistaPrevia::Impresion(const Resultado& r, bool cancelada) {
    if (r)
        emit Impreso();
    else if (!cancelada)
        kelMensaje::Error(this, windowTitle(),
                          Texto(IdTexto::ErrorImpresion) + QLatin1String("\n\n") + r.Error());
}

void kelVistaPrevia::done(int resultado) {
    AlCerrar();
    kelRegistry::SaveFormPosition(this);
    QDialog::done(resultado);
}
