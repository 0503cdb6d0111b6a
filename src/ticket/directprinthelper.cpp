#include "ticket/directprinthelper.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/basedatos.h"
#include "db/dataset.h"
#include "db/recordsetmemoria.h"
#include "db/transaccion.h"
#include "ticket/documentoticket.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

namespace {
// The fields a line's placeholders may belong to, found from the line's "%...%" pieces rather
// than by searching the line for the placeholder of every field. Built once per render.
class IndiceMarcadores {
public:
    // A field, with its table and column in the data set looked up once.
    struct Campo {
        const DocumentoCampo* campo;
        const Recordset* registros;
        int columna;
        bool Parse(QString& linea, const DocumentoCampo::Separadores& separadores,
                   qsizetype limite) const {
            return campo->Parse(linea, registros, columna, separadores, limite);
        }
        // Whether the value in the current record prints as blanks.
        bool Vacio() const {
            return !registros || columna < 0 || !registros->EnRegistro() ||
                   DocumentoCampo::TextoValor(registros->Valor(columna), -1, {})
                       .trimmed()
                       .isEmpty();
        }
    };

    IndiceMarcadores(const DocumentoCampos& campos, const Dataset& datos) {
        for (const DocumentoCampo& c : campos) {
            const int i = int(m_campos.size());
            const Recordset* registros = datos.Item(c.Tabla());
            m_campos.append({&c, registros, registros ? registros->IndiceCampo(c.Campo()) : -1});
            // A placeholder holds "%" only at its ends unless its table or column does.
            if (c.Codigo().count(QLatin1Char('%')) == 2)
                m_porCodigo[c.Codigo().toCaseFolded()].append(i);
            else
                m_siempre.append(i);
        }
    }
    const Campo& Item(int i) const { return m_campos.at(i); }
    // Positions, in definition order, of the fields after `desde` whose placeholder the line
    // may hold.
    QList<int> Candidatos(const QString& linea, int desde) const {
        QList<int> r;
        for (const int i : m_siempre)
            if (i > desde)
                r.append(i);
        for (qsizetype a = linea.indexOf(QLatin1Char('%')), b; a >= 0; a = b) {
            b = linea.indexOf(QLatin1Char('%'), a + 1);
            if (b < 0)
                break;
            const auto it = m_porCodigo.constFind(linea.sliced(a, b - a + 1).toCaseFolded());
            if (it != m_porCodigo.cend())
                for (const int i : *it)
                    if (i > desde)
                        r.append(i);
        }
        std::sort(r.begin(), r.end());
        r.erase(std::unique(r.begin(), r.end()), r.end());
        return r;
    }

private:
    QList<Campo> m_campos;
    QHash<QString, QList<int>> m_porCodigo;
    QList<int> m_siempre;
};
} // namespace

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

DirectPrintHelper::DirectPrintHelper(const QString& paginaCodigos) : m_pagina(paginaCodigos) {}

void DirectPrintHelper::SetPagina(const QString& pagina) {
    m_pagina = pagina;
    for (DirectPrintHelp& c : *this)
        c.SetPagina(pagina);
}

Resultado DirectPrintHelper::CargaRecordset(QSqlDatabase db) {
    const auto falla = [](const QSqlQuery& q) {
        return Resultado::Fallo(BaseDatos::TextoError(q.lastError()));
    };
    QSqlQuery consulta(db);
    if (!consulta.exec(QStringLiteral("SELECT COUNT(*) FROM CodigosDeControl")) || !consulta.next())
        return falla(consulta);
    if (consulta.value(0).toLongLong() == 0) {
        Transaccion transaccion(db);
        if (!transaccion.Inicio())
            return transaccion.Inicio();
        QSqlQuery alta(db);
        if (!alta.prepare(QStringLiteral("INSERT INTO CodigosDeControl (Macro, ValorHexPeriferico, "
                                         "ValorStringPantalla, Descripcion) VALUES (?, ?, ?, ?)")))
            return falla(alta);
        for (const CodigoPorDefecto& c : CodigosPorDefecto()) {
            alta.bindValue(0, QString::fromLatin1(c.macro));
            alta.bindValue(1, QString::fromLatin1(c.hexImpresora));
            alta.bindValue(2, QString::fromLatin1(c.hexPantalla));
            alta.bindValue(3, QString::fromLatin1(c.descripcion));
            if (!alta.exec())
                return falla(alta);
        }
        if (Resultado confirmado = transaccion.Confirma(); !confirmado)
            return confirmado;
    }
    // Rows in the order they were added.
    QSqlQuery filas(db);
    filas.setForwardOnly(true);
    if (!filas.exec("SELECT * FROM CodigosDeControl ORDER BY " + BaseDatos::OrdenDeAlta(db)))
        return falla(filas);
    RecordsetMemoria registros = RecordsetMemoria::DesdeConsulta(filas);
    CargaRegistros(registros);
    return Resultado::Exito();
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
    auto codigo = std::make_shared<DirectPrintHelp>(m_pagina);
    codigo->SetMacro(macro);
    codigo->SetValorHexPrinter(hexImpresora);
    codigo->SetValorHexScreen(hexPantalla);
    codigo->SetDescripcion(descripcion);
    Remove(macro);
    Agrega(codigo, macro);
    return codigo;
}

bool DirectPrintHelper::Expande(QString& texto, bool impresora) const {
    for (const DirectPrintHelp& c : *this) {
        // An empty macro would match between every two characters.
        if (c.Macro().isEmpty())
            continue;
        if (!DocumentoCampo::ReemplazaAcotado(texto, c.Macro(),
                                              impresora ? c.ValorStrPrinter() : c.ValorStrScreen(),
                                              LongitudMaximaTiquet))
            return false;
    }
    return true;
}

Resultado DirectPrintHelper::Parse(const QString& rutaPlantilla, const Dataset& datos,
                                   bool impresora, const clsDatosApp& ajustes,
                                   QString& texto) const {
    texto.clear();
    std::shared_ptr<DocumentoTicket> documento = ajustes.Documento();
    if (!documento)
        documento = std::make_shared<DocumentoTicket>();
    if (Resultado leido = documento->LeerFichero(rutaPlantilla); !leido)
        return leido;
    return Renderiza(*documento, datos, impresora, DocumentoCampo::SeparadoresDe(ajustes), texto);
}

Resultado DirectPrintHelper::Renderiza(const DocumentoTicket& documento, const Dataset& datos,
                                       bool impresora,
                                       const DocumentoCampo::Separadores& separadores,
                                       QString& texto) const {
    texto.clear();
    const IndiceMarcadores marcadores(documento.Campos(), datos);
    // Appends one section line with every field applied, in definition order; false when the
    // ticket would grow beyond its limit. A value may bring placeholders of later fields, or
    // join text into one, so the line is looked at again after each replacement. A line of
    // fields that all print blank, and of no printer code but its line feed ("NIF: " with no
    // tax number), is left out.
    const auto anexa = [&](const QString& plantilla) {
        QString linea = plantilla;
        QList<int> candidatos = marcadores.Candidatos(linea, -1);
        bool conCampos = false, conValores = false;
        for (qsizetype k = 0; k < candidatos.size(); ++k) {
            const QString antes = linea;
            const auto& campo = marcadores.Item(candidatos.at(k));
            if (!campo.Parse(linea, separadores, LongitudMaximaTiquet - texto.size()))
                return false;
            if (linea.constData() != antes.constData()) {
                conCampos = true;
                conValores = conValores || !campo.Vacio();
                candidatos = marcadores.Candidatos(linea, candidatos.at(k));
                k = -1;
            }
        }
        if (conCampos && !conValores &&
            !plantilla.chopped(int(qstrlen(DocumentoTicket::MacroSaltoLinea)))
                 .contains(QLatin1String("(#")))
            return true;
        if (texto.size() + linea.size() > LongitudMaximaTiquet)
            return false;
        texto += linea;
        return true;
    };
    const auto demasiadoLargo = [&] {
        texto.clear();
        return Resultado::Fallo(Texto(IdTexto::TiquetDemasiadoLargo)
                                    .arg(documento.RutaFichero())
                                    .arg(LongitudMaximaTiquet));
    };
    for (const DocumentoSeccion& seccion : documento.Secciones()) {
        if (!seccion.Detalle()) {
            for (const QString& linea : seccion.Lineas())
                if (!anexa(linea))
                    return demasiadoLargo();
            continue;
        }
        Recordset* registros = datos.Item(seccion.Key());
        if (!registros || registros->Vacio())
            continue;
        bool cabe = true;
        for (registros->MoveFirst(); cabe && !registros->AlFinal(); registros->MoveNext())
            for (const QString& linea : seccion.Lineas())
                if (!(cabe = anexa(linea)))
                    break;
        registros->MoveFirst();
        if (!cabe)
            return demasiadoLargo();
    }
    if (!Expande(texto, impresora))
        return demasiadoLargo();
    return Resultado::Exito();
}
