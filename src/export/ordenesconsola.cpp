#include "export/ordenesconsola.h"

#include "app/clsdatosapp.h"
#include "app/kelfileio.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"

#include <QRegularExpression>
#include <cstring>

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
    if (!kelFileIO::ExisteFichero(datos->BaseDatos()))
        return Resultado::Fallo("database not found: " + datos->BaseDatos());
    if (const Resultado abierta = BaseDatos::AbreBaseDatos(*datos); !abierta)
        return Resultado::Fallo("the database cannot be opened: " + datos->BaseDatos() + ": " +
                                abierta.Error());
    return {};
}

bool OrdenesConsola::Pedida(int argc, char** argv, const char* orden) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], orden) == 0)
            return true;
    return false;
}

QDate OrdenesConsola::Fecha(const QString& texto) {
    static const QRegularExpression forma(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!forma.match(texto).hasMatch())
        return {};
    return QDate::fromString(texto, QStringLiteral("yyyy-MM-dd"));
}

int OrdenesConsola::Falla(QTextStream& errores, int codigo, const QString& mensaje) {
    // One line, whatever the engine's text held.
    QString linea = mensaje;
    linea.replace(QRegularExpression(QStringLiteral("[\\r\\n]+")), QStringLiteral(" "));
    errores << "pesix: " << linea.trimmed() << Qt::endl;
    return codigo;
}
