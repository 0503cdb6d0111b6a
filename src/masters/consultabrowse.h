#pragma once

#include <QString>
#include <QStringList>

// The look-ups of the program: caption (text id), TAB-separated column titles and rows.
struct ConsultaBrowse {
    int Titulo = 0;
    QString Cabecera;
    QString Sql;
    // Trailing columns of the rows, not shown, that identify a row; the first column does
    // when there are none.
    QStringList Clave = {};

    // Opens the pick list; returns the chosen code, or `defecto` when none was chosen.
    QString Lanza(const QString& defecto) const;

    // Stored delivery notes: "dd/mm/yyyy - number" cut to 33 characters, and the customer; by
    // customer, then by date and number.
    static ConsultaBrowse Albaranes();
    static ConsultaBrowse Clientes();
    static ConsultaBrowse Operarios();
    static ConsultaBrowse ProductosLineas();
    static ConsultaBrowse Productos();
    static ConsultaBrowse TarasLineas();
    static ConsultaBrowse Taras();
};
