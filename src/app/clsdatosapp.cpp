#include "app/clsdatosapp.h"

#include "app/cmnlanguaje.h"
#include "app/kelnumerics.h"
#include "app/kelregistry.h"
#include "app/kelstrings.h"
#include "app/kelversion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QSysInfo>

clsDatosApp* clsDatosApp::s_instancia = nullptr;

namespace {
const QString kColumnas = QStringLiteral("\\Configuracion\\Columnas");
const QString kTiquet = QStringLiteral("\\Configuracion\\Tiquet");
const QString kConfiguracion = QStringLiteral("\\Configuracion");
// The company running the station, set in the configuration window or by an installer.
const QString kEmpresa = QStringLiteral("\\Empresa");
// Separators stored here take precedence over the user's locale.
const QString kInternacional = QStringLiteral("\\Internacional");

QString Leer(const QString& clave, const QString& nombre) {
    return kelRegistry::GetAppString(clave, nombre);
}

// How a setting's stored text is read, and the form in which it is kept and stored.
enum class Tipo {
    Texto,     // as it stands
    Booleano,  // "1" or "0": any non-zero number is true, anything else false
    Entero,    // the whole text as a 32-bit integer, 0 when it is not one
    Inicial,   // the leading number, rounded; 0 when there is none
    Inicial16, // the same within 16 bits
    Impresion, // the leading number when it is 0 or 1, otherwise 0
    Marca,     // always its default: says that the group above it has been stored
};

struct Ajuste {
    QString grupo;
    QString nombre;
    Tipo tipo;
    QString porDefecto; // what a value that is missing or empty stands for
    // A text keeps no more characters than this: what it is used for needs no more, and a
    // settings file edited by hand may hold anything.
    qsizetype longitudMaxima = clsDatosApp::LongitudRuta;
};

// Every stored setting, once, in the order they are stored. The columns are read only when
// Definido is exactly 1; then a missing one is false.
const std::vector<Ajuste>& Declaracion() {
    static const std::vector<Ajuste> ajustes = [] {
        using T = Tipo;
        std::vector<Ajuste> a;
        for (int i = 1; i <= clsDatosApp::ColumnasLinea; ++i) {
            const QString n = QString::number(i);
            const bool impresa = i == 1 || i == 2 || i == 5 || i == 6;
            a.push_back({kColumnas, "Pantalla" + n, T::Booleano, "1"});
            a.push_back({kColumnas, "Impresas" + n, T::Booleano, impresa ? "1" : "0"});
        }
        a.push_back({kColumnas, "Definido", T::Marca, "1"});
        // A station that never stored its ticket printer's serial line gets the line the
        // serial channel always uses: no flow control, 19200 bps, no parity, 8 data bits and
        // 1 stop bit, as positions of the configuration window's lists.
        a.push_back({kTiquet, "CommTiquetFlujo", T::Entero, "0"});
        a.push_back({kTiquet, "CommTiquetBPS", T::Entero, "6"});
        a.push_back({kTiquet, "CommTiquetParidad", T::Entero, "2"});
        a.push_back({kTiquet, "CommTiquetBitsDatos", T::Entero, "4"});
        a.push_back({kTiquet, "CommTiquetBitsParada", T::Entero, "0"});
        for (int i = 0; i < 3; ++i)
            a.push_back({kConfiguracion, "DatosEmpresa" + QString::number(i), T::Texto, "",
                         clsDatosApp::LongitudLinea});
        a.push_back({kConfiguracion, "Idioma", T::Inicial, "0"});
        a.push_back({kConfiguracion, "ModeloTicket", T::Texto, ""});
        a.push_back({kConfiguracion, "NombreImpresoraTiquets", T::Texto, ""});
        a.push_back({kConfiguracion, "NumeracionAutomatica", T::Booleano, "0"});
        a.push_back({kConfiguracion, "PesoContinuo", T::Booleano, "0"});
        a.push_back({kConfiguracion, "Puerto", T::Inicial16, "0"});
        a.push_back({kConfiguracion, "TipoBascula", T::Inicial, "0"});
        a.push_back({kConfiguracion, "TipoImpresora", T::Impresion, "0"});
        a.push_back({kConfiguracion, "TipoPuertoImpresoraTiquets", T::Inicial, "0"});
        a.push_back({kConfiguracion, "UnidadMedida", T::Texto, "", clsDatosApp::LongitudUnidad});
        a.push_back({kConfiguracion, "PuertoNombre", T::Texto, ""});
        // The scale's line and flow control, empty for its protocol's; the user's protocol
        // (type 6); and the stability rule for scales whose frames do not say.
        a.push_back({kConfiguracion, "LineaBascula", T::Texto, ""});
        a.push_back({kConfiguracion, "FlujoBascula", T::Texto, ""});
        a.push_back({kConfiguracion, "TramaUsuario", T::Texto, ""});
        a.push_back({kConfiguracion, "EstableUsuario", T::Texto, ""});
        a.push_back({kConfiguracion, "FinTramaUsuario", T::Texto, ""});
        a.push_back({kConfiguracion, "PeticionUsuario", T::Texto, ""});
        a.push_back({kConfiguracion, "EstableLecturas", T::Entero, "3"});
        a.push_back({kConfiguracion, "EstableMs", T::Entero, "1000"});
        a.push_back({kConfiguracion, "EstableMargen", T::Texto, ""});
        a.push_back({kConfiguracion, "PaginaCodigosTiquet", T::Texto, "IBM850"});
        // The database: a file path or a server's connection URI; empty for the default file.
        a.push_back({kConfiguracion, "BaseDatos", T::Texto, ""});
        // The seconds a statement waits for the server's answer.
        a.push_back({kConfiguracion, "EsperaServidor", T::Entero,
                     QString::number(clsDatosApp::EsperaServidorPorDefecto)});
        // The station's name in the weighing log; empty for the computer's.
        a.push_back({kConfiguracion, "Puesto", T::Texto, "", clsDatosApp::LongitudPuesto});
        // Taking a weight: how recent a continuous reading must be, how long a moving load is
        // waited for, whether the same load may be taken twice, whether gross weights may be
        // typed.
        a.push_back({kConfiguracion, "LecturaRecienteMs", T::Entero, "2000"});
        a.push_back({kConfiguracion, "EsperaEstableMs", T::Entero, "3000"});
        a.push_back({kConfiguracion, "UnaPesadaPorCarga", T::Booleano, "1"});
        a.push_back({kConfiguracion, "PesoManual", T::Booleano, "1"});
        a.push_back({kEmpresa, "Cliente", T::Texto, "", clsDatosApp::LongitudLinea});
        a.push_back({kEmpresa, "NIFCliente", T::Texto, "", clsDatosApp::LongitudLinea});
        return a;
    }();
    return ajustes;
}

const Ajuste* Declarado(QStringView nombre) {
    static const QHash<QString, const Ajuste*> porNombre = [] {
        QHash<QString, const Ajuste*> h;
        for (const Ajuste& a : Declaracion())
            h.insert(a.nombre, &a);
        return h;
    }();
    return porNombre.value(nombre.toString());
}

// The text a setting keeps for `texto`.
QString Normaliza(const Ajuste& a, const QString& texto) {
    switch (a.tipo) {
    case Tipo::Texto:
        return kelStrings::Acotado(texto, a.longitudMaxima);
    case Tipo::Booleano:
        return kelNumerics::BooleanoSeguro(texto) ? QStringLiteral("1") : QStringLiteral("0");
    case Tipo::Entero:
        return QString::number(kelNumerics::EnteroSeguro(texto));
    case Tipo::Inicial:
        return QString::number(kelNumerics::EnteroInicial(texto));
    case Tipo::Inicial16:
        return QString::number(kelNumerics::EnteroInicial(texto, 16));
    case Tipo::Impresion: {
        const qint32 v = kelNumerics::EnteroInicial(texto);
        return QString::number(v == 0 || v == 1 ? v : 0);
    }
    case Tipo::Marca:
        break;
    }
    return a.porDefecto;
}
} // namespace

clsDatosApp::clsDatosApp() {
    static int contador = 0;
    m_nombreConexion = QStringLiteral("pesix_%1").arg(++contador);
    m_baseDatos = BaseDatosPorDefecto();
    LeeSeparadores();
    if (!s_instancia)
        s_instancia = this;
    CargaConfiguracion();
    if (!BaseDatosGuardada().trimmed().isEmpty())
        m_baseDatos = BaseDatosGuardada().trimmed();
}

clsDatosApp::~clsDatosApp() {
    if (s_instancia == this) {
        s_instancia = nullptr;
        cmnLanguaje::PonIdioma(0);
    }
    m_printHelper.reset();
    m_documentoTicket.reset();
    if (QSqlDatabase::contains(m_nombreConexion)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_nombreConexion, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_nombreConexion);
    }
}

clsDatosApp* clsDatosApp::Instancia() {
    return s_instancia;
}

QString clsDatosApp::BaseDatosPorDefecto() {
    QString dir;
    QString base = QStringLiteral("pesix");
    if (QCoreApplication::instance()) {
        dir = QCoreApplication::applicationDirPath();
        base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    }
    // An installed program keeps its data in the user's folders even when its own folder could be
    // written to (by root, say); a build-tree run keeps the database beside the program.
    if (dir.isEmpty() || !QFileInfo(dir).isWritable() || !CarpetaDatosInstalados().isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (dir.isEmpty())
            dir = QDir::homePath();
    }
    return dir + "/" + base + ".db";
}

QString clsDatosApp::CarpetaDatosInstalados() {
    if (!QCoreApplication::instance())
        return {};
    const QDir datos(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/pesix"));
    return datos.exists() ? datos.canonicalPath() : QString();
}

QString clsDatosApp::CarpetaPlantillas() {
    if (const QString instalados = CarpetaDatosInstalados(); !instalados.isEmpty())
        return instalados + QStringLiteral("/templates");
    if (!QCoreApplication::instance())
        return {};
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../templates"))
        .absolutePath();
}

QString clsDatosApp::ModeloTicket() const {
    const QString elegido = Texto(u"ModeloTicket");
    if (!elegido.isEmpty() || CarpetaDatosInstalados().isEmpty())
        return elegido;
    return CarpetaPlantillas() + QStringLiteral("/ejemplo-80mm.dti");
}

QString clsDatosApp::Puesto() const {
    const QString puesto = Texto(u"Puesto").trimmed();
    return puesto.isEmpty() ? kelStrings::Acotado(QSysInfo::machineHostName(), LongitudPuesto)
                            : puesto;
}

QString clsDatosApp::Caption() const {
    const QString programa = "Pesix v." + kelVersion::Texto();
    return Cliente().isEmpty() ? programa : programa + " - " + Cliente();
}

void clsDatosApp::SetColPantalla(int i, bool v) {
    if (EnRango(i))
        Pon(QString("Pantalla" + QString::number(i)), v);
}

void clsDatosApp::SetColImpresas(int i, bool v) {
    if (EnRango(i))
        Pon(QString("Impresas" + QString::number(i)), v);
}

void clsDatosApp::SetIdioma(qint32 v) {
    Pon(u"Idioma", v);
    if (s_instancia == this)
        cmnLanguaje::PonIdioma(Idioma());
}

void clsDatosApp::Pon(QStringView nombre, const QString& texto) {
    if (const Ajuste* a = Declarado(nombre))
        m_valores.insert(a->nombre, Normaliza(*a, texto));
}

QSqlDatabase clsDatosApp::Conexion() const {
    return QSqlDatabase::database(m_nombreConexion, false);
}

QString clsDatosApp::DatosEmpresa(int i) const {
    return (i >= 0 && i <= 2) ? Texto(QString("DatosEmpresa" + QString::number(i))) : QString();
}

void clsDatosApp::SetDatosEmpresa(int i, const QString& v) {
    if (i >= 0 && i <= 2)
        Pon(QString("DatosEmpresa" + QString::number(i)), v);
}

void clsDatosApp::LeeSeparadores() {
    const QLocale local; // the user's locale unless the program set another
    const QString decimal = local.decimalPoint();
    const QString miles = local.groupSeparator();
    auto elige = [](const QString& nombre, const QString& delLocal) {
        const QString guardado = Leer(kInternacional, nombre);
        return guardado.isEmpty() ? delLocal : guardado;
    };
    m_sepDecimal = elige("sDecimal", decimal);
    m_sepMiles = elige("sThousand", miles);
    // The locale offers no separate monetary separators: money uses the number's.
    m_sepMonedaDecimal = elige("sMonDecimalSep", decimal);
    m_sepMonedaMiles = elige("sMonThousandSep", miles);
    // Where "," is the decimal separator in effect, lists are separated by ";".
    m_sepListas = elige("sList", m_sepDecimal == "," ? QStringLiteral(";") : QStringLiteral(","));
    // The first mark between the parts of the locale's short date, outside quoted text.
    QString fecha;
    bool citado = false;
    for (const QChar c : local.dateFormat(QLocale::ShortFormat)) {
        if (c == '\'')
            citado = !citado;
        else if (!citado && !c.isLetter() && !c.isSpace()) {
            fecha = c;
            break;
        }
    }
    m_sepFecha = elige("sDate", fecha.isEmpty() ? QStringLiteral("/") : fecha);
}

void clsDatosApp::CargaConfiguracion() {
    // The columns count as stored only when the leading number is exactly 1 ("1.4" is not).
    const bool columnas = kelNumerics::Val(Leer(kColumnas, "Definido")) == 1.0;
    for (const Ajuste& a : Declaracion()) {
        const bool columna = a.grupo == kColumnas;
        QString texto = columna && !columnas ? a.porDefecto : Leer(a.grupo, a.nombre);
        // A missing value takes its default; a missing column is false once they are stored.
        if (texto.isEmpty() && !columna)
            texto = a.porDefecto;
        m_valores.insert(a.nombre, Normaliza(a, texto));
    }
    if (s_instancia == this)
        cmnLanguaje::PonIdioma(Idioma());
}

void clsDatosApp::GuardaConfiguracion() const {
    for (const Ajuste& a : Declaracion())
        kelRegistry::SaveAppString(a.grupo, a.nombre, m_valores.value(a.nombre));
}
