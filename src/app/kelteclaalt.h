#pragma once

#include <QObject>
#include <QString>

class QEvent;

// Alt with a letter or digit is a key for the button or menu entry marked with that letter: Qt runs
// it before the key reaches the field with the focus. When nothing is marked with the letter
// the key does nothing, as on the stations' other systems, instead of typing the letter into
// the field. Ctrl+Alt is left to type: Windows reports AltGr, which gives "@", "#" or "€" on
// many keyboards, as Ctrl+Alt. On macOS Option (Alt) types characters, so there nothing changes.
class kelTeclaAlt : public QObject {
    Q_OBJECT
public:
    // Whether a key pressed with these modifiers and giving this text may type it into a field.
    static bool Escribe(Qt::KeyboardModifiers modificadores, const QString& texto);
    // Watches every key of the application; once is enough, later calls change nothing.
    static void Instala();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    using QObject::QObject;
};
