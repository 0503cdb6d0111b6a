#include "db/recordsetmemoria.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

void RecordsetMemoria::AgregaCampo(const QString& nombre, Tipo tipo) {
    m_campos.append({nombre, tipo});
    for (QVariantList& r : m_registros)
        r.append(QVariant());
}

void RecordsetMemoria::AgregaRegistro(const QVariantList& valores) {
    QVariantList registro = valores.mid(0, m_campos.size());
    while (registro.size() < m_campos.size())
        registro.append(QVariant(QMetaType::fromType<QString>())); // null
    for (QVariant& v : registro)
        if (!v.isValid())
            v = QVariant(QMetaType::fromType<QString>());
    m_registros.append(registro);
    m_actual = int(m_registros.size()) - 1;
}

bool RecordsetMemoria::SetValor(const QString& campo, const QVariant& valor) {
    const int i = IndiceCampo(campo);
    if (i < 0 || !EnRegistro())
        return false;
    m_registros[m_actual][i] = valor;
    return true;
}

QString RecordsetMemoria::NombreCampo(int i) const {
    return (i >= 0 && i < m_campos.size()) ? m_campos.at(i).nombre : QString();
}

Recordset::Tipo RecordsetMemoria::TipoCampo(int i) const {
    return (i >= 0 && i < m_campos.size()) ? m_campos.at(i).tipo : Tipo::Nulo;
}

bool RecordsetMemoria::AlPrincipio() const {
    return m_registros.isEmpty() || m_actual < 0;
}

bool RecordsetMemoria::AlFinal() const {
    return m_registros.isEmpty() || m_actual >= m_registros.size();
}

void RecordsetMemoria::MoveFirst() {
    m_actual = m_registros.isEmpty() ? -1 : 0;
}

void RecordsetMemoria::MoveNext() {
    if (m_actual < m_registros.size())
        ++m_actual;
}

QVariant RecordsetMemoria::Valor(int i) const {
    if (!EnRegistro() || i < 0 || i >= m_campos.size())
        return QVariant();
    return m_registros.at(m_actual).at(i);
}

RecordsetMemoria RecordsetMemoria::DesdeConsulta(QSqlQuery& consulta) {
    RecordsetMemoria r;
    const QSqlRecord rec = consulta.record();
    for (int i = 0; i < rec.count(); ++i) {
        const Tipo t = TipoDeValor(QVariant(rec.field(i).metaType()));
        r.AgregaCampo(rec.fieldName(i), t);
    }
    while (consulta.next()) {
        QVariantList valores;
        valores.reserve(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            valores.append(consulta.value(i));
        r.m_registros.append(valores);
    }
    r.MoveFirst();
    return r;
}
