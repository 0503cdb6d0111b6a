#pragma once

#include <QHash>
#include <QString>
#include <functional>

// Command words to what they do. A word runs only when it is written exactly as registered
// (whole word, same letter case); any other word does nothing.
class Despachador {
public:
    using Orden = std::function<void()>;

    // Adds or replaces what `palabra` does.
    void Registra(const QString& palabra, Orden orden) {
        m_ordenes.insert(palabra, std::move(orden));
    }
    // Runs the word's command; false when the word is not registered.
    bool Despacha(const QString& palabra) const;

private:
    QHash<QString, Orden> m_ordenes;
};
