#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// The one way tests reach a window's widgets: by the object name the window gives them. A name
// the window does not hold stops the test run there, naming what was asked for, instead of
// crashing later on a null pointer.
class Controles {
public:
    template <typename T> static T* Busca(const QObject& ventana, const QString& nombre) {
        T* control = ventana.findChild<T*>(nombre);
        if (!control)
            qFatal("%s has no %s named \"%s\"", ventana.metaObject()->className(),
                   T::staticMetaObject.className(), qPrintable(nombre));
        return control;
    }
};
