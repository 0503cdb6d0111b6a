#include "export/exportaalbaranes.h"

#include "app/clsdatosapp.h"
#include "db/basedatos.h"
#include "db/recordsetconsulta.h"
#include "export/clsxmlexport.h"

#include <QSaveFile>

namespace {
const QString kColumnas = QStringLiteral(
    "SELECT AlbaranesCabeceras.NumAlbaran AS NumAlbaran, AlbaranesCabeceras.Fecha AS Fecha, "
    "AlbaranesCabeceras.NomOperario AS NomOperario, AlbaranesCabeceras.CodCliente AS CodCliente, "
    "AlbaranesCabeceras.NomCliente AS NomCliente, AlbaranesCabeceras.Direccion1 AS Direccion1, "
    "AlbaranesCabeceras.Direccion2 AS Direccion2, "
    "AlbaranesCabeceras.FechaModificacion AS FechaModificacion, "
    "AlbaranesCabeceras.Impreso AS Impreso, AlbaranesDetalle.NumLinea AS NumLinea, "
    "AlbaranesDetalle.CodProducto AS CodProducto, AlbaranesDetalle.NomProducto AS NomProducto, "
    "AlbaranesDetalle.CodTara AS CodTara, AlbaranesDetalle.PesoBruto AS PesoBruto, "
    "AlbaranesDetalle.PesoTara AS PesoTara, AlbaranesDetalle.PesoNeto AS PesoNeto, "
    "AlbaranesDetalle.Precio AS Precio, AlbaranesDetalle.PesoImporte AS PesoImporte, "
    "AlbaranesDetalle.HoraPesada AS HoraPesada"
    " FROM AlbaranesCabeceras LEFT JOIN AlbaranesDetalle ON (AlbaranesCabeceras.Fecha = "
    "AlbaranesDetalle.Fecha) AND (AlbaranesCabeceras.NumAlbaran = AlbaranesDetalle.NumAlbaran)");
// Dates are stored as "yyyy-MM-dd" text: "before the day after the last" keeps the last day
// whole even for a value carrying a time.
const QString kRango =
    QStringLiteral(" WHERE AlbaranesCabeceras.Fecha >= %1 AND AlbaranesCabeceras.Fecha < %2");
const QString kOrden =
    QStringLiteral(" ORDER BY AlbaranesCabeceras.Fecha, AlbaranesCabeceras.NumAlbaran, "
                   "AlbaranesDetalle.NumLinea");

constexpr qsizetype kBloque = 1 << 20; // bytes gathered before each write

bool NecesitaComillas(const QString& t, qsizetype desde, const QString& separador) {
    for (qsizetype i = desde; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c == u'"' || c == u'\r' || c == u'\n')
            return true;
    }
    return QStringView(t).mid(desde).contains(separador);
}
} // namespace

ExportaAlbaranes::ExportaAlbaranes(QSqlDatabase db) : m_db(db) {
    const clsDatosApp* datos = clsDatosApp::Instancia();
    m_separadorListas = datos ? datos->SeparadorListas() : QString();
}

ExportaAlbaranes::Formato ExportaAlbaranes::FormatoDeRuta(const QString& ruta) {
    const QString extension = ruta.right(4).toLower();
    if (extension == u".txt")
        return Formato::Texto;
    if (extension == u".csv")
        return Formato::Csv;
    if (extension == u".xml")
        return Formato::Xml;
    return Formato::Ninguno;
}

QString ExportaAlbaranes::Consulta() {
    return kColumnas + kRango.arg("?", "?") + kOrden;
}

QString ExportaAlbaranes::ConsultaLiteral(const QDate& desde, const QDate& hasta) {
    return kColumnas +
           kRango.arg("'" + BaseDatos::FechaSQL(desde) + "'",
                      "'" + BaseDatos::FechaSQL(hasta.addDays(1)) + "'") +
           kOrden;
}

ExportaAlbaranes::Resultado ExportaAlbaranes::Falla(Resultado r, const QString& error) {
    m_error = error;
    return r;
}

ExportaAlbaranes::Resultado ExportaAlbaranes::Exporta(QDate desde, QDate hasta,
                                                      const QString& ruta) {
    m_filas = 0;
    m_error.clear();
    if (!desde.isValid() || !hasta.isValid())
        return Falla(Resultado::FechaNoValida, QStringLiteral("not a valid date"));
    const Formato formato = FormatoDeRuta(ruta);
    if (formato == Formato::Ninguno)
        return Falla(Resultado::ExtensionDesconocida,
                     QStringLiteral("the file name must end in .txt, .csv or .xml"));
    if (desde > hasta)
        std::swap(desde, hasta);

    RecordsetConsulta registros(
        m_db, Consulta(), {BaseDatos::FechaSQL(desde), BaseDatos::FechaSQL(hasta.addDays(1))});
    registros.SetTablasEsquema(
        {QStringLiteral("AlbaranesCabeceras"), QStringLiteral("AlbaranesDetalle")});
    if (!registros.Abre())
        return Falla(Resultado::ErrorBaseDatos, registros.Error());

    Resultado r;
    if (formato == Formato::Xml) {
        r = EscribeXml(registros, ruta);
    } else {
        QString separador = formato == Formato::Texto ? QStringLiteral("\t") : m_separadorListas;
        if (separador.isEmpty())
            separador = QStringLiteral(",");
        r = EscribeTexto(registros, ruta, separador);
    }
    registros.Cierra();
    return r;
}

ExportaAlbaranes::Resultado ExportaAlbaranes::EscribeTexto(RecordsetConsulta& registros,
                                                           const QString& ruta,
                                                           const QString& separador) {
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly))
        return Falla(Resultado::ErrorArchivo, archivo.errorString());

    const int n = registros.NumCampos();
    QList<Recordset::Tipo> tipos;
    QList<bool> entreComillas;
    QString linea;
    for (int i = 0; i < n; ++i) {
        const Recordset::Tipo t = registros.TipoCampo(i);
        tipos << t;
        entreComillas << (t == Recordset::Tipo::Texto || t == Recordset::Tipo::Nulo);
        if (i > 0)
            linea += separador;
        linea += u'"' + registros.NombreCampo(i) + u'"';
    }
    linea += u"\r\n";
    QByteArray bytes;
    bytes.reserve(kBloque + 4096);
    CodificacionExportacion::Anexa(bytes, linea, m_codificacion);

    bool escrito = true;
    for (; !registros.AlFinal(); registros.MoveNext()) {
        linea.clear();
        for (int i = 0; i < n; ++i) {
            if (i > 0)
                linea += separador;
            const qsizetype inicio = linea.size();
            m_formato.Anexa(linea, registros.Valor(i), tipos.at(i));
            // Text is always quoted; anything else only when it would break the line apart.
            if (entreComillas.at(i) || NecesitaComillas(linea, inicio, separador)) {
                const QString valor = linea.mid(inicio);
                linea.truncate(inicio);
                linea += u'"';
                if (valor.contains(u'"'))
                    linea += QString(valor).replace(u'"', QStringLiteral("\"\""));
                else
                    linea += valor;
                linea += u'"';
            }
        }
        linea += u"\r\n";
        CodificacionExportacion::Anexa(bytes, linea, m_codificacion);
        ++m_filas;
        if (bytes.size() >= kBloque) {
            escrito = archivo.write(bytes) == bytes.size();
            bytes.clear();
            if (!escrito)
                break;
        }
    }
    if (!registros.Error().isEmpty()) {
        archivo.cancelWriting();
        return Falla(Resultado::ErrorBaseDatos, registros.Error());
    }
    if (!escrito || archivo.write(bytes) != bytes.size() || !archivo.commit())
        return Falla(Resultado::ErrorArchivo, archivo.errorString());
    return Resultado::Escrito;
}

ExportaAlbaranes::Resultado ExportaAlbaranes::EscribeXml(RecordsetConsulta& registros,
                                                         const QString& ruta) {
    clsXMLExport xml;
    xml.SetFormato(m_formato);
    xml.SetOutputFile(ruta);
    xml.SetCurrentRecordset(&registros);
    xml.AddRecordset(QStringLiteral("Items"), QStringLiteral("Item"), false);
    m_filas = registros.RegistrosLeidos();
    if (!registros.Error().isEmpty())
        return Falla(Resultado::ErrorBaseDatos, registros.Error());
    if (!xml.PersistXML())
        return Falla(Resultado::ErrorArchivo, xml.DescripcionError());
    return Resultado::Escrito;
}
