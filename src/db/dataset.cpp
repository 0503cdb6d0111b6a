#include "db/dataset.h"

int Dataset::Indice(const QString& clave) const {
    for (int i = 0; i < m_entradas.size(); ++i)
        if (m_entradas.at(i).clave.compare(clave, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Recordset* Dataset::Add(std::shared_ptr<Recordset> registros, const QString& clave) {
    Remove(clave);
    m_entradas.append({clave, std::move(registros)});
    return m_entradas.last().registros.get();
}

Recordset* Dataset::Item(const QString& clave) const {
    return Item(Indice(clave));
}

Recordset* Dataset::Item(int indice) const {
    return (indice >= 0 && indice < m_entradas.size()) ? m_entradas.at(indice).registros.get()
                                                       : nullptr;
}

QString Dataset::Clave(int indice) const {
    return (indice >= 0 && indice < m_entradas.size()) ? m_entradas.at(indice).clave : QString();
}

void Dataset::Remove(const QString& clave) {
    Remove(Indice(clave));
}

void Dataset::Remove(int indice) {
    if (indice >= 0 && indice < m_entradas.size())
        m_entradas.removeAt(indice);
}
