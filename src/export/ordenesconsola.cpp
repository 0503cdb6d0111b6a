#include "export/ordenesconsola.h"

#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "db/esquema.h"

#include <QRegularExpression>
#include <cstring>

namespace {
// The commands read the database read-only and never change it, so an older file is not
// completed: it is refused when it lacks a table or column they read. An empty file opens as a
// database without tables.
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
                                        "): open it once with the program, then run the command");
    }
    return Resultado::Exito();
}
} // namespace

OrdenesConsola::OrdenesConsola(const QStringList& args, const QString& orden,
                               const QStringList& opciones) {
    const QStringList conocidas = QStringList{"--database", "--settings"} + opciones;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == orden)
            continue;
        bool tomada = false;
        for (const QString& opcion : conocidas) {
            if (a == opcion) {
                if (i + 1 >= args.size()) {
                    m_error = opcion + " needs a value";
                    return;
                }
                m_opciones.insert(opcion, args.at(++i));
                tomada = true;
            } else if (a.startsWith(opcion + "=")) {
                m_opciones.insert(opcion, a.mid(opcion.size() + 1));
                tomada = true;
            }
            if (tomada)
                break;
        }
        if (tomada)
            continue;
        if (a.startsWith("--") && a.size() > 2) {
            m_error = "unknown option " + a;
            return;
        }
        m_valores << a;
    }
}

Resultado OrdenesConsola::AbreDatos(std::unique_ptr<clsDatosApp>& datos) const {
    kelRegistry::UsaArchivoIni(Opcion("--settings"));
    datos = std::make_unique<clsDatosApp>();
    if (!Opcion("--database").isEmpty())
        datos->SetBaseDatos(Opcion("--database"));
    // A mistyped path must fail, not give an empty database.
    if (!BaseDatos::Existe(datos->BaseDatos()))
        return Resultado::Fallo("database not found: " + datos->BaseDatos());
    if (const Resultado abierta =
            BaseDatos::AbreBaseDatos(*datos, BaseDatos::Apertura::SoloLectura);
        !abierta)
        return abierta;
    if (const Resultado completa = CompruebaTablas(datos->Conexion()); !completa)
        return Resultado::Fallo(completa.Error() + ": " + datos->BaseDatos());
    return {};
}

bool OrdenesConsola::Pedida(int argc, char** argv, const char* orden) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], orden) == 0)
            return true;
    return false;
}

Resultado OrdenesConsola::Fecha(const QString& texto, QDate& fecha) {
    static const QRegularExpression forma(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    fecha = forma.match(texto).hasMatch() ? QDate::fromString(texto, QStringLiteral("yyyy-MM-dd"))
                                          : QDate();
    if (!fecha.isValid())
        return Resultado::Fallo("not a date (yyyy-mm-dd): \"" + texto + "\"");
    return {};
}
