#pragma once

// The fixed delivery notes of the export tests. In March 2026: note "1" on the 1st without
// lines; "2" on the 10th with one line; "10" and "3" on the 15th with one and three lines (lines
// stored out of order); "4" on the 31st with one line. Outside March: "1" on 28 February and "2"
// on 1 April, whose lines must not join the March notes of the same numbers. Customer names hold
// the list separator, a double quote, and "<" with "&"; some addresses and an operator are null;
// product names hold characters inside and outside Windows-1252 and a "]]>".

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <QVariantList>

namespace albaranesprueba {

inline QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll()
                                       : QByteArray("<missing " + ruta.toUtf8() + ">");
}

inline QByteArray Golden(const QString& nombre) {
    return Lee(qEnvironmentVariable("PESIX_SOURCE_DIR") + "/tests/export/golden/" + nombre);
}

inline bool Inserta(QSqlDatabase db, const QString& tabla, const QList<QVariantList>& filas) {
    QSqlQuery q(db);
    for (const QVariantList& fila : filas) {
        QStringList marcas(fila.size(), "?");
        if (!q.prepare("INSERT INTO " + tabla + " VALUES (" + marcas.join(',') + ")"))
            return false;
        for (int i = 0; i < fila.size(); ++i)
            q.bindValue(i, fila.at(i));
        if (!q.exec())
            return false;
    }
    return true;
}

inline bool Crea(QSqlDatabase db) {
    const QVariant N; // null
    const QList<QVariantList> cabeceras = {
        // NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, Direccion1, Direccion2,
        // FechaModificacion, Impreso
        {"4", "2026-03-31", "Luis", "C4", "Quesos 'La Vaca'", "Camí Ral 7", "17001 Girona",
         "2026-04-01 07:00:00", false},
        {"3", "2026-03-15", N, "C3", "Pan & Vino <SL>", N, N, "2026-03-15 18:30:00", true},
        {"1", "2026-02-28", "Ana", "C1", "Frutas García; Hijos", N, N, "2026-02-28 10:00:00", true},
        {"2", "2026-03-10", "Luis", "C2", "Bar \"El Pino\"", "Avda. Sol 3", "08001 Barcelona",
         "2026-03-10 12:00:05", false},
        {"10", "2026-03-15", "Ana", "C1", "Frutas García; Hijos", "Calle Mayor, 5", N,
         "2026-03-15 09:00:00", true},
        {"2", "2026-04-01", "Luis", "C2", "Bar \"El Pino\"", "Avda. Sol 3", "08001 Barcelona",
         "2026-04-01 12:00:00", true},
        {"1", "2026-03-01", "Ana", "C1", "Frutas García; Hijos", "Calle Mayor, 5", N,
         "2026-03-01 08:15:00", true},
    };
    const QList<QVariantList> lineas = {
        // NumAlbaran, Fecha, NumLinea, CodProducto, NomProducto, CodTara, PesoBruto, PesoTara,
        // PesoNeto, Precio, PesoImporte, HoraPesada
        {"3", "2026-03-15", 3, "P4", "Pimiento Łódź ]]> fin", 3, 0.333, 0.001, 0.332, 2.75, 0.913,
         "18:10:00-15/03/2026"},
        {"2", "2026-04-01", 1, "P1", "Melón €", 2, 40.0, 2.0, 38.0, 0.8, 30.4,
         "11:00:00-01/04/2026"},
        {"3", "2026-03-15", 1, "P2", "Tomate", 1, 100.0, 1.5, 98.5, 1.2, 118.2,
         "18:00:00-15/03/2026"},
        {"1", "2026-02-28", 1, "P1", "Melón €", 2, 5.0, 1.0, 4.0, 0.8, 3.2, "10:00:00-28/02/2026"},
        {"4", "2026-03-31", 1, "P5", "Queso tierno", 4, 10.0, 0.5, 9.5, 12.0, 114.0,
         "19:45:00-31/03/2026"},
        {"2", "2026-03-10", 1, "P1", "Melón €", 2, 1250.5, 2.25, 1248.25, 0.8, 998.6,
         "11:59:30-10/03/2026"},
        {"3", "2026-03-15", 2, "P3", "Naranja", 0, 20.0, 0.0, 20.0, N, N, "18:05:10-15/03/2026"},
        {"10", "2026-03-15", 1, "P2", "Tomate", 1, 55.125, 1.5, 53.625, 1.2, 64.35,
         "09:01:02-15/03/2026"},
        {"2", "2026-04-01", 2, "P2", "Tomate", 1, 12.0, 1.5, 10.5, 1.2, 12.6,
         "11:05:00-01/04/2026"},
    };
    return Inserta(db, "AlbaranesCabeceras", cabeceras) && Inserta(db, "AlbaranesDetalle", lineas);
}

} // namespace albaranesprueba
