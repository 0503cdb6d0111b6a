#include "app/kelteclaalt.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

bool kelTeclaAlt::Escribe(Qt::KeyboardModifiers modificadores, const QString& texto) {
    // Only a letter or digit can mark a button; other keys with Alt (the keypad's "+" that
    // stores a customer, Alt+Left and the like) go on to the field and its window.
    if (texto.isEmpty() || !texto.front().isLetterOrNumber())
        return true;
    return !(modificadores & Qt::AltModifier) || (modificadores & Qt::ControlModifier);
}

void kelTeclaAlt::Instala() {
#ifndef Q_OS_MACOS
    if (!qApp || qApp->findChild<kelTeclaAlt*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    qApp->installEventFilter(new kelTeclaAlt(qApp));
#endif
}

bool kelTeclaAlt::eventFilter(QObject* objeto, QEvent* evento) {
    if (evento->type() != QEvent::KeyPress)
        return false;
    // Only where a key types: a menu that is open takes its letters with Alt held or not.
    if (!qobject_cast<QLineEdit*>(objeto) && !qobject_cast<QAbstractSpinBox*>(objeto) &&
        !qobject_cast<QTextEdit*>(objeto) && !qobject_cast<QPlainTextEdit*>(objeto))
        return false;
    const auto* tecla = static_cast<const QKeyEvent*>(evento);
    return !Escribe(tecla->modifiers(), tecla->text());
}
