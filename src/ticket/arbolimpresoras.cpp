#include "ticket/arbolimpresoras.h"

ArbolImpresoras::ArbolImpresoras(const QStringList& tipos, const QStringList& serie,
                                 const QStringList& paralelo, const QStringList& sistema) {
    for (int t = 0; t < 4; ++t)
        m_nodos.append({QStringLiteral("N%1").arg(t), tipos.value(t), -1});
    const QStringList* hijos[] = {&serie, &paralelo, &sistema};
    for (int t = 1; t <= 3; ++t)
        for (qsizetype i = 0; i < hijos[t - 1]->size(); ++i)
            m_nodos.append({QStringLiteral("N%1%2").arg(t).arg(i + 1), hijos[t - 1]->at(i), t});
}

int ArbolImpresoras::Indice(const QString& clave) const {
    for (qsizetype i = 0; i < m_nodos.size(); ++i)
        if (m_nodos[i].clave == clave)
            return int(i);
    return -1;
}

void ArbolImpresoras::Elige(qint32 tipo, const QString& nombre) {
    m_etiqueta = QString::fromLatin1(kNoDefinida);
    if (tipo == 0)
        return;
    QString otroTipo;
    for (const Nodo& n : m_nodos) {
        if (n.padre < 0 || n.texto != nombre)
            continue;
        if (n.padre == tipo) {
            m_etiqueta = n.clave;
            return;
        }
        if (otroTipo.isEmpty())
            otroTipo = n.clave;
    }
    if (!otroTipo.isEmpty())
        m_etiqueta = otroTipo;
}

void ArbolImpresoras::Pulsa(const QString& clave) {
    const int i = Indice(clave);
    if (i < 0 || (m_nodos[i].padre < 0 && clave != QLatin1String(kNoDefinida)))
        return;
    m_etiqueta = clave == m_etiqueta ? QString::fromLatin1(kNoDefinida) : clave;
}

qint32 ArbolImpresoras::Tipo() const {
    return m_etiqueta.mid(1, 1).toInt();
}

QString ArbolImpresoras::Nombre() const {
    const int i = Indice(m_etiqueta);
    return i < 0 ? QString() : m_nodos[i].texto;
}
