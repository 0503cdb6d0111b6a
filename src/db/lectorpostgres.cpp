#include "db/lectorpostgres.h"

#include "db/esquema.h"

#include <charconv>
#include <libpq-fe.h>

namespace {
constexpr int kFilasPorLote = 4000;

// The server's built-in type numbers.
enum : unsigned {
    kBool = 16,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kText = 25,
    kFloat4 = 700,
    kFloat8 = 701,
    kBpchar = 1042,
    kVarchar = 1043,
    kDate = 1082,
    kTimestamp = 1114,
    kNumeric = 1700,
};

// "?" marks become the server's "$1", "$2"..., outside quoted text and names.
QByteArray Numerada(const QString& sql) {
    QByteArray r;
    const QByteArray s = sql.toUtf8();
    char cita = 0;
    int n = 0;
    for (char c : s) {
        if (cita) {
            cita = c == cita ? 0 : cita;
        } else if (c == '\'' || c == '"') {
            cita = c;
        } else if (c == '?') {
            r += '$' + QByteArray::number(++n);
            continue;
        }
        r += c;
    }
    return r;
}

// The server keeps unquoted names in lower case; a column of the schema takes its declared
// spelling back.
QString Declarado(const QString& nombre) {
    for (const TablaEsquema& t : Esquema::Tablas())
        if (const ColumnaEsquema* c = t.Columna(nombre))
            return c->nombre;
    return nombre;
}

int Contador() {
    static int n = 0;
    return ++n;
}
} // namespace

bool LectorPostgres::Falla() {
    m_error = QString::fromUtf8(PQerrorMessage(m_conexion)).trimmed();
    Finaliza();
    return false;
}

bool LectorPostgres::Orden(const QByteArray& sql) {
    PGresult* r = PQexec(m_conexion, sql.constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    return ok;
}

bool LectorPostgres::Ejecuta(const QString& sql, const QVariantList& parametros) {
    Finaliza();
    m_error.clear();
    if (PQtransactionStatus(m_conexion) == PQTRANS_IDLE) {
        if (!Orden("BEGIN READ ONLY"))
            return Falla();
        m_transaccionPropia = true;
    }
    QList<QByteArray> valores;
    std::vector<const char*> punteros;
    for (const QVariant& p : parametros) {
        valores << (p.typeId() == QMetaType::Bool ? QByteArray(p.toBool() ? "t" : "f")
                                                  : p.toString().toUtf8());
        punteros.push_back(p.isNull() ? nullptr : valores.last().constData());
    }
    const QByteArray cursor = "pesix_lectura_" + QByteArray::number(Contador());
    const QByteArray declara = "DECLARE " + cursor + " NO SCROLL CURSOR FOR " + Numerada(sql);
    PGresult* r = PQexecParams(m_conexion, declara.constData(), int(punteros.size()), nullptr,
                               punteros.data(), nullptr, nullptr, 0);
    const bool declarado = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
    if (!declarado)
        return Falla();
    m_cursor = cursor;
    if (!Lote())
        return false;
    for (int i = 0; i < PQnfields(m_lote); ++i) {
        m_nombres << Declarado(QString::fromUtf8(PQfname(m_lote, i)));
        m_tipos << PQftype(m_lote, i);
    }
    return true;
}

void LectorPostgres::Pide() {
    m_pedido = PQsendQuery(m_conexion, ("FETCH FORWARD " + QByteArray::number(kFilasPorLote) +
                                        " FROM " + m_cursor)
                                           .constData()) == 1;
}

// Reads the answers of a FETCH sent and not needed any more.
void LectorPostgres::Descarta() {
    if (!m_pedido)
        return;
    m_pedido = false;
    while (PGresult* r = PQgetResult(m_conexion))
        PQclear(r);
}

bool LectorPostgres::Lote() {
    PQclear(m_lote);
    m_lote = nullptr;
    if (!m_pedido)
        Pide();
    if (!m_pedido)
        return Falla();
    m_pedido = false;
    m_lote = PQgetResult(m_conexion);
    // The answer's end, which the connection needs read before it takes another command.
    while (PGresult* fin = PQgetResult(m_conexion))
        PQclear(fin);
    if (PQresultStatus(m_lote) != PGRES_TUPLES_OK)
        return Falla();
    m_filas = PQntuples(m_lote);
    m_fila = -1;
    m_ultimoLote = m_filas < kFilasPorLote;
    if (!m_ultimoLote)
        Pide();
    return true;
}

bool LectorPostgres::Siguiente() {
    if (!m_lote)
        return false;
    if (++m_fila < m_filas)
        return true;
    if (m_ultimoLote || !Lote())
        return false;
    return ++m_fila < m_filas;
}

void LectorPostgres::Finaliza() {
    Descarta();
    PQclear(m_lote);
    m_lote = nullptr;
    m_filas = 0;
    m_fila = -1;
    if (!m_cursor.isEmpty() && !m_transaccionPropia &&
        PQtransactionStatus(m_conexion) == PQTRANS_INTRANS)
        Orden("CLOSE " + m_cursor);
    m_cursor.clear();
    // Ending the transaction closes the cursor too; after an error it undoes nothing.
    if (m_transaccionPropia)
        Orden("COMMIT");
    m_transaccionPropia = false;
    m_nombres.clear();
    m_tipos.clear();
}

bool LectorPostgres::TipoDeclarado(int i, Recordset::Tipo& tipo) const {
    using T = Recordset::Tipo;
    switch (m_tipos.value(i)) {
    case kInt2:
    case kInt4:
    case kInt8:
        tipo = T::Entero;
        return true;
    case kFloat4:
    case kFloat8:
    case kNumeric:
        tipo = T::Doble;
        return true;
    case kDate:
        tipo = T::Fecha;
        return true;
    case kTimestamp:
        tipo = T::FechaHora;
        return true;
    case kBool:
        tipo = T::Booleano;
        return true;
    case kText:
    case kVarchar:
    case kBpchar:
        tipo = T::Texto;
        return true;
    }
    return false;
}

LectorConsulta::Almacenado LectorPostgres::TipoAlmacenado(int i) const {
    if (!m_lote || m_fila < 0 || m_fila >= m_filas || i < 0 || i >= m_tipos.size() ||
        PQgetisnull(m_lote, m_fila, i))
        return Almacenado::Nulo;
    switch (m_tipos.at(i)) {
    case kBool:
    case kInt2:
    case kInt4:
    case kInt8:
        return Almacenado::Entero;
    case kFloat4:
    case kFloat8:
    case kNumeric:
        return Almacenado::Real;
    }
    return Almacenado::Texto; // dates and times in their ISO form, like the file's
}

qint64 LectorPostgres::Entero(int i) const {
    const QByteArrayView t = Utf8(i);
    if (m_tipos.value(i) == kBool)
        return t == "t" ? 1 : 0;
    qint64 v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

double LectorPostgres::Real(int i) const {
    const QByteArrayView t = Utf8(i);
    double v = 0;
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

QByteArrayView LectorPostgres::TextoReal(int i) const {
    return TipoAlmacenado(i) == Almacenado::Real ? Utf8(i) : QByteArrayView();
}

QByteArrayView LectorPostgres::Utf8(int i) const {
    if (!m_lote || m_fila < 0 || m_fila >= m_filas || i < 0 || i >= m_tipos.size())
        return {};
    return QByteArrayView(PQgetvalue(m_lote, m_fila, i), PQgetlength(m_lote, m_fila, i));
}
