#pragma once

#include "notedata/albaran.h"
#include "notedata/almacenalbaranes.h"
#include "notedata/catalogoalbaran.h"
#include "notedata/reglaslinea.h"
#include "notes/capturapesada.h"
#include "notes/despachador.h"
#include "scale/veltasc.h"

#include <QMainWindow>
#include <QPrinter>
#include <QTimer>
#include <optional>

class QAction;
class QBoxLayout;
class clsDatosApp;
class QGroupBox;
class QLabel;
class QMenu;
class BarraBascula;
class BotonesAlbaran;
class CabeceraAlbaran;
class ColumnasRejilla;
class ModeloLineasAlbaran;
class RejillaLineas;

// The main window: the note's header (CabeceraAlbaran), the grid of its lines with its columns'
// upkeep (ColumnasRejilla), the scale's bar (BarraBascula), the note's buttons (BotonesAlbaran)
// and the menus. Every command, from a menu, a button, a key or the closing of the window, is a
// command word passed to DespachaMenu. The lines' rules, the store and the look-ups live in
// their own classes; this window composes the panels and connects them.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Runs the command of a word ("NuevoAlbaran", "GuardarAlbaran", "Interruptor"...); a word
    // written otherwise does nothing.
    void DespachaMenu(const QString& comando);
    // Shows the stored note of that number and date; nothing changes when there is none.
    void CargaAlbaran(const QString& numero, const QDate& fecha);
    // Every text of the window in the interface language, and the reading mode of the scale.
    void AplicaIdioma();
    // The grid's columns shown as the settings say.
    void AplicaColumnasVisibles();

    // The note as the window shows it.
    Albaran AlbaranActual() const;
    bool BasculaEncendida() const { return m_basculaEncendida; }
    // Whether the note changed since it was started, loaded or saved.
    bool Modificado() const { return m_modificado; }
    VeltaSC& Bascula() { return m_veltaSC; }

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    struct Clave {
        QString numero;
        QDate fecha;
        bool operator==(const Clave&) const = default;
    };

    void CreaControles();
    void CreaMenus();
    void RegistraAcciones();
    // The grid, its model and what follows the lines: the totals and the modification time.
    void CreaRejilla(QBoxLayout* marco);
    // The scale's readings and losses, and the taking of a weight that waits.
    void ConectaBascula();
    QAction* Entrada(QMenu* menu, const char* nombre, int texto, const QString& orden = {},
                     const QKeySequence& atajo = {});

    // Commands.
    void NuevoAlbaran();
    void AbrirAlbaran();
    bool GuardarAlbaran();
    void Interruptor();
    void LeerPeso();
    void Imprimir();
    // A print went out: the note is marked printed; a copy is counted by the store.
    void MarcaImpreso(const Albaran& impreso, bool copia);
    // The stored note's versions in their window.
    void Historial();
    // Voids the stored note shown (`anular`) or undoes its void, with a reason asked for.
    void Anula(bool anular);
    void ReiniciarColumnas();
    void BorraPosiciones();
    void ConfImpresora();
    // The configuration window, then its settings applied to this window and the scale.
    void Configuracion();
    void InfoSistema();
    template <class Ventana> void AbreFichero();

    // The column buttons of the grid and the header's look-ups and quick adds.
    void BotonColumna(int fila, int columna);
    void BuscaCliente();
    void AddCliente();
    void BuscaOperario();
    void AddOperario();

    // Starts an empty note (the number follows the shown one when numbering is automatic).
    void Vacia();
    void Muestra(const Albaran& albaran);
    // The note's marks: printed, void, its count of earlier versions.
    void MuestraMarcas(const Albaran& albaran);
    // Shows the stored note of that number and date; false when there is none or it could not
    // be read (the operator is told).
    bool Carga(const QString& numero, const QDate& fecha);
    // The number or date field was left: shows the stored note of the new number and date. The
    // note shown keeps `antes`, its number and date as they were when one of the two fields
    // took the focus, while it is saved first.
    void AlDejarClave(const Clave& antes);
    // A changed note asks whether to save it first; false when the operator cancels or the
    // save did not happen.
    bool PuedeDejarAlbaran();
    // The note's totals under the grid.
    void MuestraTotales();
    void PonInterruptor(bool encendida);
    // Opens the scale's port with the settings and starts its readings; the switch shows
    // whether it opened, and a failure is told.
    void EnciendeBascula();
    // A reading from the scale: a weight is kept and shown, a reply is not.
    void AlLeer(const Lectura& lectura);
    // Taking the scale's weight into the gross weight of `fila`: at once when the last reading
    // may be taken, otherwise waiting for one (CapturaPesada); each reading and tick decides
    // again. A weight is taken only once its entry is in the weighing log.
    void EmpiezaPesada(int fila);
    void SiguePesada();
    void AcabaPesada();
    // The reading label: the kept reading as the operator reads it; "0.000" while the switch is
    // off, "no reading" while on and nothing came yet.
    void MuestraLectura();
    void Error(int titulo, const QString& texto);
    void Cambia() { m_modificado = true; }

    const clsDatosApp& m_datos;
    CatalogoAlbaran m_catalogo;
    ReglasLinea m_reglas;
    AlmacenAlbaranes m_almacen;
    Despachador m_despachador;
    VeltaSC m_veltaSC;
    QPrinter m_impresora;

    ModeloLineasAlbaran* m_modelo = nullptr;
    RejillaLineas* gridAlbaran = nullptr;
    ColumnasRejilla* m_columnas = nullptr;
    QGroupBox* fraAlbaran = nullptr;
    CabeceraAlbaran* cajaCabecera = nullptr;
    BotonesAlbaran* m_botones = nullptr;
    BarraBascula* m_barra = nullptr;
    QLabel* lblTotales = nullptr;
    QAction* mnuBasculaLeerPesada = nullptr;
    // Each menu entry with its text id, for AplicaIdioma.
    QList<std::pair<QAction*, int>> m_textosMenu;

    // The last weight the scale sent since the switch went on; a line takes it, never the
    // label's text.
    std::optional<Lectura> m_lectura;
    CapturaPesada m_captura;
    // The taking being waited for: its row and when it started.
    struct PesadaPendiente {
        int fila;
        QDateTime inicio;
    };
    std::optional<PesadaPendiente> m_pendiente;
    QTimer m_esperaPesada;
    bool m_basculaEncendida = false;
    bool m_impreso = false;
    // The content last printed (Contenido): printing it again, unchanged, prints a copy.
    std::optional<Albaran> m_impresoComo;
    bool m_anulado = false; // the stored note shown is void, with m_motivo
    QString m_motivo;
    bool m_modificado = false;
    QDateTime m_ultimaModificacion;
    // The note the window holds as stored (none for a new note).
    Clave m_clave;
};
