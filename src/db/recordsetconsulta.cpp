#include "db/recordsetconsulta.h"

#include "db/esquema.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

namespace {
Recordset::Tipo TipoDeEsquema(TipoColumna t) {
    switch (t) {
    case TipoColumna::Entero:
        return Recordset::Tipo::Entero;
    case TipoColumna::Texto:
        return Recordset::Tipo::Texto;
    case TipoColumna::Doble:
        return Recordset::Tipo::Doble;
    case TipoColumna::Fecha:
        return Recordset::Tipo::Fecha;
    case TipoColumna::FechaHora:
        return Recordset::Tipo::FechaHora;
    case TipoColumna::Booleano:
        return Recordset::Tipo::Booleano;
    }
    return Recordset::Tipo::Texto;
}

Recordset::Tipo TipoDeValor(const QMetaType& m) {
    switch (m.id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return Recordset::Tipo::Entero;
    case QMetaType::Double:
    case QMetaType::Float:
        return Recordset::Tipo::Doble;
    case QMetaType::QDate:
        return Recordset::Tipo::Fecha;
    case QMetaType::QDateTime:
        return Recordset::Tipo::FechaHora;
    case QMetaType::Bool:
        return Recordset::Tipo::Booleano;
    default:
        return Recordset::Tipo::Texto;
    }
}
} // namespace

RecordsetConsulta::RecordsetConsulta(QSqlDatabase db, const QString& sql,
                                     const QVariantList& parametros)
    : m_db(db), m_sql(sql), m_parametros(parametros), m_consulta(db) {}

bool RecordsetConsulta::Ejecuta() {
    m_consulta = QSqlQuery(m_db);
    m_consulta.setForwardOnly(true);
    m_abierto = false;
    m_vacio = true;
    m_alFinal = true;
    m_posicion = -1;
    if (!m_consulta.prepare(m_sql)) {
        m_error = m_consulta.lastError().text();
        return false;
    }
    for (const QVariant& p : m_parametros)
        m_consulta.addBindValue(p);
    if (!m_consulta.exec() || !m_consulta.isSelect()) {
        m_error = m_consulta.lastError().text();
        return false;
    }
    m_abierto = true;
    m_error.clear();
    if (m_consulta.next()) {
        m_vacio = false;
        m_alFinal = false;
        m_posicion = 0;
    } else if (m_consulta.lastError().isValid()) {
        m_error = m_consulta.lastError().text();
    }
    return true;
}

bool RecordsetConsulta::Abre() {
    if (!Ejecuta())
        return false;
    DeduceTipos();
    return true;
}

void RecordsetConsulta::DeduceTipos() {
    const QSqlRecord r = m_consulta.record();
    m_nombres.clear();
    m_tiposEfectivos.clear();
    for (int i = 0; i < r.count(); ++i) {
        const QString nombre = r.fieldName(i);
        m_nombres << nombre;
        if (i < m_tipos.size()) {
            m_tiposEfectivos << m_tipos.at(i);
            continue;
        }
        const ColumnaEsquema* columna = nullptr;
        for (const QString& tabla : m_tablas)
            if ((columna = Esquema::Columna(tabla, nombre)))
                break;
        if (columna)
            m_tiposEfectivos << TipoDeEsquema(columna->tipo);
        else if (!m_vacio && !m_consulta.value(i).isNull())
            m_tiposEfectivos << TipoDeValor(m_consulta.value(i).metaType());
        else
            m_tiposEfectivos << TipoDeValor(r.field(i).metaType());
    }
}

void RecordsetConsulta::Cierra() {
    m_consulta.finish();
    m_abierto = false;
    m_vacio = true;
    m_alFinal = true;
    m_posicion = -1;
}

QString RecordsetConsulta::NombreCampo(int i) const {
    return m_nombres.value(i);
}

Recordset::Tipo RecordsetConsulta::TipoCampo(int i) const {
    return (i >= 0 && i < m_tiposEfectivos.size()) ? m_tiposEfectivos.at(i) : Tipo::Nulo;
}

bool RecordsetConsulta::AlPrincipio() const {
    // A forward reading never stands before its first record, except when there is none.
    return m_vacio;
}

bool RecordsetConsulta::AlFinal() const {
    return m_vacio || m_alFinal;
}

void RecordsetConsulta::MoveFirst() {
    if (!m_abierto || m_posicion == 0)
        return;
    Ejecuta();
}

void RecordsetConsulta::MoveNext() {
    if (!m_abierto || m_alFinal)
        return;
    if (m_consulta.next()) {
        ++m_posicion;
    } else {
        m_alFinal = true;
        if (m_consulta.lastError().isValid())
            m_error = m_consulta.lastError().text();
    }
}

QVariant RecordsetConsulta::Valor(int i) const {
    if (!m_abierto || AlFinal() || i < 0 || i >= m_nombres.size())
        return QVariant();
    return m_consulta.value(i);
}
