#pragma once

#include "db/recordset.h"

#include <QList>
#include <QString>
#include <memory>

// An ordered collection of record sets keyed by table name; keys compare without regard to case.
class Dataset {
public:
    // Stores the record set under the key; an entry with the same key is removed first and the
    // new one appended at the end. Returns the stored record set.
    Recordset* Add(std::shared_ptr<Recordset> registros, const QString& clave);
    // The record set, or nullptr when there is no such entry.
    Recordset* Item(const QString& clave) const;
    Recordset* Item(int indice) const;
    QString Clave(int indice) const;
    int Count() const { return int(m_entradas.size()); }
    void Remove(const QString& clave);
    void Remove(int indice);

private:
    int Indice(const QString& clave) const;
    struct Entrada {
        QString clave;
        std::shared_ptr<Recordset> registros;
    };
    QList<Entrada> m_entradas;
};
