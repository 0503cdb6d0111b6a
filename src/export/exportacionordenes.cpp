#include "export/exportacionordenes.h"

#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "db/esquema.h"
#include "export/codificacionexportacion.h"
#include "export/exportaalbaranes.h"

#include <QDate>
#include <QRegularExpression>
#include <QSqlQuery>
#include <cstring>

namespace {
const QString kOpcion = QStringLiteral("--export");
const QString kUso = QStringLiteral(
    "usage: pesix --export FROM TO FILE [--database PATH] [--settings PATH] [--encoding NAME]");

struct Ordenes {
    QStringList posicionales;
    QString baseDatos;
    QString ajustes;
    QString codificacion;
    QString error;
};

Ordenes Lee(const QStringList& args) {
    Ordenes o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == kOpcion)
            continue;
        bool tomada = false;
        for (auto [opcion, destino] : {std::pair{QStringLiteral("--database"), &o.baseDatos},
                                       std::pair{QStringLiteral("--settings"), &o.ajustes},
                                       std::pair{QStringLiteral("--encoding"), &o.codificacion}}) {
            if (a == opcion) {
                if (i + 1 >= args.size()) {
                    o.error = opcion + " needs a value";
                    return o;
                }
                *destino = args.at(++i);
                tomada = true;
            } else if (a.startsWith(opcion + "=")) {
                *destino = a.mid(opcion.size() + 1);
                tomada = true;
            }
            if (tomada)
                break;
        }
        if (tomada)
            continue;
        if (a.startsWith("--") && a.size() > 2) {
            o.error = "unknown option " + a;
            return o;
        }
        o.posicionales << a;
    }
    return o;
}

// yyyy-mm-dd, a real date.
QDate Fecha(const QString& texto) {
    static const QRegularExpression forma(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!forma.match(texto).hasMatch())
        return {};
    return QDate::fromString(texto, QStringLiteral("yyyy-MM-dd"));
}

// One line, whatever the engine's text held.
QString UnaLinea(QString t) {
    t.replace(QRegularExpression(QStringLiteral("[\\r\\n]+")), QStringLiteral(" "));
    return t.trimmed();
}

int Falla(QTextStream& errores, int codigo, const QString& mensaje) {
    errores << "pesix: " << UnaLinea(mensaje) << Qt::endl;
    return codigo;
}

// The export reads the database read-only and never changes it, so an older file is not
// completed: it is refused when it lacks a table or column the export reads. An empty file opens
// as a database without tables.
Resultado CompruebaTablas(QSqlDatabase db) {
    for (const QString tabla : {"AlbaranesCabeceras", "AlbaranesDetalle"}) {
        QStringList columnas;
        if (const Resultado r = BaseDatos::Columnas(db, tabla, columnas); !r)
            return Resultado::Fallo("the database cannot be read: " + r.Error());
        if (columnas.isEmpty())
            return Resultado::Fallo("not a database of the program (no table " + tabla + ")");
        for (const ColumnaEsquema& c : Esquema::Tabla(tabla)->columnas)
            if (!columnas.contains(c.nombre, Qt::CaseInsensitive))
                return Resultado::Fallo("a database of an older version (" + tabla +
                                        " has no column " + c.nombre +
                                        "): open it once with the program, then export");
    }
    return Resultado::Exito();
}
} // namespace

bool ExportacionOrdenes::Pedida(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--export") == 0)
            return true;
    return false;
}

bool ExportacionOrdenes::Pedida(const QStringList& argumentos) {
    return argumentos.mid(1).contains(kOpcion);
}

int ExportacionOrdenes::Ejecuta(const QStringList& argumentos) {
    QTextStream errores(stderr);
    return Ejecuta(argumentos, errores);
}

int ExportacionOrdenes::Ejecuta(const QStringList& argumentos, QTextStream& errores) {
    const Ordenes o = Lee(argumentos);
    if (!o.error.isEmpty())
        return Falla(errores, ErrorOrdenes, o.error + "; " + kUso);
    if (o.posicionales.size() != 3)
        return Falla(errores, ErrorOrdenes, kUso);
    const QDate desde = Fecha(o.posicionales.at(0));
    const QDate hasta = Fecha(o.posicionales.at(1));
    for (int i = 0; i < 2; ++i)
        if (!(i == 0 ? desde : hasta).isValid())
            return Falla(errores, ErrorOrdenes,
                         "not a date (yyyy-mm-dd): \"" + o.posicionales.at(i) + "\"");
    const QString archivo = o.posicionales.at(2);
    if (ExportaAlbaranes::FormatoDeRuta(archivo) == ExportaAlbaranes::Formato::Ninguno)
        return Falla(errores, ErrorOrdenes,
                     "the file name must end in .txt, .csv or .xml: \"" + archivo + "\"");
    CodificacionExportacion::Tipo codificacion = CodificacionExportacion::Tipo::Windows1252;
    if (!o.codificacion.isEmpty() &&
        !CodificacionExportacion::DeNombre(o.codificacion, codificacion))
        return Falla(errores, ErrorOrdenes,
                     "unknown encoding \"" + o.codificacion + "\" (windows-1252 or utf-8)");

    kelRegistry::UsaArchivoIni(o.ajustes);
    clsDatosApp datos;
    if (!o.baseDatos.isEmpty())
        datos.SetBaseDatos(o.baseDatos);
    // An export never creates a database: a mistyped path must fail, not export nothing.
    if (!BaseDatos::Existe(datos.BaseDatos()))
        return Falla(errores, ErrorBaseDatos, "database not found: " + datos.BaseDatos());
    if (const Resultado abierta = BaseDatos::AbreBaseDatos(datos, BaseDatos::Apertura::SoloLectura);
        !abierta)
        return Falla(errores, ErrorBaseDatos, abierta.Error());
    if (const Resultado completa = CompruebaTablas(datos.Conexion()); !completa)
        return Falla(errores, ErrorBaseDatos, completa.Error() + ": " + datos.BaseDatos());
    ExportaAlbaranes exporta(datos.Conexion(), datos.SeparadorListas(),
                             FormatoValores(datos.SeparadorDecimal(), QLocale()));
    exporta.SetCodificacion(codificacion);
    const Resultado r = exporta.Exporta(desde, hasta, archivo);
    if (!r && exporta.LecturaFallida())
        return Falla(errores, ErrorBaseDatos, "the database cannot be read: " + r.Error());
    if (!r)
        return Falla(errores, ErrorArchivo, "cannot write " + archivo + ": " + r.Error());
    return Correcto;
}
