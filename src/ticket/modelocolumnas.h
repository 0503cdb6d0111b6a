#pragma once

#include <QAbstractListModel>
#include <array>

// The nine delivery-note columns as a list with a tick each, for the columns shown on screen or
// printed. At least `minimo` stay ticked: unticking one more is refused, and the item stays
// ticked.
class ModeloColumnas : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int Numero = 9;

    explicit ModeloColumnas(int minimo, QObject* parent = nullptr);

    // Column numbers 1..9.
    bool Marcada(int columna) const { return m_marcadas.at(columna - 1); }
    void SetMarcada(int columna, bool marcada);
    int Marcadas() const;

    int rowCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& indice, const QVariant& valor, int rol = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& indice) const override;

private:
    int m_minimo;
    std::array<bool, Numero> m_marcadas{};
};
