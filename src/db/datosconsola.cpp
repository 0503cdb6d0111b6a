#include "db/datosconsola.h"

#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "app/lineacomandos.h"
#include "db/basedatos.h"
#include "db/esquema.h"

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

Resultado DatosConsola::Abre(const LineaComandos& linea, std::unique_ptr<clsDatosApp>& datos) {
    kelRegistry::UsaArchivoIni(linea.Opcion("--settings"));
    datos = std::make_unique<clsDatosApp>();
    if (!linea.Opcion("--database").isEmpty())
        datos->SetBaseDatos(linea.Opcion("--database"));
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
