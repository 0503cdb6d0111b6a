#pragma once

#include <QString>

class QFont;
class QWidget;

// Message boxes with the program's own button texts in the interface language ("&Aceptar",
// "&Sí", "&No", "&Cancelar"), so that nothing on a Spanish or Catalan screen speaks English.
class kelMensaje {
public:
    enum class Respuesta { Si, No, Cancelar };

    static void Error(QWidget* padre, const QString& titulo, const QString& texto);
    static void Aviso(QWidget* padre, const QString& titulo, const QString& texto);
    static void Informa(QWidget* padre, const QString& titulo, const QString& texto);
    // A warning question with Yes and No, and Cancel when `conCancelar`; closing the box or
    // Escape answers Cancel (No when there is no Cancel button).
    static Respuesta Pregunta(QWidget* padre, const QString& titulo, const QString& texto,
                              bool conCancelar = false);
    // The width in pixels a box needs for its title bar to show `titulo` whole: the title in
    // the bold form of `letra` (the form window managers draw titles in, or wider), with room for
    // the window's icon and buttons.
    static int AnchoTitulo(const QFont& letra, const QString& titulo);
};
