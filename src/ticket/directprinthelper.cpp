#include "ticket/directprinthelper.h"

#include "app/clsdatosapp.h"
#include "db/dataset.h"
#include "db/recordsetmemoria.h"
#include "ticket/documentoticket.h"

#include <QSqlError>
#include <QSqlQuery>

const std::array<DirectPrintHelper::CodigoPorDefecto, 16>& DirectPrintHelper::CodigosPorDefecto() {
    static const std::array<CodigoPorDefecto, 16> codigos{{
        {"(#CBLACK)", "1B7200", "", "ESC r - Select Print Color (black)"},
        {"(#CDRAWER)", "1B70000202", "", "ESC p - Generate Pulse"},
        {"(#CHARTABLE)", "1B7402", "", "ESC t - Select character code table (PC850)"},
        {"(#CRED)", "1B7201", "", "ESC r - Select Print Color (red)"},
        {"(#DSOFF)", "1B4700", "", "ESC G - Turn double-strike mode off"},
        {"(#DSON)", "1B4701", "", "ESC G - Turn double-strike mode on"},
        {"(#EOFF)", "1B4500", "", "ESC E - Turn Emphasized mode off"},
        {"(#EON)", "1B4501", "", "ESC E - Turn Emphasized mode on"},
        {"(#FCUT)", "1D5601", "", "GS V - Select Cut mode and cut paper full cut"},
        {"(#FFEED)", "1B6408", "", "Form Feed"},
        {"(#FONT)", "1B2100", "", "ESC ! - Select Print Mode (Font A)"},
        {"(#INIT)", "1B40", "", "ESC @ - Initialize printer"},
        {"(#LF)", "0A", "0D0A", "LF - Print and Line Feed"},
        {"(#RFEED)", "1B6504", "", "ESC e - Print and reverse feed n lines (4lin)"},
        {"(#UOFF)", "1B2D00", "", "ESC -  - Turn undeline mode off"},
        {"(#UON)", "1B2D01", "", "ESC -  - Turn underline mode on (at 1-dot width)"},
    }};
    return codigos;
}

bool DirectPrintHelper::CargaRecordset(QSqlDatabase db, QString* error) {
    auto falla = [&](const QSqlQuery& q) {
        if (error)
            *error = q.lastError().text();
        return false;
    };
    QSqlQuery consulta(db);
    if (!consulta.exec(QStringLiteral("SELECT COUNT(*) FROM CodigosDeControl")) || !consulta.next())
        return falla(consulta);
    if (consulta.value(0).toLongLong() == 0) {
        const bool transaccion = db.transaction();
        QSqlQuery alta(db);
        if (!alta.prepare(
                QStringLiteral("INSERT INTO CodigosDeControl (Macro, ValorHexPeriferico, "
                               "ValorStringPantalla, Descripcion) VALUES (?, ?, ?, ?)"))) {
            if (transaccion)
                db.rollback();
            return falla(alta);
        }
        for (const CodigoPorDefecto& c : CodigosPorDefecto()) {
            alta.bindValue(0, QString::fromLatin1(c.macro));
            alta.bindValue(1, QString::fromLatin1(c.hexImpresora));
            alta.bindValue(2, QString::fromLatin1(c.hexPantalla));
            alta.bindValue(3, QString::fromLatin1(c.descripcion));
            if (!alta.exec()) {
                if (transaccion)
                    db.rollback();
                return falla(alta);
            }
        }
        if (transaccion && !db.commit()) {
            if (error)
                *error = db.lastError().text();
            db.rollback();
            return false;
        }
    }
    // Rows in the order they were added.
    QSqlQuery filas(db);
    filas.setForwardOnly(true);
    if (!filas.exec(QStringLiteral("SELECT * FROM CodigosDeControl ORDER BY rowid")))
        return falla(filas);
    RecordsetMemoria registros = RecordsetMemoria::DesdeConsulta(filas);
    CargaRegistros(registros);
    return true;
}

void DirectPrintHelper::CargaRegistros(Recordset& registros) {
    if (registros.Vacio())
        return;
    const int macro = registros.IndiceCampo(QStringLiteral("Macro"));
    const int impresora = registros.IndiceCampo(QStringLiteral("ValorHexPeriferico"));
    const int pantalla = registros.IndiceCampo(QStringLiteral("ValorStringPantalla"));
    const int descripcion = registros.IndiceCampo(QStringLiteral("Descripcion"));
    for (registros.MoveFirst(); !registros.AlFinal(); registros.MoveNext())
        Add(registros.Valor(macro).toString(), registros.Valor(impresora).toString(),
            registros.Valor(pantalla).toString(), registros.Valor(descripcion).toString());
}

DirectPrintHelper::Puntero DirectPrintHelper::Add(const QString& macro, const QString& hexImpresora,
                                                  const QString& hexPantalla,
                                                  const QString& descripcion) {
    auto codigo = std::make_shared<DirectPrintHelp>();
    codigo->SetMacro(macro);
    codigo->SetValorHexPrinter(hexImpresora);
    codigo->SetValorHexScreen(hexPantalla);
    codigo->SetDescripcion(descripcion);
    Remove(macro);
    Agrega(codigo, macro);
    return codigo;
}

QString DirectPrintHelper::Expande(const QString& texto, bool impresora) const {
    QString resultado = texto;
    for (const DirectPrintHelp& c : *this) {
        // An empty macro would match between every two characters.
        if (c.Macro().isEmpty())
            continue;
        resultado.replace(c.Macro(), impresora ? c.ValorStrPrinter() : c.ValorStrScreen(),
                          Qt::CaseInsensitive);
    }
    return resultado;
}

QString DirectPrintHelper::Parse(const QString& rutaPlantilla, const Dataset& datos, bool impresora,
                                 QString* error) const {
    clsDatosApp* ajustes = clsDatosApp::Instancia();
    std::shared_ptr<DocumentoTicket> documento = ajustes ? ajustes->Documento() : nullptr;
    if (!documento) {
        documento = std::make_shared<DocumentoTicket>();
        if (ajustes)
            ajustes->SetDocumento(documento);
    }
    if (!documento->LeerFichero(rutaPlantilla, error))
        return QString();
    return Renderiza(*documento, datos, impresora);
}

QString DirectPrintHelper::Renderiza(const DocumentoTicket& documento, const Dataset& datos,
                                     bool impresora) const {
    auto aplicaCampos = [&](QString linea) {
        for (const DocumentoCampo& campo : documento.Campos())
            linea = campo.Parse(linea, datos);
        return linea;
    };
    QString resultado;
    for (const DocumentoSeccion& seccion : documento.Secciones()) {
        if (!seccion.Detalle()) {
            for (const QString& linea : seccion.Lineas())
                resultado += aplicaCampos(linea);
            continue;
        }
        Recordset* registros = datos.Item(seccion.Key());
        if (!registros || registros->Vacio())
            continue;
        for (registros->MoveFirst(); !registros->AlFinal(); registros->MoveNext())
            for (const QString& linea : seccion.Lineas())
                resultado += aplicaCampos(linea);
        registros->MoveFirst();
    }
    return Expande(resultado, impresora);
}
