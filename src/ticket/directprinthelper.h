#pragma once

#include "ticket/coleccionclaves.h"
#include "ticket/directprinthelp.h"

#include <QSqlDatabase>
#include <QString>
#include <array>

class Dataset;
class DocumentoTicket;
class Recordset;

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

    // Seeds an empty CodigosDeControl table with the default codes, then adds every row of the
    // table in its order. Codes already held stay until a row with the same macro replaces them.
    // False, with the database's text in `error`, when the table cannot be read or seeded.
    bool CargaRecordset(QSqlDatabase db, QString* error = nullptr);
    // Adds every record of a set with the columns Macro, ValorHexPeriferico, ValorStringPantalla
    // and Descripcion, from the first to the last.
    void CargaRegistros(Recordset& registros);

    // A new code under its macro; a code with the same macro is removed first, so the new one
    // replaces it at the end of the order.
    Puntero Add(const QString& macro, const QString& hexImpresora, const QString& hexPantalla,
                const QString& descripcion);

    // Replaces every macro in the text, code after code in collection order, by its printer or
    // screen expansion. Text that looks like a macro but has no code is left alone.
    QString Expande(const QString& texto, bool impresora) const;

    // Renders one ticket from the template file and the data set, as printer text (to be turned
    // into bytes through the ticket code page) or as screen text. Uses the template cached by
    // the settings object. On a malformed template returns empty text with the reason in
    // `error`; a missing template renders as empty text.
    QString Parse(const QString& rutaPlantilla, const Dataset& datos, bool impresora,
                  QString* error = nullptr) const;
    // The same with a template already read.
    QString Renderiza(const DocumentoTicket& documento, const Dataset& datos, bool impresora) const;
};
