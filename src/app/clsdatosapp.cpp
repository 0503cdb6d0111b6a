#include "app/clsdatosapp.h"

#include "app/kelnumerics.h"
#include "app/kelregistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

clsDatosApp* clsDatosApp::s_instancia = nullptr;

namespace {
const QString kColumnas = QStringLiteral("\\Configuracion\\Columnas");
const QString kTiquet = QStringLiteral("\\Configuracion\\Tiquet");
const QString kConfiguracion = QStringLiteral("\\Configuracion");
// Where an installer or administrator sets the company running the station.
const QString kEmpresa = QStringLiteral("\\Empresa");
// Separators stored here take precedence over the user's locale.
const QString kInternacional = QStringLiteral("\\Internacional");
const QString kPaginaCodigosPorDefecto = QStringLiteral("IBM850");

QString Leer(const QString& clave, const QString& nombre) {
    return kelRegistry::GetAppString(clave, nombre);
}
bool LeerBooleano(const QString& clave, const QString& nombre) {
    return kelNumerics::BooleanoSeguro(Leer(clave, nombre));
}
QString Booleano(bool v) {
    return v ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

clsDatosApp::clsDatosApp() {
    static int contador = 0;
    m_nombreConexion = QStringLiteral("pesix_%1").arg(++contador);
    m_baseDatos = BaseDatosPorDefecto();
    LeeSeparadores();
    m_cliente = Leer(kEmpresa, "Cliente");
    m_nifCliente = Leer(kEmpresa, "NIFCliente");
    CargaConfiguracion();
    if (!s_instancia)
        s_instancia = this;
}

clsDatosApp::~clsDatosApp() {
    if (s_instancia == this)
        s_instancia = nullptr;
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
    if (dir.isEmpty() || !QFileInfo(dir).isWritable()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (dir.isEmpty())
            dir = QDir::homePath();
    }
    return dir + "/" + base + ".db";
}

QString clsDatosApp::Caption() const {
    return QStringLiteral("Pesix v.1.0.6 - ") + m_cliente;
}

void clsDatosApp::SetColPantalla(int i, bool v) {
    if (EnRango(i))
        m_colPantalla[i - 1] = v;
}

void clsDatosApp::SetColImpresas(int i, bool v) {
    if (EnRango(i))
        m_colImpresas[i - 1] = v;
}

QSqlDatabase clsDatosApp::Conexion() const {
    return QSqlDatabase::database(m_nombreConexion, false);
}

QString clsDatosApp::DatosEmpresa(int i) const {
    return (i >= 0 && i <= 2) ? m_datosEmpresa[i] : QString();
}

void clsDatosApp::SetDatosEmpresa(int i, const QString& v) {
    if (i >= 0 && i <= 2)
        m_datosEmpresa[i] = v;
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
    m_sepListas = elige("sList", decimal == "," ? QStringLiteral(";") : QStringLiteral(","));
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
    if (kelNumerics::Val(Leer(kColumnas, "Definido")) == 1.0) {
        for (int i = 1; i <= 9; ++i) {
            m_colPantalla[i - 1] = LeerBooleano(kColumnas, "Pantalla" + QString::number(i));
            m_colImpresas[i - 1] = LeerBooleano(kColumnas, "Impresas" + QString::number(i));
        }
    } else {
        m_colPantalla.fill(true);
        for (int i : {1, 2, 5, 6})
            m_colImpresas[i - 1] = true;
    }

    m_commFlujo = kelNumerics::EnteroSeguro(Leer(kTiquet, "CommTiquetFlujo"));
    m_commBPS = kelNumerics::EnteroSeguro(Leer(kTiquet, "CommTiquetBPS"));
    m_commParidad = kelNumerics::EnteroSeguro(Leer(kTiquet, "CommTiquetParidad"));
    m_commBitsDatos = kelNumerics::EnteroSeguro(Leer(kTiquet, "CommTiquetBitsDatos"));
    m_commBitsParada = kelNumerics::EnteroSeguro(Leer(kTiquet, "CommTiquetBitsParada"));

    for (int i = 0; i < 3; ++i)
        m_datosEmpresa[i] = Leer(kConfiguracion, "DatosEmpresa" + QString::number(i));
    m_idioma = kelNumerics::EnteroInicial(Leer(kConfiguracion, "Idioma"));
    m_modeloTicket = Leer(kConfiguracion, "ModeloTicket");
    m_nombreImpresoraTiquets = Leer(kConfiguracion, "NombreImpresoraTiquets");
    m_numeracionAutomatica = LeerBooleano(kConfiguracion, "NumeracionAutomatica");
    m_pesoContinuo = LeerBooleano(kConfiguracion, "PesoContinuo");
    m_puerto = qint16(kelNumerics::EnteroInicial(Leer(kConfiguracion, "Puerto"), 16));
    m_puertoImpresoraTiquets =
        kelNumerics::EnteroInicial(Leer(kConfiguracion, "TipoPuertoImpresoraTiquets"));
    m_tipoBascula = kelNumerics::EnteroInicial(Leer(kConfiguracion, "TipoBascula"));
    SetTipoImpresora(kelNumerics::EnteroInicial(Leer(kConfiguracion, "TipoImpresora")));
    m_unidadMedida = Leer(kConfiguracion, "UnidadMedida");
    m_puertoNombre = Leer(kConfiguracion, "PuertoNombre");
    m_paginaCodigosTiquet = Leer(kConfiguracion, "PaginaCodigosTiquet");
    if (m_paginaCodigosTiquet.isEmpty())
        m_paginaCodigosTiquet = kPaginaCodigosPorDefecto;
}

void clsDatosApp::GuardaConfiguracion() const {
    for (int i = 1; i <= 9; ++i) {
        kelRegistry::SaveAppString(kColumnas, "Pantalla" + QString::number(i),
                                   Booleano(m_colPantalla[i - 1]));
        kelRegistry::SaveAppString(kColumnas, "Impresas" + QString::number(i),
                                   Booleano(m_colImpresas[i - 1]));
    }
    kelRegistry::SaveAppString(kColumnas, "Definido", "1");

    kelRegistry::SaveAppString(kTiquet, "CommTiquetFlujo", QString::number(m_commFlujo));
    kelRegistry::SaveAppString(kTiquet, "CommTiquetBPS", QString::number(m_commBPS));
    kelRegistry::SaveAppString(kTiquet, "CommTiquetParidad", QString::number(m_commParidad));
    kelRegistry::SaveAppString(kTiquet, "CommTiquetBitsDatos", QString::number(m_commBitsDatos));
    kelRegistry::SaveAppString(kTiquet, "CommTiquetBitsParada", QString::number(m_commBitsParada));

    for (int i = 0; i < 3; ++i)
        kelRegistry::SaveAppString(kConfiguracion, "DatosEmpresa" + QString::number(i),
                                   m_datosEmpresa[i]);
    kelRegistry::SaveAppString(kConfiguracion, "Idioma", QString::number(m_idioma));
    kelRegistry::SaveAppString(kConfiguracion, "ModeloTicket", m_modeloTicket);
    kelRegistry::SaveAppString(kConfiguracion, "NombreImpresoraTiquets", m_nombreImpresoraTiquets);
    kelRegistry::SaveAppString(kConfiguracion, "NumeracionAutomatica",
                               Booleano(m_numeracionAutomatica));
    kelRegistry::SaveAppString(kConfiguracion, "PesoContinuo", Booleano(m_pesoContinuo));
    kelRegistry::SaveAppString(kConfiguracion, "Puerto", QString::number(m_puerto));
    kelRegistry::SaveAppString(kConfiguracion, "TipoBascula", QString::number(m_tipoBascula));
    kelRegistry::SaveAppString(kConfiguracion, "TipoImpresora", QString::number(m_tipoImpresora));
    kelRegistry::SaveAppString(kConfiguracion, "TipoPuertoImpresoraTiquets",
                               QString::number(m_puertoImpresoraTiquets));
    kelRegistry::SaveAppString(kConfiguracion, "UnidadMedida", m_unidadMedida);
    kelRegistry::SaveAppString(kConfiguracion, "PuertoNombre", m_puertoNombre);
    kelRegistry::SaveAppString(kConfiguracion, "PaginaCodigosTiquet", m_paginaCodigosTiquet);
}
