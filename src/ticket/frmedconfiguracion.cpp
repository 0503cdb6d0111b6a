#include "ticket/frmedconfiguracion.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelmensaje.h"
#include "app/kelregistry.h"
#include "app/kelwindow.h"
#include "scale/detectorbascula.h"
#include "scale/protocolobascula.h"
#include "scale/protocolousuario.h"
#include "ticket/directprinthelper.h"
#include "ticket/modelocodigoscontrol.h"
#include "ticket/modelocolumnas.h"
#include "ticket/puertosserie.h"
#include "ticket/salidatiquet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// A printer or screen code is only taken as pairs of hexadecimal digits: anything else keeps
// the cell in edit.
class ValidadorHex : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& texto, int&) const override {
        return ModeloCodigosControl::Hexadecimal(texto) ? Acceptable : Intermediate;
    }
};

class DelegadoCodigos : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* padre, const QStyleOptionViewItem&,
                          const QModelIndex& indice) const override {
        auto* caja = new QLineEdit(padre);
        caja->setFrame(false);
        caja->setMaxLength(ModeloCodigosControl::Longitud(indice.column()));
        if (indice.column() == ModeloCodigosControl::Impresora ||
            indice.column() == ModeloCodigosControl::Pantalla)
            caja->setValidator(new ValidadorHex(caja));
        return caja;
    }

protected:
    // Leaving a code cell that holds no code says why, at the cell: by Enter or Tab, which
    // keep it in edit, or by the focus going elsewhere, which drops the text.
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        auto* caja = qobject_cast<QLineEdit*>(objeto);
        const auto* tecla =
            evento->type() == QEvent::KeyPress ? static_cast<const QKeyEvent*>(evento) : nullptr;
        const bool deja =
            evento->type() == QEvent::FocusOut ||
            (tecla && (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter ||
                       tecla->key() == Qt::Key_Tab || tecla->key() == Qt::Key_Backtab));
        if (caja && caja->validator() && deja) {
            const Resultado r = ModeloCodigosControl::CompruebaCodigo(caja->text());
            caja->setToolTip(r ? QString() : r.Error());
            if (!r)
                QToolTip::showText(caja->mapToGlobal(QPoint(0, caja->height())), r.Error(),
                                   caja->parentWidget());
        }
        return QStyledItemDelegate::eventFilter(objeto, evento);
    }
};

QComboBox* Lista(QWidget* padre, const char* nombre, const QStringList& entradas) {
    auto* c = new QComboBox(padre);
    c->setObjectName(nombre);
    c->addItems(entradas);
    return c;
}

QStringList Textos(std::initializer_list<int> ids) {
    QStringList t;
    for (int id : ids)
        t << Texto(id);
    return t;
}

// The chosen position, or the stored one when nothing is chosen (a stored position outside
// the list).
qint32 Posicion(const QComboBox* lista, qint32 guardada) {
    return lista->currentIndex() >= 0 ? lista->currentIndex() : guardada;
}

// The device ports of a kind 2 printer: as the system lists them on Windows (LPT1...), and
// /dev/lp* (as LPTn) and /dev/usb/lp* elsewhere.
QStringList PuertosDispositivo() {
#ifdef Q_OS_WIN
    QStringList puertos;
    QSettings lista(QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\PARALLEL PORTS"),
                    QSettings::NativeFormat);
    for (const QString& valor : lista.childKeys()) {
        const QString nombre = lista.value(valor).toString().toUpper().section('\\', -1);
        if (!nombre.isEmpty() && !nombre.contains('.'))
            puertos << nombre;
    }
    return puertos;
#else
    return SalidaTiquet::PuertosParalelo();
#endif
}

clsDatosApp& Ajustes() {
    Q_ASSERT(clsDatosApp::Instancia());
    return *clsDatosApp::Instancia();
}
} // namespace

frmEDConfiguracion::frmEDConfiguracion(QWidget* parent) : QDialog(parent), m_datos(Ajustes()) {
    setObjectName("frmEDConfiguracion");
    setModal(true);
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName("lbl" + QString::number(i));
        lbl << l;
    }
    SSTab = new QTabWidget(this);
    SSTab->setObjectName("SSTab");
    SSTab->addTab(CreaGeneral(), QString());
    SSTab->addTab(CreaBascula(), QString());
    SSTab->addTab(CreaAlbaran(), QString());
    SSTab->addTab(CreaTiquet(), QString());
    SSTab->addTab(CreaImpresora(), QString());

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(this);
        b->setObjectName("cmdAccion" + QString::number(i));
        // Enter belongs to the boxes, the code grid and the printer tree.
        b->setAutoDefault(false);
        botones->addWidget(b);
        cmdAccion << b;
    }
    connect(cmdAccion[0], &QPushButton::clicked, this, &frmEDConfiguracion::Acepta);
    connect(cmdAccion[1], &QPushButton::clicked, this, &QDialog::reject);
    // Ctrl+Tab and Ctrl+Shift+Tab go through the tabs from any control; a list would take them.
    for (const auto& [tecla, paso] :
         {std::pair{QKeySequence::NextChild, 1},
          std::pair{QKeySequence::PreviousChild, int(SSTab->count()) - 1}})
        connect(new QShortcut(tecla, this), &QShortcut::activated, this, [this, paso] {
            SSTab->setCurrentIndex((SSTab->currentIndex() + paso) % SSTab->count());
            if (QWidget* primero = SSTab->currentWidget()->nextInFocusChain())
                primero->setFocus(Qt::TabFocusReason);
        });
    auto* principal = new QVBoxLayout(this);
    principal->addWidget(SSTab);
    principal->addLayout(botones);
    resize(700, 520);

    Carga();
    kelRegistry::RestoreFormPosition(this);
    PonTextos();
    SSTab->setCurrentIndex(0);
    cboIdioma->setFocus();
}

frmEDConfiguracion::~frmEDConfiguracion() = default;

QWidget* frmEDConfiguracion::CreaGeneral() {
    auto* pagina = new QWidget;
    cboIdioma = Lista(pagina, "cboIdioma", cmnLanguaje::Idiomas());
    txtUnidadMedida = new QLineEdit(pagina);
    txtUnidadMedida->setObjectName("txtUnidadMedida");
    fraDatosEmpresa = new QGroupBox(pagina);
    fraDatosEmpresa->setObjectName("fraDatosEmpresa");
    auto* empresa = new QFormLayout(fraDatosEmpresa);
    const auto texto = [this](const char* nombre) {
        auto* t = new QLineEdit(fraDatosEmpresa);
        t->setObjectName(nombre);
        t->setMaxLength(int(clsDatosApp::LongitudLinea));
        return t;
    };
    txtNombreEmpresa = texto("txtNombreEmpresa");
    txtNifEmpresa = texto("txtNifEmpresa");
    lblNombreEmpresa = new QLabel(fraDatosEmpresa);
    lblNifEmpresa = new QLabel(fraDatosEmpresa);
    empresa->addRow(lblNombreEmpresa, txtNombreEmpresa);
    empresa->addRow(lblNifEmpresa, txtNifEmpresa);
    for (int i = 0; i < 3; ++i) {
        txtDatosEmpresa << texto(qPrintable("txtDatosEmpresa" + QString::number(i)));
        empresa->addRow(QString(), txtDatosEmpresa.last());
    }
    auto* formulario = new QFormLayout;
    formulario->addRow(lbl[0], cboIdioma);
    formulario->addRow(lbl[2], txtUnidadMedida);
    auto* caja = new QVBoxLayout(pagina);
    caja->addLayout(formulario);
    caja->addWidget(fraDatosEmpresa);
    caja->addStretch(1);
    return pagina;
}

QWidget* frmEDConfiguracion::CreaBascula() {
    auto* pagina = new QWidget;
    // The system's ports, or a device path typed in.
    cboPuertos = Lista(pagina, "cboPuertos", PuertosSerie::Lista());
    cboPuertos->setEditable(true);
    cboPuertos->setInsertPolicy(QComboBox::NoInsert);
    cboTipoBascula = new QComboBox(pagina);
    cboTipoBascula->setObjectName("cboTipoBascula");
    for (const ProtocoloBascula& p : ProtocoloBascula::Tabla())
        cboTipoBascula->addItem(p.Nombre(), p.tipo);
    chkPesoContinuo = new QCheckBox(pagina);
    chkPesoContinuo->setObjectName("chkPesoContinuo");
    const auto caja = [](QWidget* padre, const char* nombre) {
        auto* c = new QLineEdit(padre);
        c->setObjectName(nombre);
        return c;
    };
    txtLineaBascula = caja(pagina, "txtLineaBascula");
    cboFlujoBascula = new QComboBox(pagina);
    cboFlujoBascula->setObjectName("cboFlujoBascula");
    const int flujos[] = {IdTexto::FlujoNinguno, IdTexto::FlujoXonXoff, IdTexto::FlujoHardware};
    cboFlujoBascula->addItem(QString(), QString()); // the protocol's, named in MuestraProtocolo
    for (int f = 0; f < 3; ++f)
        cboFlujoBascula->addItem(Texto(flujos[f]), QString::number(f));

    fraUsuario = new QGroupBox(pagina);
    fraUsuario->setObjectName("fraUsuario");
    txtTramaUsuario = caja(fraUsuario, "txtTramaUsuario");
    txtEstableUsuario = caja(fraUsuario, "txtEstableUsuario");
    cboFinTramaUsuario = Lista(fraUsuario, "cboFinTramaUsuario", {"CR", "LF", "CRLF", "ETX"});
    txtPeticionUsuario = caja(fraUsuario, "txtPeticionUsuario");
    lblErrorUsuario = new QLabel(fraUsuario);
    lblErrorUsuario->setObjectName("lblErrorUsuario");
    lblErrorUsuario->setTextFormat(Qt::PlainText);
    lblErrorUsuario->setWordWrap(true);
    lblErrorUsuario->setStyleSheet("color: #b00000");
    // A time in milliseconds, up to a minute, in tenths of a second.
    const auto milisegundos = [](QWidget* padre, const char* nombre) {
        auto* s = new QSpinBox(padre);
        s->setObjectName(nombre);
        s->setRange(0, 60000);
        s->setSingleStep(100);
        return s;
    };
    fraEstabilidad = new QGroupBox(pagina);
    fraEstabilidad->setObjectName("fraEstabilidad");
    spnEstableLecturas = new QSpinBox(fraEstabilidad);
    spnEstableLecturas->setObjectName("spnEstableLecturas");
    spnEstableLecturas->setRange(1, 100);
    spnEstableMs = milisegundos(fraEstabilidad, "spnEstableMs");
    txtEstableMargen = caja(fraEstabilidad, "txtEstableMargen");
    txtEstableMargen->setValidator(new QRegularExpressionValidator(
        QRegularExpression("[0-9]*([.,][0-9]*)?"), txtEstableMargen));
    fraPesadas = new QGroupBox(pagina);
    fraPesadas->setObjectName("fraPesadas");
    txtPuesto = caja(fraPesadas, "txtPuesto");
    txtPuesto->setMaxLength(int(clsDatosApp::LongitudPuesto));
    spnLecturaRecienteMs = milisegundos(fraPesadas, "spnLecturaRecienteMs");
    spnEsperaEstableMs = milisegundos(fraPesadas, "spnEsperaEstableMs");
    chkUnaPesadaPorCarga = new QCheckBox(fraPesadas);
    chkUnaPesadaPorCarga->setObjectName("chkUnaPesadaPorCarga");
    chkPesoManual = new QCheckBox(fraPesadas);
    chkPesoManual->setObjectName("chkPesoManual");
    cmdDetectarBascula = new QPushButton(pagina);
    cmdDetectarBascula->setObjectName("cmdDetectarBascula");
    cmdDetectarBascula->setAutoDefault(false);

    const auto fila = [this](QFormLayout* f, QWidget* campo) {
        auto* l = new QLabel(campo->parentWidget());
        l->setObjectName("lblBascula" + QString::number(lblBascula.size()));
        l->setBuddy(campo);
        lblBascula << l;
        f->addRow(l, campo);
    };
    auto* formulario = new QFormLayout;
    formulario->addRow(lbl[1], cboPuertos);
    formulario->addRow(lbl[4], cboTipoBascula);
    formulario->addRow(QString(), chkPesoContinuo);
    fila(formulario, txtLineaBascula);
    fila(formulario, cboFlujoBascula);
    auto* usuario = new QFormLayout(fraUsuario);
    for (QWidget* campo : std::initializer_list<QWidget*>{txtTramaUsuario, txtEstableUsuario,
                                                          cboFinTramaUsuario, txtPeticionUsuario})
        fila(usuario, campo);
    usuario->addRow(lblErrorUsuario);
    auto* estabilidad = new QFormLayout(fraEstabilidad);
    for (QWidget* campo :
         std::initializer_list<QWidget*>{spnEstableLecturas, spnEstableMs, txtEstableMargen})
        fila(estabilidad, campo);
    auto* pesadas = new QFormLayout(fraPesadas);
    for (QWidget* campo :
         std::initializer_list<QWidget*>{txtPuesto, spnLecturaRecienteMs, spnEsperaEstableMs})
        fila(pesadas, campo);
    pesadas->addRow(QString(), chkUnaPesadaPorCarga);
    pesadas->addRow(QString(), chkPesoManual);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(cmdDetectarBascula);
    auto* todo = new QVBoxLayout(pagina);
    todo->addLayout(formulario);
    todo->addWidget(fraUsuario);
    todo->addWidget(fraEstabilidad);
    todo->addWidget(fraPesadas);
    todo->addLayout(botones);
    todo->addStretch(1);

    connect(cboTipoBascula, &QComboBox::currentIndexChanged, this,
            &frmEDConfiguracion::MuestraProtocolo);
    for (QLineEdit* c : {txtTramaUsuario, txtEstableUsuario, txtPeticionUsuario})
        connect(c, &QLineEdit::textChanged, this, &frmEDConfiguracion::MuestraProtocolo);
    connect(cboFinTramaUsuario, &QComboBox::currentIndexChanged, this,
            &frmEDConfiguracion::MuestraProtocolo);
    connect(cmdDetectarBascula, &QPushButton::clicked, this, &frmEDConfiguracion::DetectaBascula);
    return pagina;
}

AjustesBascula frmEDConfiguracion::AjustesMostrados() const {
    AjustesBascula a;
    a.tipo = cboTipoBascula->currentIndex() >= 0 ? cboTipoBascula->currentData().toInt()
                                                 : m_datos.TipoBascula();
    a.linea = txtLineaBascula->text().trimmed();
    a.flujo = cboFlujoBascula->currentData().toString();
    a.tramaUsuario = txtTramaUsuario->text();
    a.estableUsuario = txtEstableUsuario->text();
    a.finTramaUsuario = cboFinTramaUsuario->currentText();
    a.peticionUsuario = txtPeticionUsuario->text();
    return a;
}

void frmEDConfiguracion::MuestraProtocolo() {
    const AjustesBascula a = AjustesMostrados();
    const ProtocoloBascula* p = ProtocoloBascula::Busca(a.tipo);
    const bool usuario = a.tipo == 6;
    const QString linea = p ? QString::fromLatin1(p->linea) : QString();
    txtLineaBascula->setPlaceholderText(Texto(IdTexto::PorDefecto).arg(linea));
    const int flujos[] = {IdTexto::FlujoNinguno, IdTexto::FlujoXonXoff, IdTexto::FlujoHardware};
    cboFlujoBascula->setItemText(
        0, Texto(IdTexto::PorDefecto).arg(Texto(flujos[p ? qBound(0, p->flujo, 2) : 0])));
    fraUsuario->setEnabled(usuario);
    ProtocoloUsuario leido;
    const Resultado r = usuario
                            ? ProtocoloUsuario::Crea(a.tramaUsuario, a.estableUsuario,
                                                     a.finTramaUsuario, a.peticionUsuario, leido)
                            : Resultado::Exito();
    lblErrorUsuario->setText(r.Error());
    // The rule applies to the scales whose frames do not say whether the weight is stable.
    fraEstabilidad->setEnabled(!p || !p->ConEstado(leido));
}

void frmEDConfiguracion::DetectaBascula() {
    QProgressDialog avance(this);
    avance.setObjectName("dlgDetectarBascula");
    avance.setWindowTitle(Texto(IdTexto::DetectarBascula).remove('&'));
    avance.setCancelButtonText(Texto(IdTexto::Cancelar).remove('&'));
    avance.setRange(0, 0);
    avance.setMinimumDuration(0);
    avance.show();
    const QString puerto = cboPuertos->currentText().trimmed();
    std::optional<DetectorBascula::Hallazgo> h;
    const Resultado r = DetectorBascula::Detecta(
        puerto, PuertosSerie::Numero(puerto), AjustesMostrados(), h, [&](const QString& prueba) {
            avance.setLabelText(Texto(IdTexto::BuscandoBascula).arg(prueba));
            QCoreApplication::processEvents();
            return !avance.wasCanceled();
        });
    const bool cancelada = avance.wasCanceled();
    avance.close();
    const QString titulo = Texto(IdTexto::Bascula);
    if (!r)
        return kelMensaje::Error(this, titulo, r.Error());
    if (!h) {
        if (!cancelada)
            kelMensaje::Aviso(this, titulo, Texto(IdTexto::NingunaBascula));
        return;
    }
    cboTipoBascula->setCurrentIndex(cboTipoBascula->findData(h->tipo));
    txtLineaBascula->setText(h->linea);
    kelMensaje::Informa(this, titulo,
                        Texto(IdTexto::BasculaEncontrada)
                            .arg(h->linea + ' ' + ProtocoloBascula::Busca(h->tipo)->Nombre() +
                                 ": " + h->lectura.Rotulo()));
}

QWidget* frmEDConfiguracion::CreaAlbaran() {
    auto* pagina = new QWidget;
    cboTipoImpresora =
        Lista(pagina, "cboTipoImpresora", Textos({IdTexto::Paginas, IdTexto::Tiquets}));
    chkNumeracionAutomatica = new QCheckBox(pagina);
    chkNumeracionAutomatica->setObjectName("chkNumeracionAutomatica");
    // At least one column on screen and two printed.
    m_pantalla = new ModeloColumnas(1, this);
    m_impresas = new ModeloColumnas(2, this);
    const auto columnas = [pagina](const char* marco, const char* lista, ModeloColumnas* modelo,
                                   QGroupBox*& fra, QListView*& lst) {
        fra = new QGroupBox(pagina);
        fra->setObjectName(marco);
        lst = new QListView(fra);
        lst->setObjectName(lista);
        lst->setModel(modelo);
        (new QVBoxLayout(fra))->addWidget(lst);
    };
    columnas("fraPantalla", "lstPantalla", m_pantalla, fraPantalla, lstPantalla);
    columnas("fraImpresas", "lstImpresas", m_impresas, fraImpresas, lstImpresas);
    auto* formulario = new QFormLayout;
    formulario->addRow(lbl[3], cboTipoImpresora);
    formulario->addRow(QString(), chkNumeracionAutomatica);
    auto* listas = new QHBoxLayout;
    listas->addWidget(fraPantalla);
    listas->addWidget(fraImpresas);
    auto* caja = new QVBoxLayout(pagina);
    caja->addLayout(formulario);
    caja->addLayout(listas, 1);
    return pagina;
}

QWidget* frmEDConfiguracion::CreaTiquet() {
    auto* pagina = new QWidget;
    txtModeloTicket = new QLineEdit(pagina);
    txtModeloTicket->setObjectName("txtModeloTicket");
    txtModeloTicket->installEventFilter(this);
    cmdModeloTicket = new QPushButton("...", pagina);
    cmdModeloTicket->setObjectName("cmdModeloTicket");
    cmdModeloTicket->setAutoDefault(false);
    connect(cmdModeloTicket, &QPushButton::clicked, this, &frmEDConfiguracion::EligeModelo);

    m_codigos = new ModeloCodigosControl(m_datos.Conexion(), this);
    gridControlCodes = new QTableView(pagina);
    gridControlCodes->setObjectName("gridControlCodes");
    gridControlCodes->setModel(m_codigos);
    gridControlCodes->setItemDelegate(new DelegadoCodigos(gridControlCodes));
    gridControlCodes->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                                      QAbstractItemView::DoubleClicked |
                                      QAbstractItemView::EditKeyPressed);
    gridControlCodes->setSelectionMode(QAbstractItemView::SingleSelection);
    gridControlCodes->horizontalHeader()->setStretchLastSection(true);
    gridControlCodes->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    gridControlCodes->installEventFilter(this);
    connect(gridControlCodes->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex&, const QModelIndex& anterior) {
                if (anterior.isValid())
                    GuardaCodigo(anterior.row());
            });

    auto* modelo = new QHBoxLayout;
    modelo->addWidget(txtModeloTicket, 1);
    modelo->addWidget(cmdModeloTicket);
    auto* caja = new QVBoxLayout(pagina);
    caja->addLayout(modelo);
    caja->addWidget(gridControlCodes, 1);
    return pagina;
}

QWidget* frmEDConfiguracion::CreaImpresora() {
    auto* pagina = new QWidget;
    tvImpresora = new QTreeWidget(pagina);
    tvImpresora->setObjectName("tvImpresora");
    tvImpresora->setHeaderHidden(true);
    tvImpresora->installEventFilter(this);
    connect(tvImpresora, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* nodo) { PulsaImpresora(nodo); });

    fraCommSettings = new QGroupBox(pagina);
    fraCommSettings->setObjectName("fraCommSettings");
    QStringList velocidades;
    for (qint32 v : SalidaTiquet::VelocidadesSerie())
        velocidades << QString::number(v);
    cboCommFlujo =
        Lista(fraCommSettings, "cboCommFlujo",
              Textos({IdTexto::FlujoNinguno, IdTexto::FlujoHardware, IdTexto::FlujoXonXoff}));
    cboCommBPS = Lista(fraCommSettings, "cboCommBPS", velocidades);
    cboCommParidad =
        Lista(fraCommSettings, "cboCommParidad",
              Textos({IdTexto::ParidadPar, IdTexto::ParidadImpar, IdTexto::ParidadNinguna,
                      IdTexto::ParidadMarca, IdTexto::ParidadEspacio}));
    cboCommBitsDatos = Lista(fraCommSettings, "cboCommBitsDatos", {"4", "5", "6", "7", "8"});
    cboCommParada = Lista(fraCommSettings, "cboCommParada", {"1", "1.5", "2"});
    auto* formulario = new QFormLayout(fraCommSettings);
    for (QComboBox* c :
         {cboCommFlujo, cboCommBPS, cboCommParidad, cboCommBitsDatos, cboCommParada}) {
        auto* l = new QLabel(fraCommSettings);
        l->setObjectName("lblCommSettings" + QString::number(lblCommSettings.size()));
        lblCommSettings << l;
        formulario->addRow(l, c);
    }
    auto* caja = new QHBoxLayout(pagina);
    caja->addWidget(tvImpresora, 1);
    caja->addWidget(fraCommSettings);
    return pagina;
}

void frmEDConfiguracion::Carga() {
    cboIdioma->setCurrentIndex(m_datos.Idioma() / 2000);
    cboTipoImpresora->setCurrentIndex(m_datos.TipoImpresora());

    // The stored port, listed first when the system does not list it; else the port of the
    // stored number, else the first.
    const QString propio = m_datos.PuertoNombre().trimmed();
    if (!propio.isEmpty() && cboPuertos->findText(propio) < 0)
        cboPuertos->insertItem(0, propio);
    int puerto = propio.isEmpty() ? -1 : cboPuertos->findText(propio);
    for (int i = 0; puerto < 0 && m_datos.Puerto() > 0 && i < cboPuertos->count(); ++i)
        if (PuertosSerie::Numero(cboPuertos->itemText(i)) == m_datos.Puerto())
            puerto = i;
    cboPuertos->setCurrentIndex(puerto < 0 && cboPuertos->count() > 0 ? 0 : puerto);

    cboTipoBascula->setCurrentIndex(cboTipoBascula->findData(m_datos.TipoBascula()));
    txtLineaBascula->setText(m_datos.LineaBascula());
    cboFlujoBascula->setCurrentIndex(qMax(0, cboFlujoBascula->findData(m_datos.FlujoBascula())));
    txtTramaUsuario->setText(m_datos.TramaUsuario());
    txtEstableUsuario->setText(m_datos.EstableUsuario());
    cboFinTramaUsuario->setCurrentIndex(
        qMax(0, cboFinTramaUsuario->findText(m_datos.FinTramaUsuario().trimmed().toUpper())));
    txtPeticionUsuario->setText(m_datos.PeticionUsuario());
    const AjustesBascula ajustes = AjustesBascula::De(m_datos);
    spnEstableLecturas->setValue(ajustes.estabilidad.lecturas);
    spnEstableMs->setValue(ajustes.estabilidad.ms);
    txtEstableMargen->setText(m_datos.EstableMargen());
    txtPuesto->setText(m_datos.Puesto());
    spnLecturaRecienteMs->setValue(m_datos.LecturaRecienteMs());
    spnEsperaEstableMs->setValue(m_datos.EsperaEstableMs());
    chkUnaPesadaPorCarga->setChecked(m_datos.UnaPesadaPorCarga());
    chkPesoManual->setChecked(m_datos.PesoManual());
    for (int i = 1; i <= ModeloColumnas::Numero; ++i) {
        m_pantalla->SetMarcada(i, m_datos.ColPantalla(i));
        m_impresas->SetMarcada(i, m_datos.ColImpresas(i));
    }
    txtUnidadMedida->setText(m_datos.UnidadMedida());
    for (int i = 0; i < 3; ++i)
        txtDatosEmpresa[i]->setText(m_datos.DatosEmpresa(i));
    txtNombreEmpresa->setText(m_datos.Cliente());
    txtNifEmpresa->setText(m_datos.NIFCliente());
    chkNumeracionAutomatica->setChecked(m_datos.NumeracionAutomatica());
    chkPesoContinuo->setChecked(m_datos.PesoContinuo());
    txtModeloTicket->setText(m_datos.ModeloTicket());
    if (const Resultado r = m_codigos->Carga(); !r)
        kelMensaje::Error(this, Texto(IdTexto::Configuracion), r.Error());
    gridControlCodes->resizeColumnsToContents();
    CargaImpresoras();
    cboCommFlujo->setCurrentIndex(m_datos.CommTiquetFlujo());
    cboCommBPS->setCurrentIndex(m_datos.CommTiquetBPS());
    cboCommParidad->setCurrentIndex(m_datos.CommTiquetParidad());
    cboCommBitsDatos->setCurrentIndex(m_datos.CommTiquetBitsDatos());
    cboCommParada->setCurrentIndex(m_datos.CommTiquetBitsParada());
}

void frmEDConfiguracion::CargaImpresoras() {
    QList<QStringList> colas;
    SalidaTiquet::EnumerarImpresoras(colas);
    QStringList sistema;
    for (const QStringList& cola : colas)
        sistema << cola.value(0);
    m_impresoras = std::make_unique<ArbolImpresoras>(
        Textos({IdTexto::NoDefinida, IdTexto::PuertoSerie, IdTexto::PuertoParalelo,
                IdTexto::ImpresoraSistema}),
        PuertosSerie::Lista(), PuertosDispositivo(), sistema);
    m_impresoras->Elige(m_datos.PuertoImpresoraTiquets(), m_datos.NombreImpresoraTiquets());

    tvImpresora->clear();
    QList<QTreeWidgetItem*> tipos;
    for (const ArbolImpresoras::Nodo& n : m_impresoras->Nodos()) {
        auto* nodo =
            n.padre < 0 ? new QTreeWidgetItem(tvImpresora) : new QTreeWidgetItem(tipos.at(n.padre));
        nodo->setText(0, n.texto);
        nodo->setData(0, Qt::UserRole, n.clave);
        if (n.padre < 0)
            tipos << nodo;
    }
    tvImpresora->expandAll();
    MarcaImpresoras();
}

void frmEDConfiguracion::MarcaImpresoras() {
    for (QTreeWidgetItemIterator i(tvImpresora); *i; ++i) {
        const bool marcado = m_impresoras->Marcado((*i)->data(0, Qt::UserRole).toString());
        (*i)->setCheckState(0, marcado ? Qt::Checked : Qt::Unchecked);
        if (marcado) {
            tvImpresora->setCurrentItem(*i);
            tvImpresora->scrollToItem(*i);
        }
    }
}

void frmEDConfiguracion::PulsaImpresora(QTreeWidgetItem* nodo) {
    if (!nodo)
        return;
    m_impresoras->Pulsa(nodo->data(0, Qt::UserRole).toString());
    MarcaImpresoras();
}

void frmEDConfiguracion::PonTextos() {
    namespace T = IdTexto;
    setWindowTitle(Texto(T::Configuracion));
    const int pestanas[] = {T::General, T::Bascula, T::Albaran, T::DefinicionTiquet,
                            T::ImpresoraTiquets};
    for (int i = 0; i < 5; ++i)
        SSTab->setTabText(i, Texto(pestanas[i]));
    const int bascula[] = {T::LineaBascula,    T::FlujoBascula,      T::TramaUsuario,
                           T::EstableUsuario,  T::FinTramaUsuario,   T::PeticionUsuario,
                           T::EstableLecturas, T::EstableMs,         T::EstableMargen,
                           T::Puesto,          T::LecturaRecienteMs, T::EsperaEstableMs};
    for (int i = 0; i < int(std::size(bascula)); ++i)
        lblBascula[i]->setText(Texto(bascula[i]));
    fraPesadas->setTitle(Texto(T::Pesadas));
    chkUnaPesadaPorCarga->setText(Texto(T::UnaPesadaPorCarga));
    chkPesoManual->setText(Texto(T::PermitePesoManual));
    fraUsuario->setTitle(Texto(T::ProtocoloUsuario));
    fraEstabilidad->setTitle(Texto(T::EstabilidadBascula));
    cmdDetectarBascula->setText(Texto(T::DetectarBascula));
    MuestraProtocolo();
    const int etiquetas[] = {T::Idioma, T::PuertoComunicaciones, T::UnidadMedida, T::TipoImpresora,
                             T::TipoBascula};
    for (int i = 0; i < 5; ++i)
        lbl[i]->setText(Texto(etiquetas[i]));
    chkPesoContinuo->setText(Texto(T::PesoContinuo));
    fraDatosEmpresa->setTitle(Texto(T::DatosEmpresa));
    lblNombreEmpresa->setText(Texto(T::NombreEmpresa));
    lblNifEmpresa->setText(Texto(T::NifEmpresa));
    chkNumeracionAutomatica->setText(Texto(T::NumeracionAutomatica));
    fraPantalla->setTitle(Texto(T::ColumnasPantalla));
    fraImpresas->setTitle(Texto(T::ColumnasImpresas));
    gridControlCodes->setToolTip(Texto(T::BorrarCodigo));
    fraCommSettings->setTitle(Texto(T::ConfiguracionPuertoSerie));
    const int serie[] = {T::ControlFlujo, T::BitsPorSegundo, T::Paridad, T::BitsDatos,
                         T::BitsParada};
    for (int i = 0; i < 5; ++i)
        lblCommSettings[i]->setText(Texto(serie[i]));
    cmdAccion[0]->setText(Texto(T::Aceptar));
    cmdAccion[1]->setText(Texto(T::Cancelar));
}

void frmEDConfiguracion::EligeModelo() {
    const QString filtro = Texto(IdTexto::DefinicionTiquet) + " (*.dti)";
    QFileDialog dialogo(this, Texto(IdTexto::DefinicionTiquet), txtModeloTicket->text(), filtro);
    dialogo.setObjectName("dlgModeloTicket");
    dialogo.setFileMode(QFileDialog::ExistingFile);
    dialogo.setDefaultSuffix("dti");
    if (dialogo.exec() == QDialog::Accepted && !dialogo.selectedFiles().isEmpty())
        txtModeloTicket->setText(QDir::toNativeSeparators(dialogo.selectedFiles().first()));
    txtModeloTicket->setFocus();
}

void frmEDConfiguracion::GuardaCodigo(int fila) {
    if (const Resultado r = m_codigos->GuardaFila(fila); !r)
        kelMensaje::Error(this, windowTitle(),
                          Texto(IdTexto::CodigoNoGuardado)
                              .arg(m_codigos->Valor(fila, ModeloCodigosControl::Macro), r.Error()));
}

void frmEDConfiguracion::GuardaCodigos() {
    // A cell still being edited is taken first, as when the operator leaves it.
    const QModelIndex actual = gridControlCodes->currentIndex();
    if (QWidget* editor = gridControlCodes->indexWidget(actual))
        gridControlCodes->itemDelegateForIndex(actual)->setModelData(editor, m_codigos, actual);
    GuardaCodigo(actual.row());
}

void frmEDConfiguracion::BorraCodigo() {
    const int fila = gridControlCodes->currentIndex().row();
    if (fila < 0)
        return;
    if (const Resultado r = m_codigos->BorraFila(fila); !r)
        kelMensaje::Error(this, windowTitle(), r.Error());
}

void frmEDConfiguracion::Acepta() {
    // Scale settings that cannot be used are told, and the window stays open on them.
    if (const Resultado r = AjustesMostrados().Comprueba(); !r) {
        SSTab->setCurrentIndex(1);
        kelMensaje::Error(this, Texto(IdTexto::Bascula), r.Error());
        (AjustesMostrados().tipo == 6 && !lblErrorUsuario->text().isEmpty() ? txtTramaUsuario
                                                                            : txtLineaBascula)
            ->setFocus();
        return;
    }
    GuardaCodigos();
    clsDatosApp& d = m_datos;
    d.SetCommTiquetBitsDatos(Posicion(cboCommBitsDatos, d.CommTiquetBitsDatos()));
    d.SetCommTiquetBitsParada(Posicion(cboCommParada, d.CommTiquetBitsParada()));
    d.SetCommTiquetBPS(Posicion(cboCommBPS, d.CommTiquetBPS()));
    d.SetCommTiquetFlujo(Posicion(cboCommFlujo, d.CommTiquetFlujo()));
    d.SetCommTiquetParidad(Posicion(cboCommParidad, d.CommTiquetParidad()));
    for (int i = 0; i < 3; ++i)
        d.SetDatosEmpresa(i, txtDatosEmpresa[i]->text());
    d.SetCliente(txtNombreEmpresa->text());
    d.SetNIFCliente(txtNifEmpresa->text());
    d.SetModeloTicket(txtModeloTicket->text());
    d.SetNombreImpresoraTiquets(m_impresoras->Nombre());
    d.SetPuertoImpresoraTiquets(m_impresoras->Tipo());
    d.SetNumeracionAutomatica(chkNumeracionAutomatica->isChecked());
    d.SetPesoContinuo(chkPesoContinuo->isChecked());
    // With no port on the machine and none typed, the stored one stays.
    if (const QString puerto = cboPuertos->currentText().trimmed(); !puerto.isEmpty()) {
        d.SetPuertoNombre(puerto);
        d.SetPuerto(PuertosSerie::Numero(puerto));
    }
    const AjustesBascula bascula = AjustesMostrados();
    d.SetTipoBascula(bascula.tipo);
    d.SetLineaBascula(bascula.linea);
    d.SetFlujoBascula(bascula.flujo);
    d.SetTramaUsuario(bascula.tramaUsuario);
    d.SetEstableUsuario(bascula.estableUsuario);
    d.SetFinTramaUsuario(bascula.finTramaUsuario);
    d.SetPeticionUsuario(bascula.peticionUsuario);
    d.SetEstableLecturas(spnEstableLecturas->value());
    d.SetEstableMs(spnEstableMs->value());
    d.SetEstableMargen(txtEstableMargen->text().trimmed());
    // An empty name stands for the computer's, as when the setting is missing.
    d.SetPuesto(txtPuesto->text().trimmed());
    d.SetLecturaRecienteMs(spnLecturaRecienteMs->value());
    d.SetEsperaEstableMs(spnEsperaEstableMs->value());
    d.SetUnaPesadaPorCarga(chkUnaPesadaPorCarga->isChecked());
    d.SetPesoManual(chkPesoManual->isChecked());
    d.SetTipoImpresora(Posicion(cboTipoImpresora, d.TipoImpresora()));
    d.SetUnidadMedida(txtUnidadMedida->text());
    for (int i = 1; i <= ModeloColumnas::Numero; ++i) {
        d.SetColPantalla(i, m_pantalla->Marcada(i));
        d.SetColImpresas(i, m_impresas->Marcada(i));
    }
    // Last, as it switches the language of every window.
    d.SetIdioma(Posicion(cboIdioma, d.Idioma() / 2000) * 2000);
    d.GuardaConfiguracion();

    // The codes as the table now holds them: a code deleted in the grid is gone from tickets too.
    auto codigos = std::make_shared<DirectPrintHelper>(d.PaginaCodigosTiquet());
    if (const Resultado r = codigos->CargaRecordset(d.Conexion()); !r)
        kelMensaje::Error(this, windowTitle(), Texto(IdTexto::CodigosNoCargados).arg(r.Error()));
    else
        d.SetPrintHelper(codigos);
    accept();
}

void frmEDConfiguracion::done(int resultado) {
    GuardaCodigos();
    kelRegistry::SaveFormPosition(this);
    QDialog::done(resultado);
}

bool frmEDConfiguracion::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == txtModeloTicket && kelWindow::EsF4(evento)) {
        EligeModelo();
        return true;
    }
    if (evento->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        if (objeto == gridControlCodes && tecla->key() == Qt::Key_Delete &&
            tecla->modifiers() == Qt::ControlModifier) {
            BorraCodigo();
            return true;
        }
        // Space or Enter on a printer node chooses it, as a click does.
        const bool elige = tecla->key() == Qt::Key_Space || tecla->key() == Qt::Key_Return ||
                           tecla->key() == Qt::Key_Enter;
        if (objeto == tvImpresora && elige) {
            PulsaImpresora(tvImpresora->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}
