#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

// One master table kept by a maintenance window: its key and the fields the window edits.
// Reads, saves and deletes one record; every value is bound, never pasted into the SQL.
class clsMaestro {
public:
    QString Tabla;
    QString CampoClave;
    bool ClaveNumerica = false;
    QStringList Campos; // the other fields, in the window's order

    static clsMaestro Clientes();
    static clsMaestro Productos();
    static clsMaestro Taras();
    static clsMaestro Operarios();

    // The key as it goes into the table: the text as typed, or the number.
    QVariant Clave(const QVariant& codigo) const;
    // The values of Campos for `codigo`: "" for text fields and 0 for numbers when missing.
    QVariantList Busca(const QVariant& codigo) const;
    bool Existe(const QVariant& codigo, QString* error = nullptr) const;
    // Adds the record when the code is not there, otherwise changes its fields; the code of an
    // existing record stays as it is. On failure nothing changes and `error` holds the reason.
    bool Guarda(const QVariant& codigo, const QVariantList& valores,
                QString* error = nullptr) const;
    bool Borra(const QVariant& codigo, QString* error = nullptr) const;
    // The characters a text field holds (0 for other fields).
    int Tamano(const QString& campo) const;

    QSqlDatabase Conexion() const;
};
