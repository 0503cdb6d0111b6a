#pragma once

#include <QString>
#include <QStringList>

// One section of a ticket template: lines printed once (plain) or once per record of the
// data-set table named by Key (detail). Each line normally ends with the line-feed macro.
class DocumentoSeccion {
public:
    void AddLinea(const QString& texto) { m_lineas.append(texto); }
    bool Detalle() const { return m_detalle; }
    void SetDetalle(bool v) { m_detalle = v; }
    QString Key() const { return m_key; }
    void SetKey(const QString& v) { m_key = v; }
    const QStringList& Lineas() const { return m_lineas; }

private:
    bool m_detalle = false;
    QString m_key;
    QStringList m_lineas;
};
