#include "app/lineacomandos.h"

#include "app/kelstrings.h"

#include <QRegularExpression>
#include <cstring>

namespace {
// Every way the program is started, once: what --help prints and each command's usage line.
struct Comando {
    QString palabra; // empty for the window
    QString uso;
    QString que;
    QString salidas;
};

const QList<Comando>& Comandos() {
    static const QList<Comando> comandos{
        {{},
         "[--database PATH|URI] [--settings PATH] [/TEST]",
         "opens the main window, or the scale test window with /TEST",
         "0 closed, 1 the database cannot be opened, 2 bad command line"},
        {"--export",
         "--export FROM TO FILE [--database PATH|URI] [--settings PATH] [--encoding NAME] "
         "[--origin]",
         "exports the notes dated FROM to TO (yyyy-mm-dd) to FILE (.txt, .csv or .xml); "
         "--origin adds each line's weighing log entry and manual mark to .txt and .csv",
         "0 written, 2 bad command line, 3 the database is missing or cannot be read, 4 the file "
         "cannot be written"},
        {"--pdf", "--pdf NUMBER DATE FILE [--database PATH|URI] [--settings PATH]",
         "writes the listing of the note NUMBER of DATE (yyyy-mm-dd) as a PDF file",
         "0 written, 2 bad command line, 3 the database or the note cannot be read, 4 the file "
         "cannot be written"},
        {"--history", "--history NUMBER DATE [--database PATH|URI] [--settings PATH]",
         "prints the versions of the note NUMBER of DATE (yyyy-mm-dd), oldest first, one line "
         "each, the columns separated by TAB",
         "0 printed, 2 bad command line, 3 the database or the note cannot be read"},
        {"--verify-alibi",
         "--verify-alibi [--database PATH|URI] [--settings PATH] [--from DATE --to DATE] "
         "[--printed ENTRY:HUELLA[,ENTRY:HUELLA...]]",
         "checks the weighing log's chains and the weights of the lines taken from it",
         "0 no fault, 1 faults found (one line each), 2 bad command line, 3 the database cannot "
         "be opened or read"},
        {"--read-scale", "--read-scale [--settings PATH] [--count N] [--wait SECONDS]",
         "prints N readings of the configured scale",
         "0 all printed, 2 bad command line, 3 no reading within the wait, 4 the port cannot be "
         "opened"},
        {"--detect-scale", "--detect-scale [--settings PATH]",
         "looks for a scale over the usual line settings and protocols",
         "0 found, 2 bad command line, 3 none answered, 4 the port cannot be opened"},
        {"--help", "--help", "prints this help", "0"},
        {"--version", "--version", "prints the version and where the templates are read from", "0"},
    };
    return comandos;
}
} // namespace

LineaComandos::LineaComandos(const QStringList& args, const QStringList& palabras,
                             const QStringList& opciones) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (palabras.contains(a))
            continue;
        bool tomada = false;
        for (const QString& opcion : opciones) {
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
            m_error = "unknown option " + a.section('=', 0, 0);
            return;
        }
        m_valores << a;
    }
}

bool LineaComandos::PideTest() const {
    return m_valores.join(' ').toUpper().contains(QLatin1String("/TEST"));
}

bool LineaComandos::Pedida(int argc, char** argv, const char* palabra) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], palabra) == 0)
            return true;
    return false;
}

QString LineaComandos::Uso(const QString& palabra) {
    for (const Comando& c : Comandos())
        if (c.palabra == palabra)
            return "usage: pesix " + c.uso;
    return {};
}

QString LineaComandos::Ayuda() {
    QString texto = QStringLiteral("usage:\n");
    for (const Comando& c : Comandos())
        texto +=
            "  pesix " + c.uso + "\n      " + c.que + "\n      exit status: " + c.salidas + "\n";
    return texto;
}

Resultado LineaComandos::Fecha(const QString& texto, QDate& fecha) {
    static const QRegularExpression forma(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    fecha = forma.match(texto).hasMatch() ? QDate::fromString(texto, QStringLiteral("yyyy-MM-dd"))
                                          : QDate();
    if (!fecha.isValid())
        return Resultado::Fallo("not a date (yyyy-mm-dd): \"" + texto + "\"");
    return {};
}

int LineaComandos::Falla(QTextStream& errores, int codigo, const QString& mensaje) {
    // One line, whatever the engine's text held.
    QString linea = kelStrings::SinContrasenas(mensaje);
    linea.replace(QRegularExpression(QStringLiteral("[\\r\\n]+")), QStringLiteral(" "));
    errores << "pesix: " << linea.trimmed() << Qt::endl;
    return codigo;
}
