#include "export/exportaalbaranes.h"

#include "app/archivosalida.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/basedatos.h"
#include "db/recordsetconsulta.h"
#include "export/clsxmlexport.h"

#include <QSqlQuery>
#include <charconv>
#include <cstring>

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
    "AlbaranesDetalle.HoraPesada AS HoraPesada");
// Where each line's weight came from: its weighing log entry, or 1 in Manual for one typed;
// and 1 in Anulado for the lines of a void note.
const QString kProcedencia = QStringLiteral(
    ", AlbaranesDetalle.IdPesada AS IdPesada, CASE WHEN AlbaranesDetalle.NumLinea IS NOT NULL AND "
    "AlbaranesDetalle.IdPesada IS NULL THEN '1' END AS \"Manual\", CASE WHEN "
    "AlbaranesCabeceras.Anulado THEN '1' END AS \"Anulado\"");
const QString kOrigen = QStringLiteral(
    " FROM AlbaranesCabeceras LEFT JOIN AlbaranesDetalle ON (AlbaranesCabeceras.Fecha = "
    "AlbaranesDetalle.Fecha) AND (AlbaranesCabeceras.NumAlbaran = AlbaranesDetalle.NumAlbaran)");
// The range ends at the last moment of the last day: a date column takes it as that day, and a
// file's "yyyy-MM-dd" text, with any time a value of that day may carry (" HH:mm:ss"), sorts
// before it. The day after the last would not do for 9999-12-31, whose next day has a
// five-digit year and sorts first as text.
const QString kRango =
    QStringLiteral(" WHERE AlbaranesCabeceras.Fecha >= %1 AND AlbaranesCabeceras.Fecha <= %2");

QString FinRango(const QDate& hasta) {
    return BaseDatos::FechaSQL(hasta) + QStringLiteral(" 23:59:59.999");
}
const QString kOrden =
    QStringLiteral(" ORDER BY AlbaranesCabeceras.Fecha, AlbaranesCabeceras.NumAlbaran, "
                   "AlbaranesDetalle.NumLinea");

constexpr qsizetype kBloque = 1 << 20; // bytes gathered before each write
// How long a server may take to sort the range before the first rows come: minutes for years
// of notes on a loaded server, far beyond a station's wait for an answer.
constexpr int kEsperaLectura = 3600; // seconds

// A value that would break the line apart unless quoted.
void AnexaEntero(QByteArray& d, qint64 v) {
    char cifras[24];
    const auto r = std::to_chars(cifras, cifras + sizeof cifras, v);
    d.append(cifras, r.ptr - cifras);
}

bool NecesitaComillas(QByteArrayView v, QByteArrayView separador) {
    const char s = separador.size() == 1 ? separador.front() : '"';
    for (char c : v)
        if (c == '"' || c == '\r' || c == '\n' || c == s)
            return true;
    return separador.size() > 1 && v.contains(separador);
}

// Appends a piece of a row. A row is many short pieces, and this is cheaper for each than the
// general insertion that QByteArray's append takes.
void Pon(QByteArray& d, QByteArrayView v) {
    if (v.isEmpty())
        return;
    const qsizetype k = d.size();
    d.resize(k + v.size());
    std::memcpy(d.data() + k, v.data(), size_t(v.size()));
}

// Text between double quotes, a quote inside doubled.
void PonEntreComillas(QByteArray& d, QByteArrayView v) {
    d += '"';
    if (!std::memchr(v.data(), '"', size_t(v.size()))) {
        Pon(d, v);
    } else {
        for (char c : v) {
            if (c == '"')
                d += '"';
            d += c;
        }
    }
    d += '"';
}
} // namespace

ExportaAlbaranes::ExportaAlbaranes(QSqlDatabase db, const QString& separadorListas,
                                   const FormatoValores& formato)
    : m_db(db), m_separadorListas(separadorListas), m_formato(formato) {}

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

QString ExportaAlbaranes::Consulta(bool conProcedencia) {
    return kColumnas + (conProcedencia ? kProcedencia : QString()) + kOrigen +
           kRango.arg("?", "?") + kOrden;
}

QString ExportaAlbaranes::ConsultaLiteral(const QDate& desde, const QDate& hasta) {
    return kColumnas + kOrigen +
           kRango.arg("'" + BaseDatos::FechaSQL(desde) + "'", "'" + FinRango(hasta) + "'") + kOrden;
}

Resultado ExportaAlbaranes::FalloLectura(const QString& error) {
    m_lecturaFallida = true;
    return Resultado::Fallo(error);
}

Resultado ExportaAlbaranes::Exporta(QDate desde, QDate hasta, const QString& ruta) {
    m_filas = 0;
    m_lecturaFallida = false;
    m_cancelada = false;
    if (!desde.isValid() || !hasta.isValid())
        return Resultado::Fallo(Texto(IdTexto::FechaNoValida));
    const Formato formato = FormatoDeRuta(ruta);
    if (formato == Formato::Ninguno)
        return Resultado::Fallo(Texto(IdTexto::ExtensionExportacion));
    // The file is replaced whole once written: over the database, that would destroy it.
    m_protegidos = ArchivoSalida::DeBaseDatos(BaseDatos::Archivo(m_db));
    if (Resultado r = ArchivoSalida::Comprueba(ruta, m_protegidos); !r)
        return r;
    if (desde > hasta)
        std::swap(desde, hasta);
    if (m_avance)
        CuentaFilas(desde, hasta);

    // The XML file always tells where each weight came from, as attributes of its line.
    RecordsetConsulta registros(m_db, Consulta(m_conProcedencia || formato == Formato::Xml),
                                {BaseDatos::FechaSQL(desde), FinRango(hasta)});
    registros.SetTablasEsquema(
        {QStringLiteral("AlbaranesCabeceras"), QStringLiteral("AlbaranesDetalle")});
    registros.SetEsperaServidor(kEsperaLectura);
    if (const Resultado abierto = registros.Abre(); !abierto)
        return FalloLectura(abierto.Error());

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

Resultado ExportaAlbaranes::EscribeTexto(RecordsetConsulta& registros, const QString& ruta,
                                         const QString& separador) {
    ArchivoSalida archivo(ruta, m_protegidos);
    if (Resultado r = archivo.Abre(); !r)
        return r;

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

    // Rows are composed in UTF-8 straight from the stored values, then encoded.
    const QByteArray sep = separador.toUtf8();
    QByteArray fila;
    fila.reserve(4096);
    for (; !registros.AlFinal(); registros.MoveNext()) {
        fila.truncate(0); // keeps its room
        for (int i = 0; i < n; ++i) {
            if (i > 0 && sep.size() == 1)
                fila += sep.front();
            else if (i > 0)
                Pon(fila, sep);
            const qsizetype inicio = fila.size();
            if (entreComillas.at(i) &&
                registros.TipoAlmacenado(i) == RecordsetConsulta::Almacenado::Texto) {
                PonEntreComillas(fila, registros.Utf8(i));
                continue;
            }
            if (entreComillas.at(i)) {
                // Text is always quoted, a quote inside doubled.
                fila += '"';
                AnexaValor(fila, registros, i, tipos.at(i));
                if (QByteArrayView(fila).sliced(inicio + 1).contains('"')) {
                    const QByteArray texto = fila.mid(inicio + 1).replace('"', "\"\"");
                    fila.truncate(inicio + 1);
                    fila += texto;
                }
                fila += '"';
                continue;
            }
            AnexaValor(fila, registros, i, tipos.at(i));
            // Anything else only when it would break the line apart.
            if (NecesitaComillas(QByteArrayView(fila).sliced(inicio), sep)) {
                const QByteArray texto = fila.mid(inicio).replace('"', "\"\"");
                fila.truncate(inicio);
                fila += '"' + texto + '"';
            }
        }
        Pon(fila, "\r\n");
        CodificacionExportacion::AnexaDesdeUtf8(bytes, fila, m_codificacion);
        ++m_filas;
        if (m_avance && m_filas % FilasPorAviso == 0 && !Avisa())
            break;
        if (bytes.size() >= kBloque) {
            archivo.Escribe(bytes);
            bytes.truncate(0);
            if (archivo.Fallido())
                break;
        }
    }
    if (m_cancelada) {
        archivo.Cancela();
        return Resultado::Fallo(Texto(IdTexto::Cancelado));
    }
    if (!registros.Error().isEmpty()) {
        archivo.Cancela();
        return FalloLectura(registros.Error());
    }
    archivo.Escribe(bytes);
    return archivo.Confirma();
}

void ExportaAlbaranes::CuentaFilas(const QDate& desde, const QDate& hasta) {
    QSqlQuery q(m_db);
    q.prepare("SELECT COUNT(*)" + kOrigen + kRango.arg("?", "?"));
    q.addBindValue(BaseDatos::FechaSQL(desde));
    q.addBindValue(FinRango(hasta));
    m_total = q.exec() && q.next() ? q.value(0).toLongLong() : 0;
}

bool ExportaAlbaranes::Avisa() {
    const qint64 milesimas = m_total > 0 ? std::min<qint64>(1000, m_filas * 1000 / m_total) : 0;
    if (m_avance(m_filas, int(milesimas)))
        return true;
    m_cancelada = true;
    return false;
}

void ExportaAlbaranes::AnexaValor(QByteArray& d, const RecordsetConsulta& registros, int i,
                                  Recordset::Tipo tipo) const {
    using T = Recordset::Tipo;
    using A = RecordsetConsulta::Almacenado;
    switch (registros.TipoAlmacenado(i)) {
    case A::Nulo:
        return;
    case A::Texto:
        if (tipo == T::Texto || tipo == T::Nulo) {
            Pon(d, registros.Utf8(i));
            return;
        }
        if ((tipo == T::Fecha || tipo == T::FechaHora) &&
            m_formato.AnexaFechaUtf8(d, registros.Utf8(i), tipo == T::FechaHora))
            return;
        break;
    case A::Entero:
        if (tipo == T::Booleano)
            d += registros.Entero(i) != 0 ? '1' : '0';
        else if (tipo == T::Doble)
            m_formato.AnexaDobleUtf8(d, double(registros.Entero(i)));
        else if (tipo == T::Entero || tipo == T::Texto || tipo == T::Nulo)
            AnexaEntero(d, registros.Entero(i));
        else
            break;
        return;
    case A::Real:
        if (tipo == T::Doble || tipo == T::Entero || tipo == T::Texto || tipo == T::Nulo) {
            // A server's text of the number is mostly the form already: not read and rewritten.
            if (!m_formato.AnexaTextoDobleUtf8(d, registros.TextoReal(i)))
                m_formato.AnexaDobleUtf8(d, registros.Real(i));
            return;
        }
        break;
    case A::Binario:
        break;
    }
    // Anything unusual for its column takes the general form.
    d += m_formato.Texto(registros.Valor(i), tipo).toUtf8();
}

Resultado ExportaAlbaranes::EscribeXml(RecordsetConsulta& registros, const QString& ruta) {
    clsXMLExport xml;
    xml.SetFormato(m_formato);
    xml.SetOutputFile(ruta);
    xml.SetArchivosProtegidos(m_protegidos);
    // Written as it grows: a million rows would not fit in memory as one text.
    if (!xml.AbreSalida())
        return Resultado::Fallo(xml.DescripcionError());
    xml.SetCurrentRecordset(&registros);
    xml.SetCamposAtributo(
        {QStringLiteral("IdPesada"), QStringLiteral("Manual"), QStringLiteral("Anulado")});
    if (m_avance)
        xml.SetAvance([this](qint64 filas) {
            m_filas = filas;
            return filas % FilasPorAviso != 0 || Avisa();
        });
    const bool conFilas = xml.AddRecordset(QStringLiteral("Items"), QStringLiteral("Item"), false);
    if (m_cancelada)
        return Resultado::Fallo(Texto(IdTexto::Cancelado)); // the file is left as it was
    m_filas = registros.RegistrosLeidos();
    if (!registros.Error().isEmpty())
        return FalloLectura(registros.Error()); // the half-written file is discarded
    // The writer adds nothing for an empty record set; a declaration alone is no XML document,
    // so a range without notes gets an empty root element that every reader opens.
    if (!conFilas && m_filas == 0) {
        xml.TagStart(QStringLiteral("Items"));
        xml.TagEnd();
    }
    if (!xml.PersistXML())
        return Resultado::Fallo(xml.DescripcionError());
    return Resultado::Exito();
}
