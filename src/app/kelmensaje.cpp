#include "app/kelmensaje.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelstrings.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {
// What every box gets: its text with no password in it, and a width that shows its title.
void Prepara(QMessageBox& caja) {
    caja.setText(kelStrings::SinContrasenas(caja.text()));
    // A box sizes itself to its text and buttons; a row as wide as the title keeps the window
    // manager from cutting the title short.
    if (auto* rejilla = qobject_cast<QGridLayout*>(caja.layout()))
        rejilla->addItem(
            new QSpacerItem(kelMensaje::AnchoTitulo(QApplication::font(), caja.windowTitle()), 0,
                            QSizePolicy::Minimum, QSizePolicy::Fixed),
            rejilla->rowCount(), 0, 1, rejilla->columnCount());
}

// The keyboard goes back to the window the box was shown over, also where no window manager
// gives it the activation back, so that its keys work at once.
void Devuelve(QWidget* padre) {
    if (padre && padre->window()->isVisible() && !QApplication::activeModalWidget())
        padre->window()->activateWindow();
}

void Muestra(QWidget* padre, QMessageBox::Icon icono, const QString& titulo, const QString& texto) {
    QMessageBox caja(icono, titulo, texto, QMessageBox::NoButton, padre);
    caja.addButton(Texto(IdTexto::Aceptar), QMessageBox::AcceptRole);
    Prepara(caja);
    caja.exec();
    Devuelve(padre);
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
    QMessageBox caja(QMessageBox::Warning, titulo, texto, QMessageBox::NoButton, padre);
    Prepara(caja);
    QPushButton* si = caja.addButton(Texto(IdTexto::Si), QMessageBox::YesRole);
    QPushButton* no = caja.addButton(Texto(IdTexto::No), QMessageBox::NoRole);
    QPushButton* cancelar =
        conCancelar ? caja.addButton(Texto(IdTexto::Cancelar), QMessageBox::RejectRole) : nullptr;
    caja.setDefaultButton(si);
    caja.setEscapeButton(cancelar ? cancelar : no);
    caja.exec();
    Devuelve(padre);
    if (caja.clickedButton() == si)
        return Respuesta::Si;
    if (caja.clickedButton() == no || !cancelar)
        return Respuesta::No;
    return Respuesta::Cancelar;
}

int kelMensaje::AnchoTitulo(const QFont& letra, const QString& titulo) {
    QFont negrita = letra;
    negrita.setBold(true);
    // The icon and up to three buttons (minimise, maximise, close) share the bar with the title.
    const int barra = 4 * QFontMetrics(letra).height() * 2;
    return QFontMetrics(negrita).horizontalAdvance(titulo) + barra;
}
