#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The ticket printer choice of the configuration window, as a tree: four kinds of printer
// ("N0" not defined, "N1" serial ports, "N2" device ports, "N3" system print queues) and, under
// the last three, one node per port or queue, keyed by the kind's key and its ordinal from 1
// ("N31" is the first queue). Exactly one node is ticked: the chosen printer, or "N0".
class ArbolImpresoras {
public:
    struct Nodo {
        QString clave;
        QString texto;
        int padre; // index of the kind's node; -1 for the kinds themselves
    };

    // `tipos` holds the captions of the four kinds, in order.
    ArbolImpresoras(const QStringList& tipos, const QStringList& serie, const QStringList& paralelo,
                    const QStringList& sistema);

    const QList<Nodo>& Nodos() const { return m_nodos; }

    // Ticks the stored printer: the node of that name under its kind (or under another kind
    // when its own has none). Kind 0, or a name that no node has, ticks "N0": the printer is
    // not defined.
    void Elige(qint32 tipo, const QString& nombre);
    // A click on a node: a kind does nothing, except "N0" which is ticked; another node is
    // ticked in place of the ticked one; the ticked node itself gives way to "N0".
    void Pulsa(const QString& clave);

    bool Marcado(const QString& clave) const { return clave == m_etiqueta; }
    QString Etiqueta() const { return m_etiqueta; }
    // The kind of the ticked node (the digit after "N") and its caption, as they are stored.
    qint32 Tipo() const;
    QString Nombre() const;

private:
    static constexpr const char* kNoDefinida = "N0";
    int Indice(const QString& clave) const;

    QList<Nodo> m_nodos;
    QString m_etiqueta = QString::fromLatin1(kNoDefinida);
};
