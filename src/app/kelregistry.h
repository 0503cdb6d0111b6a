#pragma once

#include <QString>
#include <memory>

class ArchivoAjustes;
class QWidget;

// The program's only access to its stored settings. Keys are written as "\Configuracion\Columnas"
// below the program key "SOFTWARE\Kel Software\Software de pesaje": the registry on Windows, the
// preferences on macOS, and elsewhere the INI file "Kel Software/Software de pesaje.conf" in the
// user's configuration folder; or below the root of an INI file chosen with UsaArchivoIni. INI
// files read every value as typed and keep what was not changed (ArchivoAjustes). Every value
// written is text. No operation reports an error: reads give the empty string, writes false.
class kelRegistry {
public:
    struct InfoClave {
        int NumSubclaves = 0;
        int LongSubclaveMax = 0;
        int NumValores = 0;
        int LongNombreValorMax = 0;
        int LongDatosMax = 0;
        int Resultado = 0; // 0 when the key was read, 2 when it does not exist
    };
    struct EnumValor {
        int Indice = 0; // counted from 0 by the caller
        QString Nombre;
        QString Datos;
        int Resultado = 0;
    };

    // Gives the running program the organisation and program names its settings are kept
    // under; called once at start-up, before anything else reads them.
    static void NombraAplicacion();
    // An empty path goes back to the native per-user store.
    static void UsaArchivoIni(const QString& ruta);
    // Where the settings are kept: the INI file in use, or the system store's key.
    static QString Ubicacion();

    static QString GetAppString(const QString& subclave, const QString& nombre);
    static bool SaveAppString(const QString& subclave, const QString& nombre, const QString& texto);
    static void DeleteAppSetting(const QString& subclave, const QString& nombre,
                                 bool claveEntera = false);
    static int GetAppKeyInfo(const QString& subclave, InfoClave& info);
    static bool EnumAppValue(const QString& subclave, EnumValor& valor);

    // Window store, below "\Pos\" and "\Info\" + the window's objectName. Sizes in twips.
    static constexpr int TwipsPorPixel = 15;
    static void SaveFormPosition(QWidget* ventana);
    // Restores the stored rectangle and state; the window is then kept within its screen.
    static void RestoreFormPosition(QWidget* ventana);
    static void SaveFormInfo(QWidget* ventana, const QString& nombre, const QString& valor);
    static QString GetFormInfo(QWidget* ventana, const QString& nombre);

private:
    static QString Grupo(const QString& subclave);
    // The INI file in use; none where the user's own store is the system's.
    static ArchivoAjustes* Archivo();
    static std::unique_ptr<ArchivoAjustes> s_archivo;
    static QString s_archivoIni;
};
