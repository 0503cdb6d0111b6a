#include "app/kelmensaje.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelstrings.h"

#include <QMessageBox>
#include <QPushButton>

namespace {
void Muestra(QWidget* padre, QMessageBox::Icon icono, const QString& titulo, const QString& texto) {
    QMessageBox caja(icono, titulo, kelStrings::SinContrasenas(texto), QMessageBox::NoButton,
                     padre);
    caja.addButton(Texto(IdTexto::Aceptar), QMessageBox::AcceptRole);
    caja.exec();
}
} // namespace

void kelMensaje::Error(QWidget* padre, const QString& titulo, const QString& texto) {
    Muestra(padre, QMessageBox::Critical, titulo, texto);
}

void kelMensaje::Aviso(QWidget* padre, const QString& titulo, const QString& texto) {
    Muestra(padre, QMessageBox::Warning, titulo, texto);
}

void kelMensaje::Informa(QWidget* padre, const QString& titulo, const QString& texto) {
    Muestra(padre, QMessageBox::Information, titulo, texto);
}

kelMensaje::Respuesta kelMensaje::Pregunta(QWidget* padre, const QString& titulo,
                                           const QString& texto, bool conCancelar) {
    QMessageBox caja(QMessageBox::Warning, titulo, kelStrings::SinContrasenas(texto),
                     QMessageBox::NoButton, padre);
    QPushButton* si = caja.addButton(Texto(IdTexto::Si), QMessageBox::YesRole);
    QPushButton* no = caja.addButton(Texto(IdTexto::No), QMessageBox::NoRole);
    QPushButton* cancelar =
        conCancelar ? caja.addButton(Texto(IdTexto::Cancelar), QMessageBox::RejectRole) : nullptr;
    caja.setDefaultButton(si);
    caja.setEscapeButton(cancelar ? cancelar : no);
    caja.exec();
    if (caja.clickedButton() == si)
        return Respuesta::Si;
    if (caja.clickedButton() == no || !cancelar)
        return Respuesta::No;
    return Respuesta::Cancelar;
}
