#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <memory>

class DirectPrintHelper;
class DocumentoTicket;

// The program's one settings object. Created first at start-up; every window reads it.
// The configuration is read once at creation (CargaConfiguracion) and written only when the
// configuration window is accepted (GuardaConfiguracion). Every stored value is text.
class clsDatosApp {
public:
    clsDatosApp();
    ~clsDatosApp();
    clsDatosApp(const clsDatosApp&) = delete;
    clsDatosApp& operator=(const clsDatosApp&) = delete;

    // The instance the windows read; the first object created registers itself.
    static clsDatosApp* Instancia();

    void CargaConfiguracion();
    void GuardaConfiguracion() const;

    // The database in use: the stored choice (BaseDatosGuardada) unless the command line gave
    // another, else the default file.
    QString BaseDatos() const { return m_baseDatos; }
    void SetBaseDatos(const QString& ruta) { m_baseDatos = ruta; }
    // The stored choice of database: a file path or a server's connection URI
    // ("postgresql://user@host/pesix"); empty for the default file. Never a password.
    QString BaseDatosGuardada() const { return Texto(u"BaseDatos"); }
    void SetBaseDatosGuardada(const QString& v) { Pon(u"BaseDatos", v); }
    // The seconds a statement waits for a database server's answer before it fails, 1 to
    // 3600; any other stored value stands for the default.
    static constexpr qint32 EsperaServidorPorDefecto = 5;
    qint32 EsperaServidor() const {
        const qint32 s = Entero(u"EsperaServidor");
        return s >= 1 && s <= 3600 ? s : EsperaServidorPorDefecto;
    }
    void SetEsperaServidor(qint32 v) { Pon(u"EsperaServidor", v); }
    QString Caption() const;
    // The company running the station: its name and tax number, as the listing and the ticket
    // print them (group "Empresa").
    QString Cliente() const { return Texto(u"Cliente"); }
    void SetCliente(const QString& v) { Pon(u"Cliente", v); }
    QString NIFCliente() const { return Texto(u"NIFCliente"); }
    void SetNIFCliente(const QString& v) { Pon(u"NIFCliente", v); }

    // Whether each column 1..9 of a note's lines is shown on screen and printed: the settings keep
    // the two flags for every one of the columns the note library declares.
    static constexpr int ColumnasLinea = 9;
    bool ColPantalla(int i) const { return EnRango(i) && Booleano(u"Pantalla", i); }
    void SetColPantalla(int i, bool v);
    bool ColImpresas(int i) const { return EnRango(i) && Booleano(u"Impresas", i); }
    void SetColImpresas(int i, bool v);

    // The serial line of the ticket printer, as positions of the configuration window's lists.
    qint32 CommTiquetFlujo() const { return Entero(u"CommTiquetFlujo"); }
    void SetCommTiquetFlujo(qint32 v) { Pon(u"CommTiquetFlujo", v); }
    qint32 CommTiquetBPS() const { return Entero(u"CommTiquetBPS"); }
    void SetCommTiquetBPS(qint32 v) { Pon(u"CommTiquetBPS", v); }
    qint32 CommTiquetParidad() const { return Entero(u"CommTiquetParidad"); }
    void SetCommTiquetParidad(qint32 v) { Pon(u"CommTiquetParidad", v); }
    qint32 CommTiquetBitsDatos() const { return Entero(u"CommTiquetBitsDatos"); }
    void SetCommTiquetBitsDatos(qint32 v) { Pon(u"CommTiquetBitsDatos", v); }
    qint32 CommTiquetBitsParada() const { return Entero(u"CommTiquetBitsParada"); }
    void SetCommTiquetBitsParada(qint32 v) { Pon(u"CommTiquetBitsParada", v); }

    // The one shared connection, opened by BaseDatos::AbreBaseDatos.
    QSqlDatabase Conexion() const;
    QString NombreConexion() const { return m_nombreConexion; }

    // Company data lines 0..2; other indexes read empty and are not written.
    QString DatosEmpresa(int i) const;
    void SetDatosEmpresa(int i, const QString& v);

    std::shared_ptr<DocumentoTicket> Documento() const { return m_documentoTicket; }
    void SetDocumento(std::shared_ptr<DocumentoTicket> d) { m_documentoTicket = std::move(d); }
    std::shared_ptr<DirectPrintHelper> PrintHelper() const { return m_printHelper; }
    void SetPrintHelper(std::shared_ptr<DirectPrintHelper> p) { m_printHelper = std::move(p); }

    // The interface language, as the offset of its block of texts; the registered instance's
    // is the one every window shows.
    qint32 Idioma() const { return Entero(u"Idioma"); }
    void SetIdioma(qint32 v);
    // An installed program with no template chosen prints the example it carries.
    QString ModeloTicket() const;
    void SetModeloTicket(const QString& v) { Pon(u"ModeloTicket", v); }
    QString NombreImpresoraTiquets() const { return Texto(u"NombreImpresoraTiquets"); }
    void SetNombreImpresoraTiquets(const QString& v) { Pon(u"NombreImpresoraTiquets", v); }
    bool NumeracionAutomatica() const { return Booleano(u"NumeracionAutomatica"); }
    void SetNumeracionAutomatica(bool v) { Pon(u"NumeracionAutomatica", v); }
    bool PesoContinuo() const { return Booleano(u"PesoContinuo"); }
    void SetPesoContinuo(bool v) { Pon(u"PesoContinuo", v); }
    qint16 Puerto() const { return qint16(Entero(u"Puerto")); }
    void SetPuerto(qint16 v) { Pon(u"Puerto", v); }
    // System name or path of the scale's port; when not empty it is used instead of Puerto.
    QString PuertoNombre() const { return Texto(u"PuertoNombre"); }
    void SetPuertoNombre(const QString& v) { Pon(u"PuertoNombre", v); }
    // The scale's line ("2400,E,7,1") and flow control (0 none, 1 XON/XOFF, 2 RTS/CTS); empty
    // for its protocol's default.
    QString LineaBascula() const { return Texto(u"LineaBascula"); }
    void SetLineaBascula(const QString& v) { Pon(u"LineaBascula", v); }
    QString FlujoBascula() const { return Texto(u"FlujoBascula"); }
    void SetFlujoBascula(const QString& v) { Pon(u"FlujoBascula", v); }
    // Scale type 6, the user's protocol: the frame's expression, the stable text, the frame end
    // and the read request.
    QString TramaUsuario() const { return Texto(u"TramaUsuario"); }
    void SetTramaUsuario(const QString& v) { Pon(u"TramaUsuario", v); }
    QString EstableUsuario() const { return Texto(u"EstableUsuario"); }
    void SetEstableUsuario(const QString& v) { Pon(u"EstableUsuario", v); }
    QString FinTramaUsuario() const { return Texto(u"FinTramaUsuario"); }
    void SetFinTramaUsuario(const QString& v) { Pon(u"FinTramaUsuario", v); }
    QString PeticionUsuario() const { return Texto(u"PeticionUsuario"); }
    void SetPeticionUsuario(const QString& v) { Pon(u"PeticionUsuario", v); }
    // A scale whose frames carry no status is stable when EstableLecturas readings within
    // EstableMs milliseconds differ by no more than EstableMargen (empty: one display step).
    qint32 EstableLecturas() const { return Entero(u"EstableLecturas"); }
    void SetEstableLecturas(qint32 v) { Pon(u"EstableLecturas", v); }
    qint32 EstableMs() const { return Entero(u"EstableMs"); }
    void SetEstableMs(qint32 v) { Pon(u"EstableMs", v); }
    QString EstableMargen() const { return Texto(u"EstableMargen"); }
    void SetEstableMargen(const QString& v) { Pon(u"EstableMargen", v); }
    // Kind of connection of the ticket printer, stored as TipoPuertoImpresoraTiquets.
    qint32 PuertoImpresoraTiquets() const { return Entero(u"TipoPuertoImpresoraTiquets"); }
    void SetPuertoImpresoraTiquets(qint32 v) { Pon(u"TipoPuertoImpresoraTiquets", v); }
    // The 8-bit code page of the ticket printer's bytes.
    QString PaginaCodigosTiquet() const { return Texto(u"PaginaCodigosTiquet"); }
    void SetPaginaCodigosTiquet(const QString& v) { Pon(u"PaginaCodigosTiquet", v); }

    QString SeparadorDecimal() const { return m_sepDecimal; }
    QString SeparadorMiles() const { return m_sepMiles; }
    QString SeparadorMonedaDecimal() const { return m_sepMonedaDecimal; }
    QString SeparadorMonedaMiles() const { return m_sepMonedaMiles; }
    QString SeparadorListas() const { return m_sepListas; }
    // Separator between day, month and year in short dates ("/" when the locale shows none).
    QString SeparadorFecha() const { return m_sepFecha; }

    qint32 TipoBascula() const { return Entero(u"TipoBascula"); }
    void SetTipoBascula(qint32 v) { Pon(u"TipoBascula", v); }
    // 0 pages, 1 tickets; any other value is stored as 0.
    qint32 TipoImpresora() const { return Entero(u"TipoImpresora"); }
    void SetTipoImpresora(qint32 v) { Pon(u"TipoImpresora", v); }
    // Texts read from the settings are cut to what their use needs: a unit of weight to
    // LongitudUnidad characters, the company's lines, name and tax number to LongitudLinea,
    // every other text (paths, addresses, names of ports and printers) to LongitudRuta.
    static constexpr qsizetype LongitudUnidad = 10;
    static constexpr qsizetype LongitudLinea = 100;
    static constexpr qsizetype LongitudRuta = 4096;
    QString UnidadMedida() const { return Texto(u"UnidadMedida"); }
    // The station's name in the weighing log (each station keeps its own chain of entries);
    // the computer's name unless set.
    static constexpr qsizetype LongitudPuesto = 50;
    QString Puesto() const;
    void SetPuesto(const QString& v) { Pon(u"Puesto", v); }
    // Taking a weight into a line: in continuous mode a reading older than LecturaRecienteMs
    // is not taken; a moving load is waited for up to EsperaEstableMs; with UnaPesadaPorCarga
    // a second weight needs the load changed or the scale back near zero; without PesoManual
    // a gross weight cannot be typed.
    qint32 LecturaRecienteMs() const { return Entero(u"LecturaRecienteMs"); }
    void SetLecturaRecienteMs(qint32 v) { Pon(u"LecturaRecienteMs", v); }
    qint32 EsperaEstableMs() const { return Entero(u"EsperaEstableMs"); }
    void SetEsperaEstableMs(qint32 v) { Pon(u"EsperaEstableMs", v); }
    bool UnaPesadaPorCarga() const { return Booleano(u"UnaPesadaPorCarga"); }
    void SetUnaPesadaPorCarga(bool v) { Pon(u"UnaPesadaPorCarga", v); }
    bool PesoManual() const { return Booleano(u"PesoManual"); }
    void SetPesoManual(bool v) { Pon(u"PesoManual", v); }
    void SetUnidadMedida(const QString& v) { Pon(u"UnidadMedida", v); }

    // Default database file: beside the program when its folder is writable, otherwise the
    // same name in the user's data folder.
    static QString BaseDatosPorDefecto();
    // The read-only data of an installed program, <prefix>/share/pesix beside <prefix>/bin, found
    // from the executable so that a moved install works too; empty for a run from the build tree.
    static QString CarpetaDatosInstalados();
    // The ticket templates: the installed ones, or the source tree's beside the build folder.
    static QString CarpetaPlantillas();

private:
    static bool EnRango(int i) { return i >= 1 && i <= ColumnasLinea; }
    void LeeSeparadores();

    // The stored settings, as the text they are stored as, by value name (see the declaration
    // in clsdatosapp.cpp). Setters keep each in the form its type stores.
    QString Texto(QStringView nombre) const { return m_valores.value(nombre.toString()); }
    qint32 Entero(QStringView nombre) const { return Texto(nombre).toInt(); }
    bool Booleano(QStringView nombre) const { return Texto(nombre) == u"1"; }
    bool Booleano(QStringView nombre, int i) const {
        return Booleano(nombre.toString() + QString::number(i));
    }
    void Pon(QStringView nombre, const QString& texto);
    void Pon(QStringView nombre, qint32 v) { Pon(nombre, QString::number(v)); }
    void Pon(QStringView nombre, bool v) { Pon(nombre, QString::number(v ? 1 : 0)); }
    void Pon(QStringView nombre, const char*) = delete;

    static clsDatosApp* s_instancia;

    QString m_nombreConexion;
    QString m_baseDatos;
    QHash<QString, QString> m_valores;
    std::shared_ptr<DocumentoTicket> m_documentoTicket;
    std::shared_ptr<DirectPrintHelper> m_printHelper;
    QString m_sepDecimal;
    QString m_sepMiles;
    QString m_sepMonedaDecimal;
    QString m_sepMonedaMiles;
    QString m_sepListas;
    QString m_sepFecha;
};
