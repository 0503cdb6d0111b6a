#include "app/kelregistry.h"

#include "app/archivoajustes.h"
#include "app/kelnumerics.h"
#include "app/kelwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QWidget>

#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
#define PESIX_ALMACEN_DEL_SISTEMA
#include <QSettings>
#endif

std::unique_ptr<ArchivoAjustes> kelRegistry::s_archivo;
QString kelRegistry::s_archivoIni;

namespace {
const QString kOrganizacion = QStringLiteral("Kel Software");
const QString kAplicacion = QStringLiteral("Software de pesaje");

#ifdef PESIX_ALMACEN_DEL_SISTEMA
// The user's key in the registry (preferences on macOS), with the operations of ArchivoAjustes.
class AlmacenDelSistema {
public:
    QString Valor(const QString& grupo, const QString& nombre) {
        const QVariant v = m_s.value(grupo + '/' + nombre);
        // Only text values count; anything else reads as empty, as a missing value does.
        return v.typeId() == QMetaType::QString ? v.toString() : QString();
    }
    bool Escribe(const QString& grupo, const QString& nombre, const QString& texto) {
        m_s.setValue(grupo + '/' + nombre, texto);
        m_s.sync();
        return m_s.status() == QSettings::NoError && m_s.isWritable();
    }
    void Borra(const QString& grupo, const QString& nombre) {
        if (Nombres(grupo).contains(nombre))
            m_s.remove(grupo + '/' + nombre);
        m_s.sync();
    }
    void BorraGrupo(const QString& grupo) {
        if (grupo.isEmpty())
            m_s.clear();
        else
            m_s.remove(grupo);
        m_s.sync();
    }
    QStringList Nombres(const QString& grupo) { return Hijos(grupo, &QSettings::childKeys); }
    QStringList Subgrupos(const QString& grupo) { return Hijos(grupo, &QSettings::childGroups); }

private:
    QStringList Hijos(const QString& grupo, QStringList (QSettings::*lista)() const) {
        m_s.beginGroup(grupo);
        const QStringList hijos = (m_s.*lista)();
        m_s.endGroup();
        return hijos;
    }
    QSettings m_s{QSettings::NativeFormat, QSettings::UserScope, kOrganizacion, kAplicacion};
};

AlmacenDelSistema& DelSistema() {
    static AlmacenDelSistema almacen;
    return almacen;
}
#endif

// Runs `operacion` on the INI file in use, or on the system's store where there is none.
template <class F> auto EnAlmacen(ArchivoAjustes* archivo, F&& operacion) {
#ifdef PESIX_ALMACEN_DEL_SISTEMA
    if (!archivo)
        return operacion(DelSistema());
#endif
    return operacion(*archivo);
}
} // namespace

void kelRegistry::NombraAplicacion() {
    QCoreApplication::setOrganizationName(kOrganizacion);
    QCoreApplication::setApplicationName(kAplicacion);
}

void kelRegistry::UsaArchivoIni(const QString& ruta) {
    s_archivo.reset();
    s_archivoIni = ruta;
}

QString kelRegistry::Ubicacion() {
    if (ArchivoAjustes* archivo = Archivo())
        return archivo->Ruta();
#ifdef PESIX_ALMACEN_DEL_SISTEMA
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kOrganizacion, kAplicacion)
        .fileName();
#else
    return QString();
#endif
}

ArchivoAjustes* kelRegistry::Archivo() {
    if (!s_archivo) {
        QString ruta = s_archivoIni;
#ifdef PESIX_ALMACEN_DEL_SISTEMA
        if (ruta.isEmpty())
            return nullptr;
#endif
        if (ruta.isEmpty()) {
            QString carpeta =
                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
            if (carpeta.isEmpty())
                carpeta = QDir::homePath() + "/.config";
            ruta = carpeta + '/' + kOrganizacion + '/' + kAplicacion + ".conf";
        }
        s_archivo = std::make_unique<ArchivoAjustes>(ruta);
    }
    return s_archivo.get();
}

QString kelRegistry::Grupo(const QString& subclave) {
    QString g = subclave;
    g.replace('\\', '/');
    while (g.startsWith('/'))
        g.remove(0, 1);
    while (g.endsWith('/'))
        g.chop(1);
    return g;
}

QString kelRegistry::GetAppString(const QString& subclave, const QString& nombre) {
    return EnAlmacen(Archivo(), [&](auto& a) { return a.Valor(Grupo(subclave), nombre); });
}

bool kelRegistry::SaveAppString(const QString& subclave, const QString& nombre,
                                const QString& texto) {
    return EnAlmacen(Archivo(), [&](auto& a) { return a.Escribe(Grupo(subclave), nombre, texto); });
}

void kelRegistry::DeleteAppSetting(const QString& subclave, const QString& nombre,
                                   bool claveEntera) {
    EnAlmacen(Archivo(), [&](auto& a) {
        if (claveEntera)
            a.BorraGrupo(Grupo(subclave)); // the whole program key when the subkey is empty
        else
            a.Borra(Grupo(subclave), nombre);
    });
}

int kelRegistry::GetAppKeyInfo(const QString& subclave, InfoClave& info) {
    return EnAlmacen(Archivo(), [&](auto& a) {
        const QString g = Grupo(subclave);
        // A key exists when it holds values or subkeys.
        if (!g.isEmpty() &&
            !a.Subgrupos(g.section('/', 0, -2)).contains(g.section('/', -1), Qt::CaseInsensitive)) {
            info.Resultado = 2;
            return info.NumValores;
        }
        const QStringList valores = a.Nombres(g);
        const QStringList grupos = a.Subgrupos(g);
        info.NumValores = int(valores.size());
        info.NumSubclaves = int(grupos.size());
        info.LongSubclaveMax = 0;
        for (const QString& k : grupos)
            info.LongSubclaveMax = std::max(info.LongSubclaveMax, int(k.size()));
        info.LongNombreValorMax = 0;
        info.LongDatosMax = 0;
        for (const QString& k : valores) {
            info.LongNombreValorMax = std::max(info.LongNombreValorMax, int(k.size()));
            info.LongDatosMax = std::max(info.LongDatosMax, int(a.Valor(g, k).size()));
        }
        info.Resultado = 0;
        return info.NumValores;
    });
}

bool kelRegistry::EnumAppValue(const QString& subclave, EnumValor& valor) {
    return EnAlmacen(Archivo(), [&](auto& a) {
        const QString g = Grupo(subclave);
        const QStringList valores = a.Nombres(g);
        const bool existe = valor.Indice >= 0 && valor.Indice < valores.size();
        if (existe) {
            valor.Nombre = valores.at(valor.Indice);
            valor.Datos = a.Valor(g, valor.Nombre);
        }
        valor.Resultado = existe ? 0 : 259; // "no more items"
        return existe;
    });
}

void kelRegistry::SaveFormPosition(QWidget* ventana) {
    const QString clave = "\\Pos\\" + ventana->objectName();
    int estado = 0;
    if (ventana->isMinimized())
        estado = 1;
    else if (ventana->isMaximized())
        estado = 2;
    SaveAppString(clave, "WindowState", QString::number(estado));
    if (estado == 1)
        return;
    // A maximised window sits at or above the top edge, and a Top of 0 or less is never
    // restored: its normal rectangle is stored instead, so it does come back maximised.
    QRect r = ventana->frameGeometry();
    QSize tamano = ventana->size();
    if (estado == 2 && ventana->normalGeometry().isValid()) {
        r = ventana->normalGeometry();
        tamano = r.size();
    }
    auto twips = [](int px) { return QString::number(float(px) * TwipsPorPixel); };
    SaveAppString(clave, "Top", twips(r.top()));
    SaveAppString(clave, "Left", twips(r.left()));
    SaveAppString(clave, "Width", twips(tamano.width()));
    SaveAppString(clave, "Height", twips(tamano.height()));
}

void kelRegistry::RestoreFormPosition(QWidget* ventana) {
    const QString clave = "\\Pos\\" + ventana->objectName();
    const int top = int(kelNumerics::Val(GetAppString(clave, "Top")));
    // Whatever was stored, or the designed size, the window opens within its screen.
    const auto enPantalla = qScopeGuard([ventana] { kelWindow::DentroDePantalla(ventana); });
    if (top <= 0)
        return; // nothing stored yet, or a window at or above the top edge
    const int estado = int(kelNumerics::Val(GetAppString(clave, "WindowState")));
    if (estado == 2) {
        // Maximised over the designed normal rectangle.
        ventana->setWindowState(Qt::WindowMaximized);
        return;
    }
    const int left = int(kelNumerics::Val(GetAppString(clave, "Left")));
    ventana->move(left / TwipsPorPixel, top / TwipsPorPixel);
    const bool redimensionable = ventana->minimumSize() != ventana->maximumSize();
    if (redimensionable) {
        const int ancho = int(kelNumerics::Val(GetAppString(clave, "Width"))) / TwipsPorPixel;
        const int alto = int(kelNumerics::Val(GetAppString(clave, "Height"))) / TwipsPorPixel;
        if (ancho > 0 && alto > 0)
            ventana->resize(ancho, alto);
    }
    // Closed minimised: only the state was stored, so the older rectangle comes back under it.
    if (estado == 1)
        ventana->setWindowState(Qt::WindowMinimized);
}

void kelRegistry::SaveFormInfo(QWidget* ventana, const QString& nombre, const QString& valor) {
    SaveAppString("\\Info\\" + ventana->objectName(), nombre, valor);
}

QString kelRegistry::GetFormInfo(QWidget* ventana, const QString& nombre) {
    return GetAppString("\\Info\\" + ventana->objectName(), nombre);
}
