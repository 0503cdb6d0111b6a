#pragma once

#include "app/resultado.h"
#include "db/recordset.h"
#include "export/codificacionexportacion.h"
#include "export/formatovalores.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <functional>

class RecordsetConsulta;

// Writes every delivery note of a date range, header and lines joined, to one file whose
// extension (its last four characters, any letter case) chooses the format:
// - ".txt": values separated by TAB; ".csv": by the list separator of the settings
//   (SeparadorListas). A header line with the 19 column names, then one line per row; text
//   columns between double quotes (a quote inside doubled), numbers, dates and booleans bare;
//   lines end in CR LF; Windows-1252 unless told otherwise.
// - ".xml": the rows through clsXMLExport, as <Items> holding one <Item> per row (UTF-8); an
//   Item whose line's weight came from the scale has the attribute IdPesada (its weighing log
//   entry), one typed by hand Manual="1".
// With SetProcedencia the text files end each row with the same two columns, IdPesada and
// Manual (empty unless 1); without it they keep their 19 columns.
// Any other extension writes nothing. One row per line; a note without lines gives one row with
// empty line columns. Both dates are included and may come in either order. The file is
// replaced only when it was written whole.
//
// A caller that shows the progress is told of it every FilasPorAviso rows, and may cancel: a
// cancelled export leaves no new file and the old one as it was.
class ExportaAlbaranes {
public:
    enum class Formato { Ninguno, Texto, Csv, Xml };

    // Reads `db`; ".csv" fields are separated by `separadorListas` ("," when empty), and values
    // take the forms of `formato`.
    ExportaAlbaranes(QSqlDatabase db, const QString& separadorListas,
                     const FormatoValores& formato);

    static Formato FormatoDeRuta(const QString& ruta);
    // The query, with two bound parameters: the first date as "yyyy-MM-dd", and the last
    // moment of the last date as "yyyy-MM-dd 23:59:59.999".
    static QString Consulta(bool conProcedencia = false);
    // The query with both bounds written in (for tools that cannot bind).
    static QString ConsultaLiteral(const QDate& desde, const QDate& hasta);

    static constexpr qint64 FilasPorAviso = 4096;
    // Rows written so far, and the part of the rows of the range they are, in thousandths.
    // Returning false cancels the export.
    using Avance = std::function<bool(qint64 filas, int milesimas)>;
    void SetAvance(Avance avance) { m_avance = std::move(avance); }

    // Whether the text files tell where each line's weight came from.
    void SetProcedencia(bool si) { m_conProcedencia = si; }

    CodificacionExportacion::Tipo Codificacion() const { return m_codificacion; }
    void SetCodificacion(CodificacionExportacion::Tipo c) { m_codificacion = c; }

    // Writes the file. Refused, with nothing written: an invalid date, an unknown extension, a
    // path that leads to the database being read or to anything but a regular file
    // (ArchivoSalida).
    Resultado Exporta(QDate desde, QDate hasta, const QString& ruta);
    // Rows written by the last export.
    qint64 Filas() const { return m_filas; }
    // Whether the last export failed reading the database, rather than on its arguments or
    // writing the file.
    bool LecturaFallida() const { return m_lecturaFallida; }
    // Whether the last export was cancelled through the progress callback.
    bool Cancelada() const { return m_cancelada; }

private:
    Resultado EscribeTexto(RecordsetConsulta& registros, const QString& ruta,
                           const QString& separador);
    Resultado EscribeXml(RecordsetConsulta& registros, const QString& ruta);
    Resultado FalloLectura(const QString& error);
    // The rows the range gives, for the progress.
    void CuentaFilas(const QDate& desde, const QDate& hasta);
    // Tells the caller of the progress; false when it cancels.
    bool Avisa();
    void AnexaValor(QByteArray& destino, const RecordsetConsulta& registros, int i,
                    Recordset::Tipo tipo) const;

    QSqlDatabase m_db;
    QString m_separadorListas;
    CodificacionExportacion::Tipo m_codificacion = CodificacionExportacion::Tipo::Windows1252;
    bool m_conProcedencia = false;
    FormatoValores m_formato;
    qint64 m_filas = 0;
    bool m_lecturaFallida = false;
    bool m_cancelada = false;
    Avance m_avance;
    QStringList m_protegidos; // the database's files
    qint64 m_total = 0;       // rows of the range
};
