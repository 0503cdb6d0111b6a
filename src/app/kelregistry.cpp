#include "app/kelregistry.h"

#include "app/kelnumerics.h"

#include <QWidget>

std::unique_ptr<QSettings> kelRegistry::s_almacen;
QString kelRegistry::s_archivoIni;

void kelRegistry::UsaArchivoIni(const QString& ruta) {
    if (s_almacen)
        s_almacen->sync();
    s_almacen.reset();
    s_archivoIni = ruta;
}

QString kelRegistry::ArchivoIni() {
    return s_archivoIni;
}

QSettings& kelRegistry::Almacen() {
    if (!s_almacen) {
        if (s_archivoIni.isEmpty())
            s_almacen = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                    "Kel Software", "Software de pesaje");
        else
            s_almacen = std::make_unique<QSettings>(s_archivoIni, QSettings::IniFormat);
    }
    return *s_almacen;
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
    QSettings& s = Almacen();
    s.beginGroup(Grupo(subclave));
    const QVariant v = s.value(nombre);
    s.endGroup();
    // An INI file edited by hand may hold "a, b" unquoted, which reads back as a list. Outside
    // Windows and macOS the user's own store is such a file too.
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    const bool archivoIni = !s_archivoIni.isEmpty();
#else
    const bool archivoIni = true;
#endif
    if (v.typeId() == QMetaType::QStringList && archivoIni)
        return v.toStringList().join(", ");
    // Only text values count; anything else reads as empty, as a missing value does.
    if (v.typeId() != QMetaType::QString)
        return QString();
    return v.toString();
}

bool kelRegistry::SaveAppString(const QString& subclave, const QString& nombre,
                                const QString& texto) {
    QSettings& s = Almacen();
    s.beginGroup(Grupo(subclave));
    s.setValue(nombre, texto);
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError && s.isWritable();
}

void kelRegistry::DeleteAppSetting(const QString& subclave, const QString& nombre,
                                   bool claveEntera) {
    QSettings& s = Almacen();
    if (claveEntera) {
        const QString g = Grupo(subclave);
        if (g.isEmpty())
            s.clear(); // the whole program key
        else
            s.remove(g);
    } else {
        s.beginGroup(Grupo(subclave));
        if (s.childKeys().contains(nombre))
            s.remove(nombre);
        s.endGroup();
    }
    s.sync();
}

int kelRegistry::GetAppKeyInfo(const QString& subclave, InfoClave& info) {
    QSettings& s = Almacen();
    const QString g = Grupo(subclave);
    if (!g.isEmpty()) {
        // A key exists when it holds values or subkeys.
        const QString padre = g.section('/', 0, -2);
        const QString hoja = g.section('/', -1);
        s.beginGroup(padre);
        const bool existe = s.childGroups().contains(hoja);
        s.endGroup();
        if (!existe) {
            info.Resultado = 2;
            return info.NumValores;
        }
    }
    s.beginGroup(g);
    const QStringList valores = s.childKeys();
    const QStringList grupos = s.childGroups();
    info.NumValores = int(valores.size());
    info.NumSubclaves = int(grupos.size());
    info.LongSubclaveMax = 0;
    for (const QString& k : grupos)
        info.LongSubclaveMax = std::max(info.LongSubclaveMax, int(k.size()));
    info.LongNombreValorMax = 0;
    info.LongDatosMax = 0;
    for (const QString& k : valores) {
        info.LongNombreValorMax = std::max(info.LongNombreValorMax, int(k.size()));
        info.LongDatosMax = std::max(info.LongDatosMax, int(s.value(k).toString().size()));
    }
    s.endGroup();
    info.Resultado = 0;
    return info.NumValores;
}

bool kelRegistry::EnumAppValue(const QString& subclave, EnumValor& valor) {
    QSettings& s = Almacen();
    s.beginGroup(Grupo(subclave));
    const QStringList valores = s.childKeys();
    const bool existe = valor.Indice >= 0 && valor.Indice < valores.size();
    if (existe) {
        valor.Nombre = valores.at(valor.Indice);
        valor.Datos = s.value(valor.Nombre).toString();
    }
    s.endGroup();
    valor.Resultado = existe ? 0 : 259; // "no more items"
    return existe;
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
