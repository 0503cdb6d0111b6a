#pragma once

#include "app/resultado.h"
#include "ticket/coleccionclaves.h"
#include "ticket/directprinthelp.h"
#include "ticket/documentocampo.h"

#include <QSqlDatabase>
#include <QString>
#include <array>

class Dataset;
class DocumentoTicket;
class Recordset;
class clsDatosApp;

// The printer control codes, in order and keyed by macro without regard to case, and the
// ticket renderer that ends by expanding them. Loaded from the table CodigosDeControl.
class DirectPrintHelper : public ColeccionClaves<DirectPrintHelp> {
public:
    struct CodigoPorDefecto {
        const char* macro;
        const char* hexImpresora;
        const char* hexPantalla;
        const char* descripcion;
    };
    // The sixteen codes an empty CodigosDeControl table receives, in their order (ESC/POS).
    static const std::array<CodigoPorDefecto, 16>& CodigosPorDefecto();

    // Longest ticket a render gives, in characters (each one printer byte): a template whose
    // ticket would be longer is refused rather than rendered.
    static constexpr qsizetype LongitudMaximaTiquet = 1024 * 1024;

    // The codes' characters stand for bytes of this code page (PaginaCodigosTiquet).
    explicit DirectPrintHelper(const QString& paginaCodigos = QString());
    QString Pagina() const { return m_pagina; }
    // Another code page: every code's characters are read again from its hexadecimal digits.
    void SetPagina(const QString& pagina);

    // Seeds an empty CodigosDeControl table with the default codes, then adds every row of the
    // table in its order. Codes already held stay until a row with the same macro replaces them.
    // Fails with the database's text when the table cannot be read or seeded.
    Resultado CargaRecordset(QSqlDatabase db);
    // Adds every record of a set with the columns Macro, ValorHexPeriferico, ValorStringPantalla
    // and Descripcion, from the first to the last.
    void CargaRegistros(Recordset& registros);

    // A new code under its macro; a code with the same macro is removed first, so the new one
    // replaces it at the end of the order.
    Puntero Add(const QString& macro, const QString& hexImpresora, const QString& hexPantalla,
                const QString& descripcion);

    // Replaces every macro in the text, code after code in collection order, by its printer or
    // screen expansion. Text that looks like a macro but has no code is left alone. False, the
    // text part-expanded, when it would grow beyond LongitudMaximaTiquet.
    bool Expande(QString& texto, bool impresora) const;

    // Renders one ticket from the template file and the data set, as printer text (to be turned
    // into bytes through the ticket code page) or as screen text, with the separators of the
    // settings. The template is kept in the settings' DocumentoTicket while the file is unchanged
    // (read afresh each time when the settings hold none). A missing template renders as empty
    // text; a malformed one, or one whose ticket is too long, fails with the reason.
    Resultado Parse(const QString& rutaPlantilla, const Dataset& datos, bool impresora,
                    const clsDatosApp& ajustes, QString& texto) const;
    // The same with a template already read.
    Resultado Renderiza(const DocumentoTicket& documento, const Dataset& datos, bool impresora,
                        const DocumentoCampo::Separadores& separadores, QString& texto) const;

private:
    QString m_pagina;
};
