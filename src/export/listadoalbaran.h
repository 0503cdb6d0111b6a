#pragma once

#include "app/resultado.h"
#include "db/dataset.h"
#include "notedata/columnasalbaran.h"

#include <QDate>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class clsDatosApp;

// The page listing of a delivery note, laid out from the note's print data set ("Empresa",
// "Cabecera", "Detalle") and drawn on any paged device: a printer, the preview, a PDF file.
//
// Distances are from the paper's edges. Every page carries its fixed parts in the top 100 mm
// (the logo, the company lines from 30 mm, the framed box with the note's identification and
// customer from 50 mm, the company's name and tax number upwards along the left edge) and the
// footer in the bottom 20 mm (modification and print times, operator, "Página: n"). Between them
// runs the lines table, about 180 mm wide from 15 mm: the heading row on every page, a row per
// line, and the totals row once, after the last line. A fixed line whose values are all empty
// is left out.
//
// The lines are read from the detail table as they are measured, laid out and drawn, a pass
// for each, never held together: a note of any length is drawn in the same memory.
class ListadoAlbaran {
public:
    struct Opciones {
        std::array<bool, ColumnasAlbaran::Numero> columnasImpresas{}; // columns 1..9 of the lines
        QString unidad;                                               // written after every weight
        QString separadorDecimal = QStringLiteral(".");
        QString separadorFecha = QStringLiteral("/");
        QString carpetaLogo;    // where "Logo.jpg", or else "Logo.gif", is looked for
        QStringList protegidos; // what a PDF is never written over: the database's files

        static Opciones De(const clsDatosApp& ajustes, const QString& carpetaLogo);
    };
    struct Columna {
        int numero = 0;  // 1..9
        int anchoMm = 0; // whole millimetres
    };

    // The document's name in the print queue and the PDF's title.
    static constexpr const char* NombreDocumento = "AlbPesaje";

    // Reads the header tables once and keeps the data set's tables for the lines, read again on
    // each pass; the detail table is left on its first record after each.
    ListadoAlbaran(const Dataset& datos, const Opciones& opciones);

    // How the lines table is laid out on a device: the type size, the orientation and each
    // printed column's width in millimetres. Titles wrap between words, product names too, and
    // no other value wraps: each column is as wide as that needs, and otherwise near its share
    // of Columnas(). When the columns do not fit across the page at the usual size, smaller
    // sizes are tried down to a readable least, then a landscape page; only when nothing fits
    // (a value wider than a page) do cells wrap anywhere.
    struct Formato {
        double puntos = 8;
        bool apaisada = false;
        bool partePalabras = false;
        QList<double> anchos;
    };

    // The printed columns in order, each 180 mm times its default width over the sum of the
    // printed columns' default widths, the fraction dropped.
    static QList<Columna> Columnas(const std::array<bool, ColumnasAlbaran::Numero>& impresas);
    Formato Disposicion(const QPaintDevice& dispositivo) const;

    // Draws the whole document on the device from its paper's corner (no page margins of the
    // device's own). `antesDePagina(pagina, paginas)` runs before each page; when it answers
    // false the document is abandoned and the result is a failure.
    Resultado Dibuja(QPagedPaintDevice& dispositivo,
                     const std::function<bool(int, int)>& antesDePagina = {}) const;
    // The document as an A4 PDF file; the file is replaced only once the document is complete,
    // and never when it is one of the protected files or not a regular file (ArchivoSalida).
    Resultado GuardaPdf(const QString& ruta) const;
    // The name proposed for the PDF of the note: "Albarán", its number and date (the number as
    // it stands: kelFileIO::EnDocumentos makes a file name of it).
    QString NombrePdf() const { return m_nombrePdf; }

private:
    struct Pagina {
        int desde = 0, hasta = 0; // lines of the table on the page
        bool totales = false;
    };
    enum Estilo { Cabecera, Linea, Totales };
    class Lienzo;

    void Fijas(Lienzo& l) const;
    void Pie(Lienzo& l, int pagina) const;
    double AltoFila(const Lienzo& l, const QStringList& celdas, Estilo estilo) const;
    // Every line's cells in order, from the detail table's first record; the table is left on
    // its first record.
    void Recorre(const std::function<void(const QStringList&)>& cada) const;
    QStringList LineaActual() const;
    void Fila(Lienzo& l, double y, double alto, const QStringList& celdas, Estilo estilo) const;

    QList<Columna> m_columnas;
    QStringList m_titulos;
    Dataset m_datos;                // shares the tables, which outlive the caller's copy
    Recordset* m_detalle = nullptr; // the lines, in m_datos
    QString m_unidad, m_separadorDecimal;
    QStringList m_totales;
    QStringList m_empresa;  // the three company lines
    QString m_lateral;      // name and tax number, along the left edge
    QStringList m_albaran;  // title, date and number, in the box
    QStringList m_cliente;  // code, name and address, in the box
    QString m_pieIzquierda; // modification and print times
    QString m_pieCentro;    // the operator
    QImage m_logo;
    QString m_nombrePdf;
    QStringList m_protegidos;
};
