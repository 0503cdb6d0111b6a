#include "ticket/modelocodigoscontrol.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/basedatos.h"
#include "db/esquema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
const char* const kCampos[] = {"Macro", "ValorHexPeriferico", "ValorStringPantalla", "Descripcion"};
const int kTitulos[] = {IdTexto::Macro, IdTexto::CodigosImpresora, IdTexto::CodigosPantalla,
                        IdTexto::Descripcion};

Resultado Falla(const QSqlQuery& q) {
    return Resultado::Fallo(BaseDatos::TextoError(q.lastError()));
}
} // namespace

ModeloCodigosControl::ModeloCodigosControl(QSqlDatabase db, QObject* parent)
    : QAbstractTableModel(parent), m_db(db) {}

Resultado ModeloCodigosControl::Carga() {
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT Macro, ValorHexPeriferico, ValorStringPantalla, "
                               "Descripcion FROM CodigosDeControl ORDER BY ") +
                BaseDatos::OrdenDeAlta(m_db)))
        return Falla(q);
    QList<Fila> filas;
    while (q.next()) {
        Fila f;
        for (int c = 0; c < NumColumnas; ++c)
            f.valores[c] = q.value(c).toString();
        f.macroGuardada = f.valores[Macro];
        f.guardada = true;
        filas << f;
    }
    beginResetModel();
    m_filas = filas;
    endResetModel();
    return Resultado::Exito();
}

std::optional<QString> ModeloCodigosControl::Hexadecimal(const QString& texto) {
    if (!CompruebaCodigo(texto))
        return std::nullopt;
    return texto.trimmed().toUpper();
}

Resultado ModeloCodigosControl::CompruebaCodigo(const QString& texto) {
    const QString codigo = texto.trimmed().toUpper();
    for (const QChar c : codigo)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            return Resultado::Fallo(Texto(IdTexto::CodigoNoHexadecimal).arg(texto.trimmed()));
    if (codigo.size() % 2 != 0)
        return Resultado::Fallo(Texto(IdTexto::CodigoImpar).arg(texto.trimmed()));
    return Resultado::Exito();
}

int ModeloCodigosControl::Longitud(int columna) {
    const ColumnaEsquema* c =
        Esquema::Tabla(QStringLiteral("CodigosDeControl"))->Columna(kCampos[columna]);
    return c ? c->tamano : 0;
}

QString ModeloCodigosControl::Valor(int fila, int columna) const {
    return fila < m_filas.size() ? m_filas[fila].valores.at(columna) : QString();
}

Resultado ModeloCodigosControl::GuardaFila(int fila) {
    if (fila < 0 || fila >= m_filas.size() || !m_filas[fila].cambiada)
        return Resultado::Exito();
    Fila& f = m_filas[fila];
    if (!f.guardada && f.valores[Macro].isEmpty())
        return Resultado::Exito();
    QSqlQuery q(m_db);
    q.prepare(f.guardada ? QStringLiteral("UPDATE CodigosDeControl SET Macro = ?, "
                                          "ValorHexPeriferico = ?, ValorStringPantalla = ?, "
                                          "Descripcion = ? WHERE Macro = ?")
                         : QStringLiteral("INSERT INTO CodigosDeControl (Macro, "
                                          "ValorHexPeriferico, ValorStringPantalla, "
                                          "Descripcion) VALUES (?, ?, ?, ?)"));
    for (const QString& v : f.valores)
        q.addBindValue(v);
    if (f.guardada)
        q.addBindValue(f.macroGuardada);
    if (const Resultado r = BaseDatos::Escribe(q); !r)
        return r;
    f.macroGuardada = f.valores[Macro];
    f.guardada = true;
    f.cambiada = false;
    return Resultado::Exito();
}

Resultado ModeloCodigosControl::BorraFila(int fila) {
    if (fila < 0 || fila >= m_filas.size())
        return Resultado::Exito();
    if (m_filas[fila].guardada) {
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("DELETE FROM CodigosDeControl WHERE Macro = ?"));
        q.addBindValue(m_filas[fila].macroGuardada);
        if (!q.exec())
            return Falla(q);
    }
    beginRemoveRows({}, fila, fila);
    m_filas.removeAt(fila);
    endRemoveRows();
    return Resultado::Exito();
}

int ModeloCodigosControl::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : int(m_filas.size()) + 1;
}

int ModeloCodigosControl::columnCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : NumColumnas;
}

QVariant ModeloCodigosControl::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid() || (rol != Qt::DisplayRole && rol != Qt::EditRole))
        return {};
    return Valor(indice.row(), indice.column());
}

QVariant ModeloCodigosControl::headerData(int seccion, Qt::Orientation orientacion, int rol) const {
    if (orientacion == Qt::Horizontal && rol == Qt::DisplayRole && seccion >= 0 &&
        seccion < NumColumnas)
        return Texto(kTitulos[seccion]);
    return QAbstractTableModel::headerData(seccion, orientacion, rol);
}

bool ModeloCodigosControl::setData(const QModelIndex& indice, const QVariant& valor, int rol) {
    if (!indice.isValid() || rol != Qt::EditRole)
        return false;
    QString texto = valor.toString();
    if (indice.column() == Impresora || indice.column() == Pantalla) {
        const std::optional<QString> codigo = Hexadecimal(texto);
        if (!codigo)
            return false;
        texto = *codigo;
    }
    const int fila = indice.row();
    if (fila == m_filas.size()) {
        if (texto.isEmpty())
            return true; // nothing typed in the new row
        // The row typed in becomes a code; a new empty row follows it.
        beginInsertRows({}, fila + 1, fila + 1);
        m_filas.append(Fila{});
        endInsertRows();
    }
    Fila& f = m_filas[fila];
    if (f.valores.at(indice.column()) == texto)
        return true;
    f.valores.at(indice.column()) = texto;
    f.cambiada = true;
    emit dataChanged(indice, indice);
    return true;
}

Qt::ItemFlags ModeloCodigosControl::flags(const QModelIndex& indice) const {
    return QAbstractTableModel::flags(indice) | Qt::ItemIsEditable;
}
