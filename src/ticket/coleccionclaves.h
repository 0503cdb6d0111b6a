#pragma once

#include <QList>
#include <QString>
#include <memory>

// An ordered collection whose entries may carry a key; keys compare without regard to case and
// an entry added with an empty key has none. Positions count from 1. Used by the control-code
// collection and by the field and section collections of a ticket template.
template <typename T> class ColeccionClaves {
public:
    using Puntero = std::shared_ptr<T>;

private:
    struct Entrada {
        QString clave;
        Puntero valor;
    };

public:
    // Appends the entry; false (and nothing added) when the key is already taken.
    bool Agrega(Puntero elemento, const QString& clave) {
        if (!clave.isEmpty() && Indice(clave) >= 0)
            return false;
        m_entradas.append({clave, std::move(elemento)});
        return true;
    }
    // The entry at position 1..Count(), or under the key; nullptr when there is none.
    Puntero Item(int posicion) const {
        return (posicion >= 1 && posicion <= m_entradas.size()) ? m_entradas.at(posicion - 1).valor
                                                                : nullptr;
    }
    Puntero Item(const QString& clave) const { return Item(Indice(clave) + 1); }
    // The key of the entry at a position; empty when it has none.
    QString Clave(int posicion) const {
        return (posicion >= 1 && posicion <= m_entradas.size()) ? m_entradas.at(posicion - 1).clave
                                                                : QString();
    }
    int Count() const { return int(m_entradas.size()); }
    // False when there is no such entry.
    bool Remove(int posicion) {
        if (posicion < 1 || posicion > m_entradas.size())
            return false;
        m_entradas.removeAt(posicion - 1);
        return true;
    }
    bool Remove(const QString& clave) {
        if (clave.isEmpty())
            return false;
        return Remove(Indice(clave) + 1);
    }
    void Clear() { m_entradas.clear(); }

    // Enumeration in collection order, over the entries themselves.
    class Iterador {
    public:
        explicit Iterador(typename QList<Entrada>::const_iterator it) : m_it(it) {}
        T& operator*() const { return *m_it->valor; }
        T* operator->() const { return m_it->valor.get(); }
        Iterador& operator++() {
            ++m_it;
            return *this;
        }
        bool operator!=(const Iterador& o) const { return m_it != o.m_it; }
        bool operator==(const Iterador& o) const { return m_it == o.m_it; }

    private:
        typename QList<Entrada>::const_iterator m_it;
    };
    Iterador begin() const { return Iterador(m_entradas.cbegin()); }
    Iterador end() const { return Iterador(m_entradas.cend()); }

private:
    // Position from 0 of the entry under the key; -1 when none (an empty key names nothing).
    int Indice(const QString& clave) const {
        if (clave.isEmpty())
            return -1;
        for (int i = 0; i < m_entradas.size(); ++i)
            if (m_entradas.at(i).clave.compare(clave, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    QList<Entrada> m_entradas;
};
