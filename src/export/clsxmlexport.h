#pragma once

#include "app/archivosalida.h"
#include "db/recordset.h"
#include "export/formatovalores.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

// Turns the records of a record set into a simple XML document: one element per record, one
// child element per field, optional wrapping elements with attributes. The document grows in
// memory and is written out in one piece by PersistXML; after AbreSalida it goes to the file as
// it grows instead, so that a document of any size takes little memory.
//
// Form: the declaration line <?xml version="1.0"?>, then every start tag, end tag and field
// element on its own line ending in CR LF, without indentation. Field values are written with
// FormatoValores (the same text as the text export files). Values and attribute values are
// escaped (&amp; &lt; &gt;, and &apos; &quot; in attributes), and inside CDATA sections a "]]>"
// is split across two sections, so the document is always well-formed whatever the data holds.
// Characters XML cannot carry at all (control characters other than TAB, LF and CR) are written
// as "?". The file is UTF-8, the encoding XML readers assume when the declaration names none.
//
// Failures are numbered (the constants below): the failing operation returns false, appends
// nothing, and leaves its number and text in NumeroError() and DescripcionError(). A file that
// cannot be written (30040) is described by why, in the user's language (ArchivoSalida).
class clsXMLExport {
public:
    static constexpr int ErrRecordsetRequerido = 30000;
    static constexpr int ErrSinRecordset = 30010;
    static constexpr int ErrRecordsetCerrado = 30020;
    static constexpr int ErrSinArchivo = 30030;
    static constexpr int ErrArchivoInvalido = 30040;
    static constexpr int ErrValorNoEscribible = 30050;
    static constexpr int ErrCancelado = 30060;
    static QString TextoError(int numero);

    clsXMLExport();

    // The record set is not owned; it must outlive its use here. A record set read from a query
    // that is not open is opened; error 30020 when it stays closed, 30000 for no record set.
    bool SetCurrentRecordset(Recordset* registros);
    Recordset* CurrentRecordset() const { return m_registros; }

    QString OutputDirectory() const { return m_directorio; }
    void SetOutputDirectory(const QString& directorio) { m_directorio = directorio; }
    // The full path: a bare file name (without "/" or "\") goes into OutputDirectory.
    QString OutputFile() const;
    void SetOutputFile(const QString& archivo) { m_archivo = archivo; }
    // Files the output must never be written over, whatever name leads to them (ArchivoSalida).
    void SetArchivosProtegidos(const QStringList& archivos) { m_protegidos = archivos; }

    // The current record as an element named after the row tag (trimmed) holding one element
    // per field; with an empty row tag, only the field elements. False off a record.
    bool AddRow(const QString& etiquetaFila);
    // Every record from the first, inside an element named after the record-set tag when it is
    // not empty. Rows are named after the row tag, followed by 1, 2, ... when numerando. Rows
    // carry no attributes. An empty record set appends nothing and gives false.
    bool AddRecordset(const QString& etiquetaConjunto, const QString& etiquetaFila,
                      bool numerandoFilas);
    // Told by AddRecordset of each row written, with the count so far, while the record set
    // still stands on it; returning false stops AddRecordset there with error 30060.
    void SetAvance(std::function<bool(qint64)> avance) { m_avance = std::move(avance); }
    void Clear();
    // Opens an element (spaces removed from its name) with the attributes added so far; they stay
    // for the following start tags until ClearAttributes. An empty name opens nothing.
    void TagStart(const QString& nombre);
    // Closes the last open element; nothing when none is open.
    void TagEnd();
    // The number of elements open.
    int ElementosAbiertos() const;

    bool CData() const { return m_cdata; }
    void SetCData(bool cdata) { m_cdata = cdata; }

    // One element with the value of the field in the current record, or in every record from
    // the first. False for an unknown field or a value that is not text, a number, a date or a
    // boolean (nothing appended).
    bool AddField(const QString& nombreCampo, bool todosRegistros);
    // One element with a value of the caller's; error 30050 when it cannot be written as text.
    bool AddDisconnectedField(const QString& nombre, const QVariant& valor);

    // The declaration line and the body.
    QString XML() const;
    // Writes XML() and one more CR LF to OutputFile, closing any element still open first. The
    // file is replaced only when it was written whole. Errors 30030, 30040.
    // After AbreSalida: closes the open elements and completes the file that is being written.
    bool PersistXML();
    // Writes the document to OutputFile as it grows, from now on: the declaration and the body so
    // far at once, then the body in blocks, of which only the last is held (and returned by
    // XML()). PersistXML completes the file; the older file is replaced only then, and only when
    // every block was written; a writer destroyed before leaves it as it was. Errors 30030, 30040.
    bool AbreSalida();

    // An attribute for the next TagStart, in insertion order; a name already present is ignored.
    void AddAttribute(const QString& nombre, const QString& valor);
    void ClearAttributes() { m_atributos.clear(); }
    // Fields of the record set written as attributes of each row's element, when they hold a
    // value, instead of as child elements.
    void SetCamposAtributo(const QStringList& campos) { m_camposAtributo = campos; }

    int NumeroError() const { return m_numeroError; }
    QString DescripcionError() const { return m_descripcionError; }

    // How field values become text; by default the settings' decimal separator and the
    // locale's date order.
    void SetFormato(const FormatoValores& formato) { m_formato = formato; }
    const FormatoValores& Formato() const { return m_formato; }

    static QString Escapa(const QString& texto, bool enAtributo);
    static QString EnCData(const QString& texto);

private:
    // The number's own text unless the failure has a better one (why a file was not written).
    bool Error(int numero, const QString& descripcion = {});
    void LimpiaError();
    bool CompruebaRegistros();
    bool AnexaCampo(int indice);
    void AnexaElemento(const QString& nombre, const QString& valor);
    void Anexa(const QString& texto);
    // Sends the body gathered so far to the file being written.
    void Vuelca();

    Recordset* m_registros = nullptr;
    QString m_directorio;
    QString m_archivo;
    QByteArray m_cuerpo; // UTF-8; while writing to a file, the part not yet written
    std::unique_ptr<ArchivoSalida> m_salida;
    QStringList m_protegidos;
    bool m_cdata = false;
    QStringList m_pila{QString()};
    QList<QPair<QString, QString>> m_atributos;
    QStringList m_camposAtributo;
    FormatoValores m_formato;
    std::function<bool(qint64)> m_avance;
    int m_numeroError = 0;
    QString m_descripcionError;
};
