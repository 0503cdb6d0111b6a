#pragma once

#include <QObject>
#include <QString>

class QEvent;

// Alt with a letter or digit is the key of the button or menu entry marked with that letter,
// which Qt runs before the key reaches the field with the focus. When nothing is marked with
// the letter the key does nothing, instead of typing the letter into the field as Qt's fields
// do. Ctrl+Alt is left to type: Windows reports AltGr, which gives "@", "#", "€" or "ł" on many
// keyboards, as Ctrl+Alt. On macOS Option (Alt) types characters, so there nothing changes.
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
