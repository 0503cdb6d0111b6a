#pragma once

#include "scale/ajustesbascula.h"
#include "ticket/arbolimpresoras.h"

#include <QDialog>
#include <QList>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class ModeloCodigosControl;
class ModeloColumnas;
class clsDatosApp;

// The configuration window: every setting of the station in five tabs (general, scale, delivery
// note, ticket definition with the printer control codes, ticket printer with its serial line). It
// reads the settings when it opens and writes them, and reloads the control codes, only when
// it is accepted. The control codes are stored in their table as the operator leaves each row,
// whichever button closes the window.
class frmEDConfiguracion : public QDialog {
    Q_OBJECT
public:
    explicit frmEDConfiguracion(QWidget* parent = nullptr);
    ~frmEDConfiguracion() override;

    QTabWidget* SSTab = nullptr;
    QList<QLabel*> lbl;
    QComboBox* cboIdioma = nullptr;
    QComboBox* cboPuertos = nullptr;
    QLineEdit* txtUnidadMedida = nullptr;
    QComboBox* cboTipoBascula = nullptr;
    QCheckBox* chkPesoContinuo = nullptr;
    // The scale tab: port, protocol and reading mode as above, then the line and flow control
    // (empty for the protocol's), the user's protocol, the stability rule and the search.
    QList<QLabel*> lblBascula;
    QLineEdit* txtLineaBascula = nullptr;
    QComboBox* cboFlujoBascula = nullptr; // item data: "" (the protocol's), "0", "1", "2"
    QGroupBox* fraUsuario = nullptr;
    QLineEdit* txtTramaUsuario = nullptr;
    QLineEdit* txtEstableUsuario = nullptr;
    QComboBox* cboFinTramaUsuario = nullptr;
    QLineEdit* txtPeticionUsuario = nullptr;
    QLabel* lblErrorUsuario = nullptr; // why the user's protocol cannot be read, or nothing
    QGroupBox* fraEstabilidad = nullptr;
    QSpinBox* spnEstableLecturas = nullptr;
    QSpinBox* spnEstableMs = nullptr;
    QLineEdit* txtEstableMargen = nullptr;
    // Taking weights: the station's name in the weighing log, how fresh a reading must be, how
    // long a moving load is waited for, one weighing per load, weights typed by hand.
    QGroupBox* fraPesadas = nullptr;
    QLineEdit* txtPuesto = nullptr;
    QSpinBox* spnLecturaRecienteMs = nullptr;
    QSpinBox* spnEsperaEstableMs = nullptr;
    QCheckBox* chkUnaPesadaPorCarga = nullptr;
    QCheckBox* chkPesoManual = nullptr;
    QPushButton* cmdDetectarBascula = nullptr;
    QGroupBox* fraDatosEmpresa = nullptr;
    QList<QLineEdit*> txtDatosEmpresa;
    // The company's name and tax number, which the listing and the ticket print.
    QLineEdit* txtNombreEmpresa = nullptr;
    QLineEdit* txtNifEmpresa = nullptr;
    QLabel* lblNombreEmpresa = nullptr;
    QLabel* lblNifEmpresa = nullptr;
    QComboBox* cboTipoImpresora = nullptr;
    QCheckBox* chkNumeracionAutomatica = nullptr;
    QGroupBox* fraPantalla = nullptr;
    QListView* lstPantalla = nullptr;
    QGroupBox* fraImpresas = nullptr;
    QListView* lstImpresas = nullptr;
    QLineEdit* txtModeloTicket = nullptr;
    QPushButton* cmdModeloTicket = nullptr;
    QTableView* gridControlCodes = nullptr;
    QTreeWidget* tvImpresora = nullptr;
    QGroupBox* fraCommSettings = nullptr;
    QList<QLabel*> lblCommSettings;
    QComboBox* cboCommFlujo = nullptr;
    QComboBox* cboCommBPS = nullptr;
    QComboBox* cboCommParidad = nullptr;
    QComboBox* cboCommBitsDatos = nullptr;
    QComboBox* cboCommParada = nullptr;
    QList<QPushButton*> cmdAccion; // 0 accept, 1 cancel

    const ArbolImpresoras& Impresoras() const { return *m_impresoras; }

public slots:
    void done(int resultado) override;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    QWidget* CreaGeneral();
    QWidget* CreaBascula();
    QWidget* CreaAlbaran();
    QWidget* CreaTiquet();
    QWidget* CreaImpresora();
    void Carga();
    void PonTextos();
    void CargaImpresoras();
    void PulsaImpresora(QTreeWidgetItem* nodo);
    void MarcaImpresoras();
    void EligeModelo();
    // Writes the row left in the code grid; a refusal of the database is shown.
    void GuardaCodigo(int fila);
    void GuardaCodigos();
    void BorraCodigo();
    // The scale settings as the tab shows them.
    AjustesBascula AjustesMostrados() const;
    // The protocol chosen: its defaults shown, the groups that apply to it enabled, the user's
    // protocol checked.
    void MuestraProtocolo();
    // Looks for the scale on the port shown; a scale found fills the protocol and line.
    void DetectaBascula();
    void Acepta();

    clsDatosApp& m_datos;
    ModeloColumnas* m_pantalla = nullptr;
    ModeloColumnas* m_impresas = nullptr;
    ModeloCodigosControl* m_codigos = nullptr;
    std::unique_ptr<ArbolImpresoras> m_impresoras;
};
