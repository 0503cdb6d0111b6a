#include "ticket/modelocolumnas.h"

#include "app/cmnlanguaje.h"
#include "notedata/columnasalbaran.h"

#include <algorithm>

ModeloColumnas::ModeloColumnas(int minimo, QObject* parent)
    : QAbstractListModel(parent), m_minimo(minimo) {}

void ModeloColumnas::SetMarcada(int columna, bool marcada) {
    m_marcadas.at(columna - 1) = marcada;
    const QModelIndex i = index(columna - 1);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

int ModeloColumnas::Marcadas() const {
    return int(std::count(m_marcadas.begin(), m_marcadas.end(), true));
}

int ModeloColumnas::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : Numero;
}

QVariant ModeloColumnas::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid())
        return {};
    if (rol == Qt::DisplayRole)
        return Texto(ColumnasAlbaran::TitulosColumna(indice.row() + 1));
    if (rol == Qt::CheckStateRole)
        return m_marcadas.at(indice.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool ModeloColumnas::setData(const QModelIndex& indice, const QVariant& valor, int rol) {
    if (!indice.isValid() || rol != Qt::CheckStateRole)
        return false;
    const bool marcada = valor.toInt() == Qt::Checked;
    if (!marcada && m_marcadas.at(indice.row()) && Marcadas() <= m_minimo)
        return false;
    SetMarcada(indice.row() + 1, marcada);
    return true;
}

Qt::ItemFlags ModeloColumnas::flags(const QModelIndex& indice) const {
    return QAbstractListModel::flags(indice) | Qt::ItemIsUserCheckable;
}
