#include "db/recordsetconsulta.h"

#include "db/basedatos.h"
#include "db/esquema.h"
#include "db/plazoservidor.h"

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

} // namespace

RecordsetConsulta::RecordsetConsulta(QSqlDatabase db, const QString& sql,
                                     const QVariantList& parametros)
    : m_db(db), m_sql(sql), m_parametros(parametros) {}

RecordsetConsulta::~RecordsetConsulta() {
    Finaliza();
}

void RecordsetConsulta::Finaliza() {
    if (m_lector)
        m_lector->Finaliza();
    m_abierto = false;
    m_vacio = true;
    m_alFinal = true;
    m_posicion = -1;
}

bool RecordsetConsulta::Ejecuta() {
    Finaliza();
    if (!m_lector)
        m_lector = LectorConsulta::Para(m_db);
    if (!m_lector) {
        m_error = QStringLiteral("the database connection is not open");
        return false;
    }
    if (!m_lector->Ejecuta(m_sql, m_parametros)) {
        m_error = m_lector->Error();
        return false;
    }
    m_abierto = true;
    m_error.clear();
    if (m_lector->Siguiente()) {
        m_vacio = false;
        m_alFinal = false;
        m_posicion = 0;
    } else {
        m_error = m_lector->Error();
    }
    return true;
}

Resultado RecordsetConsulta::Abre() {
    // A server connection lost since its last use is opened again, and a new reader taken. A
    // server that does not answer fails that within the connection's limit; the query's own
    // answers may take longer when asked.
    {
        const PlazoServidor plazo(m_db);
        if (const Resultado r = BaseDatos::Conecta(m_db); !r) {
            m_error = r.Error();
            return r;
        }
    }
    const PlazoServidor plazo(m_db, m_espera);
    m_lector.reset();
    if (!Ejecuta())
        return Resultado::Fallo(m_error);
    DeduceTipos();
    return {};
}

void RecordsetConsulta::DeduceTipos() {
    m_nombres.clear();
    m_tiposEfectivos.clear();
    const int n = m_lector->NumCampos();
    for (int i = 0; i < n; ++i) {
        const QString nombre = m_lector->NombreCampo(i);
        m_nombres << nombre;
        if (i < m_tipos.size()) {
            m_tiposEfectivos << m_tipos.at(i);
            continue;
        }
        const ColumnaEsquema* columna = nullptr;
        for (const QString& tabla : std::as_const(m_tablas))
            if ((columna = Esquema::Columna(tabla, nombre)))
                break;
        Tipo t = Tipo::Texto;
        if (columna)
            t = TipoDeEsquema(columna->tipo);
        else if (m_lector->TipoDeclarado(i, t))
            ;
        else if (!m_vacio)
            switch (TipoAlmacenado(i)) {
            case Almacenado::Entero:
                t = Tipo::Entero;
                break;
            case Almacenado::Real:
                t = Tipo::Doble;
                break;
            default:
                break;
            }
        m_tiposEfectivos << t;
    }
}

void RecordsetConsulta::Cierra() {
    Finaliza();
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
    if (!m_abierto || AlFinal())
        return;
    if (m_lector->Siguiente()) {
        ++m_posicion;
        return;
    }
    m_alFinal = true;
    m_error = m_lector->Error();
}

bool RecordsetConsulta::EnColumna(int i) const {
    return m_abierto && !AlFinal() && i >= 0 && i < m_nombres.size();
}

RecordsetConsulta::Almacenado RecordsetConsulta::TipoAlmacenado(int i) const {
    return EnColumna(i) ? m_lector->TipoAlmacenado(i) : Almacenado::Nulo;
}

qint64 RecordsetConsulta::Entero(int i) const {
    return EnColumna(i) ? m_lector->Entero(i) : 0;
}

double RecordsetConsulta::Real(int i) const {
    return EnColumna(i) ? m_lector->Real(i) : 0;
}

QByteArrayView RecordsetConsulta::Utf8(int i) const {
    return EnColumna(i) ? m_lector->Utf8(i) : QByteArrayView();
}

QByteArrayView RecordsetConsulta::TextoReal(int i) const {
    return EnColumna(i) ? m_lector->TextoReal(i) : QByteArrayView();
}

QVariant RecordsetConsulta::Valor(int i) const {
    if (!EnColumna(i))
        return QVariant();
    switch (TipoAlmacenado(i)) {
    case Almacenado::Entero:
        return QVariant(qlonglong(Entero(i)));
    case Almacenado::Real:
        return QVariant(Real(i));
    case Almacenado::Texto:
        return QVariant(QString::fromUtf8(Utf8(i)));
    case Almacenado::Binario:
        return QVariant(Utf8(i).toByteArray());
    case Almacenado::Nulo:
        break;
    }
    return QVariant(QMetaType::fromType<QString>()); // null
}
