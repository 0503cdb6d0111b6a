#include "masters/kelbrowsemodel.h"

#include "db/basedatos.h"
#include "db/conexionpostgres.h"
#include "db/esquema.h"

#include <QDate>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>

namespace {

// The statement without trailing spaces and semicolons, so that it can stand as a subquery.
QString SinTerminador(const QString& sql) {
    QString s = sql.trimmed();
    while (s.endsWith(';'))
        s = s.chopped(1).trimmed();
    return s;
}

QStringList TablasDe(const QString& sql) {
    static const QRegularExpression re(R"(\b(?:FROM|JOIN)\s+["\[`]?(\w+))",
                                       QRegularExpression::CaseInsensitiveOption);
    QStringList tablas;
    auto it = re.globalMatch(sql);
    while (it.hasNext())
        tablas << it.next().captured(1);
    return tablas;
}

// A value's place between `a` and `b` as a fraction, for numbers, dates and text (by its first
// letters after those the two share, read as digits where all three have digits).
double Fraccion(const QVariant& v, const QVariant& a, const QVariant& b) {
    const auto numero = [](const QVariant& x) -> double {
        switch (x.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Double:
            return x.toDouble();
        case QMetaType::QDate:
            return double(x.toDate().toJulianDay());
        default:
            return std::nan("");
        }
    };
    double x = numero(v), desde = numero(a), hasta = numero(b);
    if (std::isnan(x) || std::isnan(desde) || std::isnan(hasta)) {
        const QString t[3] = {v.toString().toCaseFolded(), a.toString().toCaseFolded(),
                              b.toString().toCaseFolded()};
        qsizetype comun = 0;
        while (comun < t[1].size() && comun < t[2].size() && t[1][comun] == t[2][comun])
            ++comun;
        double valor[3] = {0, 0, 0}, peso = 1;
        for (qsizetype i = comun; i < comun + 6; ++i) {
            const auto letra = [&](int k) { return i < t[k].size() ? t[k][i] : QChar(); };
            const bool digitos = std::all_of(std::begin(t), std::end(t), [&](const QString& s) {
                return i >= s.size() || s[i].isDigit();
            });
            const double base = digitos ? 10 : 128;
            peso /= base;
            for (int k = 0; k < 3; ++k) {
                const QChar c = letra(k);
                const double d =
                    digitos ? (c.isNull() ? 0 : c.digitValue()) : std::min<int>(c.unicode(), 127);
                valor[k] += peso * d;
            }
        }
        x = valor[0];
        desde = valor[1];
        hasta = valor[2];
    }
    if (!(hasta > desde))
        return 0;
    return std::clamp((x - desde) / (hasta - desde), 0.0, 1.0);
}
} // namespace

kelBrowseModel::kelBrowseModel(QObject* parent) : QAbstractTableModel(parent) {}

kelBrowseModel::~kelBrowseModel() = default;

QString kelBrowseModel::Columna(int c) const {
    QString nombre = m_registro.fieldName(c);
    nombre.replace('"', "\"\"");
    // A column of the schema compares and orders by its declared collation, which its indexes
    // share; computed text is given the one of keys.
    return BaseDatos::SinMayusculas(m_db, '"' + nombre + '"', m_calculada.value(c, true));
}

QString kelBrowseModel::Orden(const QList<int>& columnas, bool asc) const {
    QStringList t;
    for (int c : columnas)
        t << Columna(c) + (asc ? "" : " DESC");
    return t.join(", ");
}

// The key columns other than the sort column: together they place every row.
QList<int> kelBrowseModel::Desempate() const {
    QList<int> t = m_clave;
    t.removeAll(m_columnaOrden);
    return t;
}

std::vector<kelBrowseModel::Fila> kelBrowseModel::Ejecuta(const Sentencia& s) const {
    std::vector<Fila> filas;
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(s.sql);
    for (const QVariant& v : s.valores)
        q.addBindValue(v);
    if (!q.exec())
        return filas;
    const int columnas = q.record().count();
    while (q.next()) {
        Fila f(columnas);
        for (int c = 0; c < columnas; ++c)
            f[c] = q.value(c);
        filas.push_back(std::move(f));
    }
    return filas;
}

std::vector<kelBrowseModel::Fila> kelBrowseModel::Lee(bool adelante, const Fila* desde, int n,
                                                      bool cuenta) const {
    // A row-value comparison passes no null, so rows without a sort value are a stretch of the
    // list of their own: first on SQLite, last on a server, read in the order of their key.
    const bool asc = (m_orden == Qt::AscendingOrder) == adelante;
    const bool nulosPrimero = ConexionPostgres::EsPostgres(m_db) != asc;
    const int s = m_columnaOrden;
    const QList<int> desempate = Desempate();
    const bool nulos[2] = {nulosPrimero, !nulosPrimero};
    const QString base = "SELECT * FROM (" + SinTerminador(m_sql) + ") AS lista WHERE ";
    int tramo = desde && desde->at(s).isNull() != nulos[0] ? 1 : 0;
    std::vector<Fila> filas;
    qint64 contadas = 0;
    for (; tramo < 2 && contadas < n; ++tramo) {
        const bool nulo = nulos[tramo];
        QList<int> columnas = desempate;
        if (!nulo)
            columnas.prepend(s);
        Sentencia st{base + Columna(s) + (nulo ? " IS NULL" : " IS NOT NULL"), {}};
        if (desde && filas.empty() && contadas == 0 && desde->at(s).isNull() == nulo) {
            if (columnas.isEmpty())
                continue;
            QStringList exprs, marcas;
            for (int c : columnas) {
                exprs << Columna(c);
                marcas << "?";
                st.valores << desde->at(c);
            }
            st.sql +=
                " AND (" + exprs.join(", ") + (asc ? ") > (" : ") < (") + marcas.join(", ") + ")";
        }
        const int quedan = int(n - contadas);
        if (cuenta) {
            st.sql = "SELECT count(*) FROM (" + st.sql.replace(0, 8, "SELECT 1") + " LIMIT " +
                     QString::number(quedan) + ") AS c";
            const auto r = Ejecuta(st);
            contadas += r.empty() ? 0 : r.front().value(0).toLongLong();
            continue;
        }
        st.sql += " ORDER BY " + Orden(columnas, asc) + " LIMIT " + QString::number(quedan);
        auto leidas = Ejecuta(st);
        contadas += qint64(leidas.size());
        filas.insert(filas.end(), std::make_move_iterator(leidas.begin()),
                     std::make_move_iterator(leidas.end()));
    }
    if (cuenta)
        filas = {Fila{contadas}};
    return filas;
}

qint64 kelBrowseModel::Cuenta(bool adelante, const Fila& desde, int cota) const {
    return Lee(adelante, &desde, cota, true).front().value(0).toLongLong();
}

QString kelBrowseModel::ConsultaPrimeras(int filas) const {
    QList<int> columnas = Desempate();
    columnas.prepend(m_columnaOrden);
    return "SELECT * FROM (" + SinTerminador(m_sql) + ") AS lista ORDER BY " +
           Orden(columnas, m_orden == Qt::AscendingOrder) + " LIMIT " + QString::number(filas);
}

Resultado kelBrowseModel::Abre(QSqlDatabase db, const QString& sql, const QStringList& clave) {
    beginResetModel();
    m_db = db;
    m_sql = sql;
    m_tablas = TablasDe(sql);
    m_filas.clear();
    m_hayAntes = m_hayDespues = false;
    m_inicio = m_total = 0;
    QSqlQuery q(db);
    if (!q.exec("SELECT * FROM (" + SinTerminador(sql) + ") AS lista WHERE 1 = 0")) {
        m_registro = QSqlRecord();
        m_visibles = 0;
        endResetModel();
        return Resultado::Fallo(BaseDatos::TextoError(q.lastError()));
    }
    m_registro = q.record();
    m_clave.clear();
    for (const QString& c : clave)
        if (const int i = m_registro.indexOf(c); i >= 0)
            m_clave << i;
    m_visibles = m_registro.count() - int(m_clave.size());
    if (m_clave.isEmpty())
        m_clave << 0;
    m_calculada.clear();
    for (int c = 0; c < m_registro.count(); ++c)
        m_calculada << std::none_of(m_tablas.begin(), m_tablas.end(), [&](const QString& t) {
            return Esquema::Columna(t, m_registro.fieldName(c)) != nullptr;
        });
    m_columnaOrden = std::min(1, m_visibles - 1);
    m_orden = Qt::AscendingOrder;
    endResetModel();
    CuentaTotal();
    AlPrincipio();
    return Resultado::Exito();
}

void kelBrowseModel::CuentaTotal() {
    // Counting a large table goes through all of it: its size is estimated instead, from the
    // highest row number of a file's table or the server's own figure, and counted when small.
    QSqlQuery q(m_db);
    const bool servidor = ConexionPostgres::EsPostgres(m_db);
    m_total = -1;
    if (m_tablas.size() == 1) {
        q.prepare(servidor ? "SELECT reltuples::bigint FROM pg_class WHERE oid = to_regclass(?)"
                           : "SELECT max(rowid) FROM \"" + m_tablas.first() + '"');
        if (servidor)
            q.addBindValue(m_tablas.first().toLower());
        if (q.exec() && q.next() && q.value(0).toLongLong() > 50000)
            m_total = q.value(0).toLongLong();
    }
    if (m_total < 0)
        m_total = q.exec("SELECT count(*) FROM (" + SinTerminador(m_sql) + ") AS lista") && q.next()
                      ? q.value(0).toLongLong()
                      : 0;
}

void kelBrowseModel::Cierra() {
    beginResetModel();
    m_filas.clear();
    m_registro = QSqlRecord();
    m_visibles = 0;
    m_hayAntes = m_hayDespues = false;
    m_inicio = m_total = 0;
    m_sql.clear();
    endResetModel();
}

void kelBrowseModel::Pon(std::deque<Fila> filas, bool hayAntes, bool hayDespues, qint64 inicio) {
    beginResetModel();
    m_filas = std::move(filas);
    m_hayAntes = hayAntes;
    m_hayDespues = hayDespues;
    m_inicio = inicio;
    m_exacto = true;
    const auto n = qint64(m_filas.size());
    if (!hayAntes && !hayDespues)
        m_total = n;
    else if (!hayAntes)
        m_total = std::max(m_total, n + 1);
    else if (!hayDespues)
        m_inicio = std::max<qint64>(1, m_total - n);
    m_total = std::max(m_total, m_inicio + n + (hayDespues ? 1 : 0));
    endResetModel();
}

void kelBrowseModel::AlPrincipio() {
    if (m_registro.isEmpty())
        return;
    auto filas = Lee(true, nullptr, Lote + 1);
    const bool mas = int(filas.size()) > Lote;
    if (mas)
        filas.pop_back();
    Pon(std::deque<Fila>(filas.begin(), filas.end()), false, mas, 0);
}

void kelBrowseModel::AlFinal() {
    if (m_registro.isEmpty())
        return;
    auto filas = Lee(false, nullptr, Lote + 1);
    const bool mas = int(filas.size()) > Lote;
    if (mas)
        filas.pop_back();
    Pon(std::deque<Fila>(filas.rbegin(), filas.rend()), mas, false, 0);
}

void kelBrowseModel::Salta(qint64 posicion) {
    if (m_registro.isEmpty())
        return;
    // A place is found by skipping rows along the order's index: from the nearer end.
    posicion = std::clamp<qint64>(posicion, 0, std::max<qint64>(0, m_total - 1));
    const qint64 desde = std::max<qint64>(0, posicion - Margen);
    const bool delFinal = desde > m_total / 2;
    QList<int> columnas = Desempate();
    columnas.prepend(m_columnaOrden);
    const bool asc = (m_orden == Qt::AscendingOrder) != delFinal;
    const qint64 saltadas = delFinal ? std::max<qint64>(0, m_total - desde - Lote) : desde;
    auto filas = Ejecuta({"SELECT * FROM (" + SinTerminador(m_sql) + ") AS lista ORDER BY " +
                              Orden(columnas, asc) + " LIMIT " + QString::number(Lote + 1) +
                              " OFFSET " + QString::number(saltadas),
                          {}});
    const bool mas = int(filas.size()) > Lote;
    if (mas)
        filas.pop_back();
    if (delFinal)
        std::reverse(filas.begin(), filas.end());
    const qint64 inicio = delFinal ? m_total - saltadas - qint64(filas.size()) : saltadas;
    Pon(std::deque<Fila>(filas.begin(), filas.end()), delFinal ? mas : saltadas > 0,
        delFinal ? saltadas > 0 : mas, std::max<qint64>(0, inicio));
}

int kelBrowseModel::Situa(const Fila& fila) {
    const int mitad = Lote / 2;
    auto antes = Lee(false, &fila, mitad + 1);
    auto despues = Lee(true, &fila, mitad + 1);
    const bool hayAntes = int(antes.size()) > mitad, hayDespues = int(despues.size()) > mitad;
    if (hayAntes)
        antes.pop_back();
    if (hayDespues)
        despues.pop_back();
    std::deque<Fila> filas(antes.rbegin(), antes.rend());
    const int indice = int(filas.size());
    filas.push_back(fila);
    filas.insert(filas.end(), despues.begin(), despues.end());
    // The row's place: counted from the nearer end when it is near one, else estimated.
    qint64 lugar = indice;
    bool exacto = true;
    if (hayAntes) {
        if (const qint64 n = Cuenta(false, fila, Cota + 1); n <= Cota)
            lugar = n;
        else if (const qint64 m = Cuenta(true, fila, Cota + 1); m <= Cota)
            lugar = m_total - 1 - m;
        else {
            const Fila primera = Lee(true, nullptr, 1).front();
            const Fila ultima = Lee(false, nullptr, 1).front();
            lugar = std::clamp<qint64>(qint64(Lugar(fila, primera, ultima) * double(m_total - 1)),
                                       Cota + 1, std::max<qint64>(Cota + 1, m_total - Cota - 2));
            exacto = false;
        }
    }
    Pon(std::move(filas), hayAntes, hayDespues, std::max<qint64>(0, lugar - indice));
    m_exacto = exacto;
    return indice;
}

double kelBrowseModel::Lugar(const Fila& fila, const Fila& primera, const Fila& ultima) const {
    const int s = m_columnaOrden;
    return Fraccion(fila.at(s), primera.at(s), ultima.at(s));
}

int kelBrowseModel::BuscaFila(const QString& texto) {
    if (m_registro.isEmpty())
        return -1;
    // The first column identifies a row: looked up by its index.
    const auto filas = Ejecuta({"SELECT * FROM (" + SinTerminador(m_sql) + ") AS lista WHERE " +
                                    Columna(0) + " = ? LIMIT 1",
                                {texto}});
    return filas.empty() ? -1 : Situa(filas.front());
}

int kelBrowseModel::BuscaPrefijo(const QString& texto) {
    if (m_registro.isEmpty() || texto.isEmpty())
        return -1;
    // The rows starting with the text follow each other: the first of them is the first at or
    // after the text (before the text followed by the last character, going down).
    const bool asc = m_orden == Qt::AscendingOrder;
    QList<int> columnas = Desempate();
    columnas.prepend(m_columnaOrden);
    const auto filas = Ejecuta({"SELECT * FROM (" + SinTerminador(m_sql) + ") AS lista WHERE " +
                                    Columna(m_columnaOrden) + (asc ? " >= ?" : " <= ?") +
                                    " ORDER BY " + Orden(columnas, asc) + " LIMIT 1",
                                {asc ? texto : texto + QChar(0xFFFF)}});
    if (filas.empty() ||
        !TextoDe(filas.front(), m_columnaOrden).startsWith(texto, Qt::CaseInsensitive))
        return -1;
    return Situa(filas.front());
}

int kelBrowseModel::Asegura(int primera, int ultima) {
    int delta = 0;
    if (m_hayAntes && primera < Margen && !m_filas.empty()) {
        auto filas = Lee(false, &m_filas.front(), Lote + 1);
        m_hayAntes = int(filas.size()) > Lote;
        if (m_hayAntes)
            filas.pop_back();
        const int k = int(filas.size());
        if (k > 0) {
            beginInsertRows(QModelIndex(), 0, k - 1);
            m_filas.insert(m_filas.begin(), filas.rbegin(), filas.rend());
            endInsertRows();
        }
        m_inicio = m_hayAntes ? std::max<qint64>(1, m_inicio - k) : 0;
        if (!m_hayAntes)
            m_exacto = true;
        delta += k;
        primera += k;
        ultima += k;
    }
    if (m_hayDespues && ultima >= int(m_filas.size()) - Margen && !m_filas.empty()) {
        auto filas = Lee(true, &m_filas.back(), Lote + 1);
        m_hayDespues = int(filas.size()) > Lote;
        if (m_hayDespues)
            filas.pop_back();
        if (!filas.empty()) {
            const int n = int(m_filas.size());
            beginInsertRows(QModelIndex(), n, n + int(filas.size()) - 1);
            m_filas.insert(m_filas.end(), filas.begin(), filas.end());
            endInsertRows();
        }
    }
    const int sobran = int(m_filas.size()) - Maximo;
    if (sobran > 0) {
        // Rows far from the visible ones go, on the side that has more of them.
        const int arriba = std::min(sobran, primera - Margen);
        const int abajo = std::min(sobran, int(m_filas.size()) - 1 - ultima - Margen);
        if (arriba > 0 && arriba >= abajo) {
            beginRemoveRows(QModelIndex(), 0, arriba - 1);
            m_filas.erase(m_filas.begin(), m_filas.begin() + arriba);
            endRemoveRows();
            m_hayAntes = true;
            m_inicio += arriba;
            delta -= arriba;
        } else if (abajo > 0) {
            const int n = int(m_filas.size());
            beginRemoveRows(QModelIndex(), n - abajo, n - 1);
            m_filas.erase(m_filas.end() - abajo, m_filas.end());
            endRemoveRows();
            m_hayDespues = true;
        }
    }
    // At the end, the place of the rows is known from the count, or the count from the place.
    const auto n = qint64(m_filas.size());
    if (!m_hayDespues) {
        if (!m_hayAntes)
            m_total = n;
        else if (m_exacto)
            m_total = m_inicio + n;
        else
            m_inicio = std::max<qint64>(1, m_total - n);
    }
    m_total = std::max(m_total, m_inicio + n + (m_hayDespues ? 1 : 0));
    return delta;
}

bool kelBrowseModel::Recorre(int lote,
                             const std::function<bool(const std::vector<Fila>&)>& cada) const {
    if (m_registro.isEmpty())
        return true;
    std::vector<Fila> filas = Lee(true, nullptr, lote);
    while (!filas.empty()) {
        if (!cada(filas))
            return false;
        if (int(filas.size()) < lote)
            break;
        const Fila ultima = filas.back();
        filas = Lee(true, &ultima, lote);
    }
    return true;
}

void kelBrowseModel::SetTitulos(const QStringList& titulos) {
    m_titulos = titulos;
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

QString kelBrowseModel::Titulo(int columna) const {
    if (columna >= 0 && columna < m_titulos.size())
        return m_titulos.at(columna);
    return m_registro.fieldName(columna);
}

int kelBrowseModel::TamanoDefinido(int columna) const {
    if (columna < 0 || columna >= m_registro.count())
        return -1;
    const QString nombre = m_registro.fieldName(columna);
    for (const QString& tabla : m_tablas) {
        const ColumnaEsquema* c = Esquema::Columna(tabla, nombre);
        if (!c)
            continue;
        switch (c->tipo) {
        case TipoColumna::Texto:
            return c->tamano;
        case TipoColumna::Entero:
            return 11; // "-2147483648"
        case TipoColumna::Doble:
        case TipoColumna::Fecha:
        case TipoColumna::FechaHora:
            return 8;
        case TipoColumna::Booleano:
            return 2;
        }
    }
    return -1;
}

QString kelBrowseModel::TextoDe(const Fila& fila, int columna) const {
    if (columna < 0 || columna >= fila.size())
        return QString();
    const QVariant& v = fila.at(columna);
    if (v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15).replace('.', m_separadorDecimal);
    return v.toString();
}

QString kelBrowseModel::Texto(int fila, int columna) const {
    if (fila < 0 || fila >= int(m_filas.size()))
        return QString();
    return TextoDe(m_filas[size_t(fila)], columna);
}

Qt::Alignment kelBrowseModel::AlineacionDe(const Fila& fila, int columna) {
    switch (fila.value(columna).typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

Qt::Alignment kelBrowseModel::Alineacion(int fila, int columna) const {
    return AlineacionDe(fila >= 0 && fila < int(m_filas.size()) ? m_filas[size_t(fila)] : Fila(),
                        columna);
}

int kelBrowseModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_filas.size());
}

int kelBrowseModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_visibles;
}

QVariant kelBrowseModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return Texto(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(Alineacion(index.row(), index.column()));
    return QVariant();
}

QVariant kelBrowseModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return Titulo(section);
    return m_inicio + section + 1;
}

void kelBrowseModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columnCount() || m_sql.isEmpty())
        return;
    m_columnaOrden = column;
    m_orden = order;
    AlPrincipio();
}
