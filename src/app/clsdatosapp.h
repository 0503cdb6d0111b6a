#pragma once

#include <QSqlDatabase>
#include <QString>
#include <array>
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

    QString BaseDatos() const { return m_baseDatos; }
    void SetBaseDatos(const QString& ruta) { m_baseDatos = ruta; }
    QString Caption() const;
    QString Cliente() const { return m_cliente; }
    QString NIFCliente() const { return m_nifCliente; }

    // Columns 1..9 of the delivery-note lines.
    bool ColPantalla(int i) const { return EnRango(i) ? m_colPantalla[i - 1] : false; }
    void SetColPantalla(int i, bool v);
    bool ColImpresas(int i) const { return EnRango(i) ? m_colImpresas[i - 1] : false; }
    void SetColImpresas(int i, bool v);

    qint32 CommTiquetFlujo() const { return m_commFlujo; }
    void SetCommTiquetFlujo(qint32 v) { m_commFlujo = v; }
    qint32 CommTiquetBPS() const { return m_commBPS; }
    void SetCommTiquetBPS(qint32 v) { m_commBPS = v; }
    qint32 CommTiquetParidad() const { return m_commParidad; }
    void SetCommTiquetParidad(qint32 v) { m_commParidad = v; }
    qint32 CommTiquetBitsDatos() const { return m_commBitsDatos; }
    void SetCommTiquetBitsDatos(qint32 v) { m_commBitsDatos = v; }
    qint32 CommTiquetBitsParada() const { return m_commBitsParada; }
    void SetCommTiquetBitsParada(qint32 v) { m_commBitsParada = v; }

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

    qint32 Idioma() const { return m_idioma; }
    void SetIdioma(qint32 v) { m_idioma = v; }
    QString ModeloTicket() const { return m_modeloTicket; }
    void SetModeloTicket(const QString& v) { m_modeloTicket = v; }
    QString NombreImpresoraTiquets() const { return m_nombreImpresoraTiquets; }
    void SetNombreImpresoraTiquets(const QString& v) { m_nombreImpresoraTiquets = v; }
    bool NumeracionAutomatica() const { return m_numeracionAutomatica; }
    void SetNumeracionAutomatica(bool v) { m_numeracionAutomatica = v; }
    bool PesoContinuo() const { return m_pesoContinuo; }
    void SetPesoContinuo(bool v) { m_pesoContinuo = v; }
    qint16 Puerto() const { return m_puerto; }
    void SetPuerto(qint16 v) { m_puerto = v; }
    // System name or path of the scale's port; when not empty it is used instead of Puerto.
    QString PuertoNombre() const { return m_puertoNombre; }
    void SetPuertoNombre(const QString& v) { m_puertoNombre = v; }
    // Kind of connection of the ticket printer, stored as TipoPuertoImpresoraTiquets.
    qint32 PuertoImpresoraTiquets() const { return m_puertoImpresoraTiquets; }
    void SetPuertoImpresoraTiquets(qint32 v) { m_puertoImpresoraTiquets = v; }
    // The 8-bit code page of the ticket printer's bytes.
    QString PaginaCodigosTiquet() const { return m_paginaCodigosTiquet; }
    void SetPaginaCodigosTiquet(const QString& v) { m_paginaCodigosTiquet = v; }

    QString SeparadorDecimal() const { return m_sepDecimal; }
    QString SeparadorMiles() const { return m_sepMiles; }
    QString SeparadorMonedaDecimal() const { return m_sepMonedaDecimal; }
    QString SeparadorMonedaMiles() const { return m_sepMonedaMiles; }
    QString SeparadorListas() const { return m_sepListas; }
    // Separator between day, month and year in short dates ("/" when the locale shows none).
    QString SeparadorFecha() const { return m_sepFecha; }

    qint32 TipoBascula() const { return m_tipoBascula; }
    void SetTipoBascula(qint32 v) { m_tipoBascula = v; }
    // 0 pages, 1 tickets; any other value is stored as 0.
    qint32 TipoImpresora() const { return m_tipoImpresora; }
    void SetTipoImpresora(qint32 v) { m_tipoImpresora = (v == 0 || v == 1) ? v : 0; }
    QString UnidadMedida() const { return m_unidadMedida; }
    void SetUnidadMedida(const QString& v) { m_unidadMedida = v; }

    // Default database file: beside the program when its folder is writable, otherwise the
    // same name in the user's data folder.
    static QString BaseDatosPorDefecto();

private:
    static bool EnRango(int i) { return i >= 1 && i <= 9; }
    void LeeSeparadores();

    static clsDatosApp* s_instancia;

    QString m_nombreConexion;
    QString m_baseDatos;
    QString m_cliente;
    QString m_nifCliente;
    std::array<bool, 9> m_colPantalla{};
    std::array<bool, 9> m_colImpresas{};
    qint32 m_commFlujo = 0;
    qint32 m_commBPS = 0;
    qint32 m_commParidad = 0;
    qint32 m_commBitsDatos = 0;
    qint32 m_commBitsParada = 0;
    std::array<QString, 3> m_datosEmpresa;
    std::shared_ptr<DocumentoTicket> m_documentoTicket;
    std::shared_ptr<DirectPrintHelper> m_printHelper;
    qint32 m_idioma = 0;
    QString m_modeloTicket;
    QString m_nombreImpresoraTiquets;
    bool m_numeracionAutomatica = false;
    bool m_pesoContinuo = false;
    qint16 m_puerto = 0;
    QString m_puertoNombre;
    qint32 m_puertoImpresoraTiquets = 0;
    QString m_paginaCodigosTiquet;
    QString m_sepDecimal;
    QString m_sepMiles;
    QString m_sepMonedaDecimal;
    QString m_sepMonedaMiles;
    QString m_sepListas;
    QString m_sepFecha;
    qint32 m_tipoBascula = 0;
    qint32 m_tipoImpresora = 0;
    QString m_unidadMedida;
};
