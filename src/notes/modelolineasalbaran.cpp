#include "notes/modelolineasalbaran.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "notedata/columnasalbaran.h"
#include "notedata/reglaslinea.h"
#include "notedata/totalesalbaran.h"

#include <QColor>
#include <QFont>

ModeloLineasAlbaran::ModeloLineasAlbaran(const ReglasLinea& reglas, QObject* parent)
    : QAbstractTableModel(parent), m_reglas(reglas) {}

void ModeloLineasAlbaran::SetLineas(const LineasAlbaran& lineas) {
    beginResetModel();
    m_lineas = lineas;
    m_filaEditada = -1;
    endResetModel();
}

void ModeloLineasAlbaran::SetUnidad(const QString& unidad) {
    m_unidad = unidad;
    emit headerDataChanged(Qt::Horizontal, 0, LineasAlbaran::Columnas - 1);
}

QString ModeloLineasAlbaran::Celda(int fila, int columna) const {
    if (fila == m_filaEditada)
        return m_edicion[columna - 1];
    return fila >= 0 && fila < m_lineas.Count() ? m_lineas.Celda(fila, columna) : QString();
}

LineasAlbaran ModeloLineasAlbaran::LineasMostradas() const {
    LineasAlbaran lineas = m_lineas;
    if (m_filaEditada >= 0 && m_filaEditada < lineas.Count())
        lineas.Reemplaza(m_filaEditada, m_edicion);
    else if (m_filaEditada >= 0 && !LineasAlbaran::EnBlanco(m_edicion))
        lineas.Add(m_edicion);
    return lineas;
}

FilaAlbaran& ModeloLineasAlbaran::Edita(int fila) {
    if (m_filaEditada != fila) {
        ConfirmaFila();
        m_filaEditada = fila;
        m_edicion = fila < m_lineas.Count() ? m_lineas.Item(fila) : FilaAlbaran{};
    }
    return m_edicion;
}

void ModeloLineasAlbaran::Cambiada(int fila) {
    emit dataChanged(index(fila, 0), index(fila, LineasAlbaran::Columnas - 1));
}

void ModeloLineasAlbaran::EligeProducto(int fila, const QString& codigo) {
    if (codigo.isEmpty())
        return;
    m_reglas.EligeProducto(Edita(fila), codigo);
    Cambiada(fila);
}

void ModeloLineasAlbaran::EligeTara(int fila, const QString& codigo) {
    if (codigo.isEmpty())
        return;
    m_reglas.EligeTara(Edita(fila), codigo);
    Cambiada(fila);
}

void ModeloLineasAlbaran::TomaLectura(int fila, const Lectura& lectura, qint64 idPesada) {
    // A reply, or a frame without a figure, weighs 0.
    m_reglas.TomaPeso(Edita(fila), lectura.EsPeso() && lectura.hayPeso ? lectura.peso : 0.0,
                      idPesada, m_reloj());
    Cambiada(fila);
}

void ModeloLineasAlbaran::ConfirmaFila() {
    const int fila = m_filaEditada;
    if (fila < 0)
        return;
    m_filaEditada = -1;
    if (LineasAlbaran::EnBlanco(m_edicion)) {
        Cambiada(fila); // shows the row as stored again
        return;
    }
    if (fila < m_lineas.Count()) {
        if (m_lineas.Item(fila) == m_edicion)
            return;
        m_lineas.Reemplaza(fila, m_edicion);
    } else {
        // The new row becomes a line and another new row appears under it.
        beginInsertRows({}, fila + 1, fila + 1);
        m_lineas.Add(m_edicion);
        endInsertRows();
    }
    emit LineasCambiadas();
}

void ModeloLineasAlbaran::BorraFila(int fila) {
    if (fila == m_filaEditada) {
        m_filaEditada = -1;
        Cambiada(fila);
    }
    if (fila < 0 || fila >= m_lineas.Count())
        return;
    ConfirmaFila();
    beginRemoveRows({}, fila, fila);
    m_lineas.Remove(fila);
    endRemoveRows();
    emit LineasCambiadas();
}

int ModeloLineasAlbaran::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : m_lineas.Count() + 1;
}

int ModeloLineasAlbaran::columnCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : LineasAlbaran::Columnas;
}

QVariant ModeloLineasAlbaran::data(const QModelIndex& indice, int rol) const {
    const int columna = indice.column() + 1;
    const int fila = indice.row();
    const auto celdas = [&]() -> FilaAlbaran {
        return fila == m_filaEditada     ? m_edicion
               : fila < m_lineas.Count() ? m_lineas.Item(fila)
                                         : FilaAlbaran{};
    };
    // A gross weight typed by hand shows a mark in letters, clear without colour.
    const bool marcaManual = columna == LineasAlbaran::PesoBruto &&
                             (rol == Qt::DisplayRole || rol == Qt::ToolTipRole) &&
                             LineasAlbaran::Manual(celdas());
    switch (rol) {
    case Qt::DisplayRole:
        if (marcaManual)
            return Texto(IdTexto::MarcaManual) + ' ' + Celda(fila, columna);
        return Celda(fila, columna);
    case Qt::EditRole:
        return Celda(fila, columna);
    case Qt::ToolTipRole:
        if (marcaManual)
            return Texto(IdTexto::PesoManual);
        [[fallthrough]];
    case Qt::ForegroundRole:
    case Qt::FontRole:
    case RolAviso: {
        // A negative net weight is marked: dark red, bold, with a warning sign and its reason.
        if (columna != LineasAlbaran::PesoProducto || !TotalesAlbaran::NetoNegativo(celdas()))
            return {};
        if (rol == Qt::ForegroundRole)
            return QColor(0xb0, 0, 0);
        if (rol == Qt::FontRole) {
            QFont negrita;
            negrita.setBold(true);
            return negrita;
        }
        return rol == RolAviso ? QVariant(true) : QVariant(Texto(IdTexto::NetoNegativo));
    }
    case Qt::TextAlignmentRole:
        if (columna >= LineasAlbaran::PesoBruto && columna <= LineasAlbaran::PesoImporte)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

bool ModeloLineasAlbaran::setData(const QModelIndex& indice, const QVariant& valor, int rol) {
    if (rol != Qt::EditRole || !(flags(indice) & Qt::ItemIsEditable))
        return false;
    const int fila = indice.row();
    const int columna = indice.column() + 1;
    const QString texto = valor.toString();
    // Leaving a cell as it was is no edit: nothing is recomputed and no time is stamped.
    if (texto == Celda(fila, columna))
        return true;
    // A weight may still be emptied where it cannot be typed.
    if (!m_pesoManual &&
        (columna == LineasAlbaran::PesoBruto || columna == LineasAlbaran::PesoProducto) &&
        ReglasLinea::NumeroCelda(texto) != 0) {
        emit Rechazada(Texto(IdTexto::PesoManualProhibido));
        return false;
    }
    FilaAlbaran& celdas = Edita(fila);
    celdas[columna - 1] = texto;
    m_reglas.TrasEditar(celdas, columna, m_reloj());
    Cambiada(fila);
    return true;
}

QVariant ModeloLineasAlbaran::headerData(int seccion, Qt::Orientation orientacion, int rol) const {
    if (rol != Qt::DisplayRole)
        return {};
    if (orientacion == Qt::Vertical)
        return seccion == FilaNueva() ? QStringLiteral("*") : QString::number(seccion + 1);
    const int columna = seccion + 1;
    if (columna < 1 || columna > LineasAlbaran::Columnas)
        return {};
    QString titulo = Texto(ColumnasAlbaran::TitulosColumna(columna));
    if (columna >= LineasAlbaran::PesoBruto && columna <= LineasAlbaran::PesoProducto)
        titulo += ' ' + m_unidad;
    return titulo;
}

Qt::ItemFlags ModeloLineasAlbaran::flags(const QModelIndex& indice) const {
    if (!indice.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (indice.column() + 1 != LineasAlbaran::HoraPesada)
        f |= Qt::ItemIsEditable;
    return f;
}
