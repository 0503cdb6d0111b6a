#pragma once

#include "app/resultado.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

// One master table kept by a maintenance window: its key and the fields the window edits.
// Reads, saves and deletes one record on the connection it is given; every value is bound,
// never pasted into the SQL.
class clsMaestro {
public:
    QString Tabla;
    QString CampoClave;
    bool ClaveNumerica = false;
    QStringList Campos; // the other fields, in the window's order

    static clsMaestro Clientes(QSqlDatabase db);
    static clsMaestro Productos(QSqlDatabase db);
    static clsMaestro Taras(QSqlDatabase db);
    static clsMaestro Operarios(QSqlDatabase db);

    // The key as it goes into the table: the text as typed, or the number.
    QVariant Clave(const QVariant& codigo) const;
    // The values of Campos for `codigo`: "" for text fields and 0 for numbers when missing.
    QVariantList Busca(const QVariant& codigo) const;
    // What a record needs: the first text field (a text code, or the name beside a number code)
    // must not be blank to save; a number code can always be deleted, a text code when it is not
    // blank. Otherwise the window does nothing.
    bool PuedeGuardar(const QVariant& codigo, const QVariantList& valores) const;
    bool PuedeBorrar(const QVariant& codigo) const;
    // Adds the record when the code is not there, otherwise changes its fields; the code of an
    // existing record stays as it is. On failure nothing changes.
    Resultado Guarda(const QVariant& codigo, const QVariantList& valores) const;
    Resultado Borra(const QVariant& codigo) const;
    // The characters a text field holds (0 for other fields).
    int Tamano(const QString& campo) const;

    QSqlDatabase Conexion() const { return m_db; }

private:
    clsMaestro(QSqlDatabase db, QString tabla, QString campoClave, bool claveNumerica,
               QStringList campos);

    QSqlDatabase m_db;
};
