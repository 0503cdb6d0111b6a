#pragma once

#include "app/resultado.h"

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <array>
#include <optional>

// The grid of the printer control codes, over the table CodigosDeControl: macro, printer code,
// screen code and description. Rows are read in the order they were added; the last row is an
// empty one in which a new code is typed. A printer or screen code is taken trimmed and in upper
// case, and only as pairs of hexadecimal digits (or empty); anything else is refused. A row is
// written to the table when GuardaFila is called for it (as the operator leaves it), and deleted
// from it at once.
class ModeloCodigosControl : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Columna { Macro, Impresora, Pantalla, Descripcion, NumColumnas };

    explicit ModeloCodigosControl(QSqlDatabase db, QObject* parent = nullptr);

    Resultado Carga();
    // A code as it is stored; nothing when the text is not pairs of hexadecimal digits.
    static std::optional<QString> Hexadecimal(const QString& texto);
    // Why a typed code is not one, in the interface language: a character that is not a
    // hexadecimal digit, or an odd count of digits. Success for a code, and for an empty one.
    static Resultado CompruebaCodigo(const QString& texto);
    // The most characters the table takes in a column.
    static int Longitud(int columna);

    // Writes a row changed since it was read or written; nothing for a row without changes,
    // nor for a new row whose macro is empty.
    Resultado GuardaFila(int fila);
    // Deletes the row, from the table when it is stored there; the empty last row stays.
    Resultado BorraFila(int fila);
    QString Valor(int fila, int columna) const;

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol = Qt::DisplayRole) const override;
    QVariant headerData(int seccion, Qt::Orientation orientacion,
                        int rol = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& indice, const QVariant& valor, int rol = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& indice) const override;

private:
    struct Fila {
        std::array<QString, NumColumnas> valores;
        QString macroGuardada; // the key the row has in the table
        bool guardada = false;
        bool cambiada = false;
    };

    QSqlDatabase m_db;
    QList<Fila> m_filas;
};
