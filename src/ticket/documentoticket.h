#pragma once

#include "app/resultado.h"
#include "ticket/documentocampos.h"
#include "ticket/documentosecciones.h"

#include <QDateTime>
#include <QString>

// A ticket template: its field definitions and its sections, read from and written to a
// template file (extension "dti").
//
// The file is text in lines ending with CR LF. It is read as 8-bit Windows-1252 text, unless it
// starts with a UTF-16 little-endian byte-order mark (FF FE) or a UTF-8 one (EF BB BF). Lines
// starting with "//" are comments. The markers (#IniCampos) (#FinCampos) enclose the field
// block, one definition "Tabla;Campo;Longitud;Alineacion[;Decimales]" per line; (#IniSeccion)
// (#FinSeccion) enclose a plain section, (#IniDetalle;Tabla) (#FinDetalle;Tabla) a section
// repeated per record of a table. A line outside any block opens a plain section of its own.
// Every section line is stored ending with the line-feed macro (#LF).
class DocumentoTicket {
public:
    enum class FormatoTexto {
        Ansi,      // 8-bit Windows-1252
        Unicode,   // UTF-16 little-endian with its byte-order mark
        PorDefecto // UTF-8 with its byte-order mark
    };

    // Loads the template unless this very file (same path, same modification time and size) is the
    // one already loaded. A missing file leaves an empty document and succeeds. A malformed file
    // leaves an empty document and fails with the file name and line number.
    Resultado LeerFichero(const QString& ruta);
    // Writes the template; succeeds when the whole file was written. An existing file is replaced
    // only once the new one is complete. The 8-bit format refuses characters it cannot hold.
    Resultado GrabarFichero(const QString& ruta, FormatoTexto formato) const;

    DocumentoCampos& Campos() { return m_campos; }
    const DocumentoCampos& Campos() const { return m_campos; }
    DocumentoSecciones& Secciones() { return m_secciones; }
    const DocumentoSecciones& Secciones() const { return m_secciones; }
    QString RutaFichero() const { return m_rutaFichero; }
    QDateTime FechaFichero() const { return m_fechaFichero; }

    // The file's lines as written by GrabarFichero, without line ends.
    QStringList Lineas() const;
    // Reads template lines into this (emptied) document; `nombre` names the source in errors.
    Resultado LeeLineas(const QStringList& lineas, const QString& nombre);
    // Decodes a template file's bytes as the reader does.
    static QString DecodificaFichero(const QByteArray& bytes);

    static constexpr const char* MacroSaltoLinea = "(#LF)";

private:
    void Vacia();

    DocumentoCampos m_campos;
    DocumentoSecciones m_secciones;
    QString m_rutaFichero;
    QDateTime m_fechaFichero;
    qint64 m_tamanoFichero = -1;
};
