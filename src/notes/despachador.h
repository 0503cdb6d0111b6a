#pragma once

#include <QHash>
#include <QString>
#include <functional>

// Menu and key action words to what they do. A word runs only when it is written exactly as
// registered (whole word, same letter case); any other word does nothing.
class Despachador {
public:
    using Accion = std::function<void()>;

    // Adds or replaces what `palabra` does.
    void Registra(const QString& palabra, Accion accion) {
        m_acciones.insert(palabra, std::move(accion));
    }
    // Runs the word's action; false when the word is not registered.
    bool Despacha(const QString& palabra) const;

private:
    QHash<QString, Accion> m_acciones;
};
