#include "notes/frmmain.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/columnasalbaran.h"
#include "app/frminfosistema.h"
#include "app/frmmdsplash.h"
#include "app/idtextos.h"
#include "app/kelmensaje.h"
#include "app/kelnumerics.h"
#include "app/kelregistry.h"
#include "app/kelteclaalt.h"
#include "db/basedatos.h"
#include "export/frmexpalbaranes.h"
#include "export/frmlstalbaran.h"
#include "masters/consultabrowse.h"
#include "masters/frmmtclientes.h"
#include "masters/frmmtoperarios.h"
#include "masters/frmmtproductos.h"
#include "masters/frmmttaras.h"
#include "notes/anchosrejilla.h"
#include "notes/cajafecha.h"
#include "notes/datasetalbaran.h"
#include "notes/modelolineasalbaran.h"
#include "notes/rejillalineas.h"
#include "notes/totalesalbaran.h"
#include "ticket/frmedconfiguracion.h"
#include "ticket/frmlstticket.h"
#include "ticket/puertosserie.h"
#include "ticket/salidatiquet.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kTwips = kelRegistry::TwipsPorPixel;
constexpr int kLongitudNumero = 20; // the size of NumAlbaran

const clsDatosApp& Ajustes() {
    Q_ASSERT(clsDatosApp::Instancia());
    return *clsDatosApp::Instancia();
}

// The switch's two pictures: a lever to the left on grey, or to the right on green.
QIcon DibujoInterruptor(bool encendido) {
    QPixmap p(64, 36);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(60, 60, 60), 2));
    g.setBrush(encendido ? QColor(40, 170, 60) : QColor(150, 150, 150));
    g.drawRoundedRect(QRectF(2, 2, 60, 32), 16, 16);
    g.setBrush(Qt::white);
    g.drawEllipse(QRectF(encendido ? 32 : 6, 6, 24, 24));
    return QIcon(p);
}

// The keys of the operator and customer fields: F4 looks up, Alt with the keypad's plus stores.
enum class TeclaCabecera { Ninguna, Busca, Guarda };
TeclaCabecera AccionTecla(const QKeyEvent* tecla) {
    const Qt::KeyboardModifiers mods =
        tecla->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (tecla->key() == Qt::Key_F4 && mods == Qt::NoModifier)
        return TeclaCabecera::Busca;
    if (tecla->key() == Qt::Key_Plus && mods == Qt::AltModifier &&
        (tecla->modifiers() & Qt::KeypadModifier))
        return TeclaCabecera::Guarda;
    return TeclaCabecera::Ninguna;
}

// A text put into a field by the program shows from its start, also when it is wider than the
// field (a typed one shows where the typing is).
void Pon(QLineEdit* caja, const QString& texto) {
    caja->setText(texto);
    caja->setCursorPosition(0);
}

// Runs a call to the database with the busy cursor: a server that does not answer holds it up
// to its time limit (EsperaServidor), and the window cannot be painted meanwhile.
template <typename Llamada> Resultado Ocupado(Llamada llamada) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Resultado r = llamada();
    QApplication::restoreOverrideCursor();
    return r;
}
} // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent), m_datos(Ajustes()), m_catalogo(m_datos.Conexion()),
      m_reglas(m_catalogo, m_datos.SeparadorDecimal()),
      m_almacen(m_datos.Conexion(), m_datos.SeparadorDecimal()) {
    setObjectName("frmMain");
    kelTeclaAlt::Instala(); // for this window's fields and those of every window it opens
    setWindowTitle(m_datos.Caption());
    CreaControles();
    CreaMenus();
    RegistraAcciones();
    resize(1000, 660);

    ColocaColumnas();
    Vacia();
    txtFechaAlbaran->setDate(QDate::currentDate());
    kelRegistry::RestoreFormPosition(this);
    AplicaIdioma();
    AplicaColumnasVisibles();
    PonInterruptor(false);
    txtNumAlbaran->setFocus();
}

frmMain::~frmMain() = default;

// ---------------------------------------------------------------------------------------------
// Controls

QPushButton* frmMain::Boton(const char* nombre, const QString& orden) {
    auto* b = new QPushButton(this);
    b->setObjectName(nombre);
    b->setFocusPolicy(Qt::NoFocus);
    if (!orden.isEmpty())
        connect(b, &QPushButton::clicked, this, [this, orden] { DespachaMenu(orden); });
    return b;
}

void frmMain::CreaControles() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    // Below 10485 x 7140 twips the window's content stops shrinking.
    central->setMinimumSize(10485 / kTwips - 8, 7140 / kTwips - 60);
    auto* raiz = new QVBoxLayout(central);

    // The scale: switch, reading and the button that asks for a weighing, at the right.
    imgLstOnOff = {{"Encendido", DibujoInterruptor(true)}, {"Apagado", DibujoInterruptor(false)}};
    imgOnOff = new QToolButton(this);
    imgOnOff->setObjectName("imgOnOff");
    imgOnOff->setAutoRaise(true);
    imgOnOff->setFocusPolicy(Qt::NoFocus);
    imgOnOff->setIconSize(QSize(64, 36));
    connect(imgOnOff, &QToolButton::clicked, this, [this] { DespachaMenu("Interruptor"); });
    lblLectura = new QLabel("0.000", this);
    lblLectura->setObjectName("lblLectura");
    QFont arial("Arial", 26, QFont::Bold);
    lblLectura->setFont(arial);
    lblLectura->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblLectura->setFrameShape(QFrame::Panel);
    lblLectura->setFrameShadow(QFrame::Sunken);
    // As tall as its largest letter: a long reading shown in smaller letters does not make the
    // window below it jump.
    lblLectura->setMinimumHeight(lblLectura->sizeHint().height());
    cmdPesar = Boton("cmdPesar", "LeerPeso");
    cmdPesar->setMinimumHeight(40);
    auto* bascula = new QHBoxLayout;
    bascula->addStretch();
    bascula->addWidget(imgOnOff);
    bascula->addWidget(lblLectura);
    bascula->addWidget(cmdPesar);
    raiz->addLayout(bascula);

    fraAlbaran = new QGroupBox(this);
    fraAlbaran->setObjectName("fraAlbaran");
    raiz->addWidget(fraAlbaran, 1);
    auto* marco = new QVBoxLayout(fraAlbaran);
    auto* cabecera = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        lbl[i] = new QLabel(this);
        lbl[i]->setObjectName(QStringLiteral("lbl%1").arg(i));
    }
    auto caja = [this](const QString& nombre, int longitud) {
        auto* c = new QLineEdit(this);
        c->setObjectName(nombre);
        c->setMaxLength(longitud);
        c->installEventFilter(this);
        return c;
    };
    txtNumAlbaran = caja("txtNumAlbaran", kLongitudNumero);
    txtFechaAlbaran = new CajaFecha(this);
    txtFechaAlbaran->setObjectName("txtFechaAlbaran");
    txtFechaAlbaran->setDisplayFormat("dd/MM/yyyy");
    txtFechaAlbaran->setCalendarPopup(true);
    txtFechaAlbaran->installEventFilter(this);
    txtOperario = caja("txtOperario", 50);
    const int longitudes[] = {15, 50, 50, 50};
    for (int i = 0; i < 4; ++i)
        txtCliente[i] = caja(QStringLiteral("txtCliente%1").arg(i), longitudes[i]);
    cmdBuscaOperario = Boton("cmdBuscaOperario", {});
    cmdAddOperario = Boton("cmdAddOperario", {});
    cmdBuscaCliente = Boton("cmdBuscaCliente", {});
    cmdAddCliente = Boton("cmdAddCliente", {});
    for (QPushButton* b : {cmdBuscaOperario, cmdBuscaCliente}) {
        b->setText("...");
        b->setToolTip("F4");
    }
    for (QPushButton* b : {cmdAddOperario, cmdAddCliente}) {
        b->setText("+");
        b->setToolTip("Alt +");
    }
    for (QPushButton* b : {cmdBuscaOperario, cmdAddOperario, cmdBuscaCliente, cmdAddCliente})
        b->setFixedWidth(32);
    connect(cmdBuscaOperario, &QPushButton::clicked, this, &frmMain::BuscaOperario);
    connect(cmdAddOperario, &QPushButton::clicked, this, &frmMain::AddOperario);
    connect(cmdBuscaCliente, &QPushButton::clicked, this, &frmMain::BuscaCliente);
    connect(cmdAddCliente, &QPushButton::clicked, this, &frmMain::AddCliente);
    // Typing into the operator and customer fields changes the note.
    for (QLineEdit* c : {txtOperario, txtCliente[0], txtCliente[1], txtCliente[2], txtCliente[3]})
        connect(c, &QLineEdit::textEdited, this, &frmMain::Cambia);

    cabecera->addWidget(lbl[2], 0, 0);
    cabecera->addWidget(txtNumAlbaran, 0, 1);
    cabecera->addWidget(lbl[1], 0, 2, Qt::AlignRight);
    cabecera->addWidget(txtFechaAlbaran, 0, 3, Qt::AlignLeft); // as wide as a narrow window's
    cabecera->addWidget(lbl[3], 1, 0);
    cabecera->addWidget(txtOperario, 1, 1, 1, 3);
    cabecera->addWidget(cmdBuscaOperario, 1, 4);
    cabecera->addWidget(cmdAddOperario, 1, 5);
    cabecera->addWidget(lbl[0], 2, 0);
    cabecera->addWidget(txtCliente[0], 2, 1);
    cabecera->addWidget(txtCliente[1], 2, 2, 1, 2);
    cabecera->addWidget(cmdBuscaCliente, 2, 4);
    cabecera->addWidget(cmdAddCliente, 2, 5);
    cabecera->addWidget(txtCliente[2], 3, 1, 1, 3);
    cabecera->addWidget(txtCliente[3], 4, 1, 1, 3);
    cabecera->setColumnMinimumWidth(1, 130);
    cabecera->setColumnMinimumWidth(3, 220);
    cabecera->setColumnStretch(3, 1);
    txtFechaAlbaran->setMinimumWidth(220);
    cabecera->setContentsMargins(0, 0, 0, 0);
    cajaCabecera = new QWidget(this);
    cajaCabecera->setObjectName("cajaCabecera");
    cajaCabecera->setLayout(cabecera);

    lblImpreso = new QLabel(this);
    lblImpreso->setObjectName("lblImpreso");
    QFont negrita = lblImpreso->font();
    negrita.setBold(true);
    negrita.setPointSize(negrita.pointSize() + 4);
    lblImpreso->setFont(negrita);
    lblImpreso->setStyleSheet("color: #b00000");
    cmdNuevoAlbaran = Boton("cmdNuevoAlbaran", "NuevoAlbaran");
    cmdAbrir = Boton("cmdAbrir", "AbrirAlbaran");
    cmdGuardar = Boton("cmdGuardar", "GuardarAlbaran");
    cmdImprimir = Boton("cmdImprimir", "Imprimir");
    cmdNuevoAlbaran->setToolTip("Ctrl+N");
    cmdAbrir->setToolTip("Ctrl+O");
    cmdGuardar->setToolTip("Ctrl+S");
    cmdImprimir->setToolTip("Ctrl+P");
    auto* botones = new QGridLayout;
    botones->addWidget(cmdImprimir, 0, 0);
    botones->addWidget(cmdNuevoAlbaran, 0, 1);
    botones->addWidget(cmdAbrir, 1, 0);
    botones->addWidget(cmdGuardar, 1, 1);
    for (QPushButton* b : {cmdImprimir, cmdNuevoAlbaran, cmdAbrir, cmdGuardar})
        b->setMinimumSize(130, 34);

    auto* arriba = new QHBoxLayout;
    arriba->addWidget(cajaCabecera, 1);
    arriba->addStretch();
    arriba->addWidget(lblImpreso, 0, Qt::AlignTop);
    arriba->addSpacing(12);
    arriba->addLayout(botones);
    marco->addLayout(arriba);

    m_modelo = new ModeloLineasAlbaran(m_reglas, this);
    m_modelo->SetPesoManual(m_datos.PesoManual());
    gridAlbaran = new RejillaLineas(m_modelo, this);
    gridAlbaran->setObjectName("gridAlbaran");
    marco->addWidget(gridAlbaran, 1);
    lblTotales = new QLabel(this);
    lblTotales->setObjectName("lblTotales");
    lblTotales->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    marco->addWidget(lblTotales);
    const auto totales = [this] { MuestraTotales(); };
    connect(m_modelo, &QAbstractItemModel::dataChanged, this, totales);
    connect(m_modelo, &QAbstractItemModel::rowsRemoved, this, totales);
    connect(m_modelo, &QAbstractItemModel::modelReset, this, totales);
    connect(m_modelo, &ModeloLineasAlbaran::LineasCambiadas, this, [this] {
        m_ultimaModificacion = QDateTime::currentDateTime();
        Cambia();
    });
    connect(gridAlbaran, &RejillaLineas::BotonColumna, this, &frmMain::BotonColumna);
    connect(gridAlbaran->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int columna, int, int ancho) {
                if (ancho <= 0 || columna < 0 || columna >= ColumnasAlbaran::Numero || m_ajustando)
                    return;
                m_aMano[columna] = ancho;
                AjustaColumnas();
            });
    // The widest value changes with the lines, the room for the name with the window.
    const auto ajusta = [this] { AjustaColumnas(); };
    connect(m_modelo, &QAbstractItemModel::dataChanged, this, ajusta);
    connect(m_modelo, &QAbstractItemModel::modelReset, this, ajusta);
    connect(m_modelo, &QAbstractItemModel::rowsInserted, this, ajusta);
    gridAlbaran->installEventFilter(this);
    gridAlbaran->viewport()->installEventFilter(this);

    setTabOrder(txtNumAlbaran, txtFechaAlbaran);
    setTabOrder(txtFechaAlbaran, txtOperario);
    setTabOrder(txtOperario, txtCliente[0]);
    for (int i = 0; i < 3; ++i)
        setTabOrder(txtCliente[i], txtCliente[i + 1]);
    setTabOrder(txtCliente[3], gridAlbaran);

    connect(&m_veltaSC, &VeltaSC::LecturaRecibida, this, &frmMain::AlLeer);
    // A taking that waits decides again at every reading, and at these ticks for its end; a
    // scale that answers requests is asked again at each.
    m_esperaPesada.setInterval(VeltaSC::IntervaloSondeo);
    connect(&m_esperaPesada, &QTimer::timeout, this, [this] {
        if (!m_datos.PesoContinuo())
            m_veltaSC.PideLectura();
        SiguePesada();
    });
    // Told once the edit that was refused has ended.
    connect(m_modelo, &ModeloLineasAlbaran::Rechazada, this, [this](const QString& texto) {
        QTimer::singleShot(
            0, this, [this, texto] { kelMensaje::Aviso(this, Texto(IdTexto::Pesada), texto); });
    });
    connect(&m_veltaSC, &VeltaSC::PuertoPerdido, this, [this](const QString& error) {
        PonInterruptor(false);
        m_lectura.reset();
        AcabaPesada();
        Error(IdTexto::Bascula, error);
    });
}

QAction* frmMain::Entrada(QMenu* menu, const char* nombre, int texto, const QString& orden,
                          const QKeySequence& atajo) {
    QAction* a = menu->addAction(QString());
    a->setObjectName(nombre);
    a->setShortcut(atajo);
    m_textosMenu.append({a, texto});
    if (!orden.isEmpty())
        connect(a, &QAction::triggered, this, [this, orden] { DespachaMenu(orden); });
    return a;
}

void frmMain::CreaMenus() {
    namespace T = IdTexto;
    auto menu = [this](QWidget* padre, const char* nombre, int texto) {
        auto* m = new QMenu(padre);
        m->setObjectName(nombre);
        m_textosMenu.append({m->menuAction(), texto});
        return m;
    };
    QMenu* archivo = menu(this, "mnuArchivo", T::MnuArchivo);
    QMenu* configuracion = menu(archivo, "mnuArchivoConfiguracion", T::MnuConfiguracion);
    Entrada(configuracion, "mnuArchivoConfiguracionPrograma", T::MnuPrograma, "Configuracion");
    Entrada(configuracion, "mnuArchivoConfiguracionColumnas", T::MnuReajustarColumnas,
            "ReiniciarColumnas");
    archivo->addMenu(configuracion);
    Entrada(archivo, "mnuArchivoImpresora", T::MnuImpresora, "ConfImpresora");
    // The desktop offers no system-menu hook here: the reset is an entry of this menu.
    Entrada(archivo, "mnuReiniciaVentanas", T::ReiniciaVentanas, "BorraPosiciones");
    archivo->addSeparator();
    Entrada(archivo, "mnuArchivoSalir", T::MnuSalir, "Salir");

    QMenu* bascula = menu(this, "mnuBascula", T::MnuBascula);
    Entrada(bascula, "mnuBasculaInterruptor", T::MnuInterruptor, "Interruptor", Qt::Key_F5);
    mnuBasculaLeerPesada =
        Entrada(bascula, "mnuBasculaLeerPesada", T::MnuLeerPesada, "LeerPeso", Qt::Key_F6);

    QMenu* albaran = menu(this, "mnuAlbaran", T::MnuAlbaran);
    Entrada(albaran, "mnuAlbaranImprimir", T::MnuImprimir, "Imprimir", QKeySequence::Print);
    Entrada(albaran, "mnuAlbaranNuevo", T::MnuNuevo, "NuevoAlbaran", QKeySequence::New);
    Entrada(albaran, "mnuAlbaranAbrir", T::MnuAbrir, "AbrirAlbaran", QKeySequence::Open);
    Entrada(albaran, "mnuAlbaranGuardar", T::MnuGuardar, "GuardarAlbaran", QKeySequence::Save);

    QMenu* ficheros = menu(this, "mnuFicheros", T::MnuFicheros);
    Entrada(ficheros, "mnuFicherosProductos", T::MnuProductos, "FicheroProductos");
    Entrada(ficheros, "mnuFicherosTaras", T::MnuTaras, "FicheroTaras");
    Entrada(ficheros, "mnuFicherosClientes", T::MnuClientes, "FicheroClientes");
    Entrada(ficheros, "mnuFicherosOperarios", T::MnuOperarios, "FicheroOperarios");
    ficheros->addSeparator();
    Entrada(ficheros, "mnuFicherosExportar", T::MnuExportar, "ExportarAlbaranes");

    QMenu* ayuda = menu(this, "mnuAyuda", T::MnuAyuda);
    Entrada(ayuda, "mnuAyudaInfoSistema", T::MnuInfoSistema, "AyudaInfoSistema");
    ayuda->addSeparator();
    Entrada(ayuda, "mnuAyudaAcerca", T::MnuAcercaDe, "AyudaAcerca");

    for (QMenu* m : {archivo, bascula, albaran, ficheros, ayuda})
        menuBar()->addMenu(m);
}

void frmMain::RegistraAcciones() {
    Despachador& d = m_despachador;
    d.Registra("NuevoAlbaran", [this] {
        if (PuedeDejarAlbaran())
            Vacia();
        gridAlbaran->IrAFilaNueva();
    });
    d.Registra("AbrirAlbaran", [this] { AbrirAlbaran(); });
    d.Registra("GuardarAlbaran", [this] {
        GuardarAlbaran();
        gridAlbaran->setFocus();
    });
    d.Registra("Imprimir", [this] {
        Imprimir();
        gridAlbaran->setFocus();
    });
    d.Registra("LeerPeso", [this] { LeerPeso(); });
    d.Registra("Interruptor", [this] { Interruptor(); });
    d.Registra("Configuracion", [this] { Configuracion(); });
    d.Registra("ConfImpresora", [this] { ConfImpresora(); });
    d.Registra("ReiniciarColumnas", [this] { ReiniciarColumnas(); });
    d.Registra("BorraPosiciones", [this] { BorraPosiciones(); });
    d.Registra("Salir", [this] { close(); });
    d.Registra("AyudaAcerca", [] { frmMDSplash::Muestra(5); });
    d.Registra("AyudaInfoSistema", [this] { InfoSistema(); });
    d.Registra("FicheroClientes", [this] { AbreFichero<frmMTClientes>(); });
    d.Registra("FicheroProductos", [this] { AbreFichero<frmMTProductos>(); });
    d.Registra("FicheroTaras", [this] { AbreFichero<frmMTTaras>(); });
    d.Registra("FicheroOperarios", [this] { AbreFichero<frmMTOperarios>(); });
    d.Registra("ExportarAlbaranes", [this] { AbreFichero<frmExpAlbaranes>(); });
}

void frmMain::AplicaIdioma() {
    namespace T = IdTexto;
    for (const auto& [accion, texto] : m_textosMenu)
        accion->setText(Texto(texto));
    imgOnOff->setToolTip(Texto(T::Interruptor) + " - F5");
    m_modelo->SetUnidad(m_datos.UnidadMedida());
    MuestraTotales();
    cmdPesar->setText(Texto(T::LeerPesada));
    fraAlbaran->setTitle(Texto(T::Albaran));
    const int etiquetas[] = {T::Cliente, T::Fecha, T::Numero, T::Operario};
    for (int i = 0; i < 4; ++i)
        lbl[i]->setText(Texto(etiquetas[i]));
    cmdImprimir->setText(Texto(T::BotonImprimir));
    cmdNuevoAlbaran->setText(Texto(T::NuevoAlbaran));
    cmdAbrir->setText(Texto(T::Abrir));
    cmdGuardar->setText(Texto(T::Guardar));
    // The header widens with the window by up to 50 characters, the length of a customer's
    // name, so that a wide window shows names whole; the rest of the room stays beside it.
    cajaCabecera->setMaximumWidth(cajaCabecera->sizeHint().width() +
                                  50 * txtCliente[1]->fontMetrics().averageCharWidth());
    txtFechaAlbaran->calendarWidget()->setLocale(cmnLanguaje::Locale(m_datos.Idioma()));
    lblImpreso->setText(Texto(T::MarcaImpreso));
    const bool continuo = m_datos.PesoContinuo();
    lblLectura->setFixedWidth((continuo ? 9000 : 5000) / kTwips);
    MuestraLectura(); // in the new language and width
    cmdPesar->setVisible(!continuo);
    mnuBasculaLeerPesada->setVisible(!continuo);
    AjustaColumnas();
}

void frmMain::AplicaColumnasVisibles() {
    m_ajustando = true; // a column shown again takes back its width: no choice of the user's
    for (int i = 1; i <= ColumnasAlbaran::Numero; ++i)
        gridAlbaran->setColumnHidden(i - 1, !m_datos.ColPantalla(i));
    m_ajustando = false;
    AjustaColumnas();
}

// Stored widths (twips) of the columns set by hand, and their positions; missing or zero values
// keep the designed ones.
void frmMain::ColocaColumnas() {
    QHeaderView* h = gridAlbaran->horizontalHeader();
    QList<std::pair<int, int>> posiciones;
    for (int i = 1; i <= ColumnasAlbaran::Numero; ++i) {
        const int ancho = int(
            kelNumerics::Val(kelRegistry::GetFormInfo(this, QString("ColAlbaranWidth%1").arg(i))));
        m_aMano[i - 1] = AnchosRejilla::AMano(ancho, ColumnasAlbaran::AnchosColumna(i), kTwips);
        const int posicion = int(kelNumerics::Val(
            kelRegistry::GetFormInfo(this, QString("ColAlbaranPosition%1").arg(i))));
        if (posicion > 0)
            posiciones.append({posicion, i - 1});
    }
    std::sort(posiciones.begin(), posiciones.end());
    for (const auto& [posicion, columna] : posiciones)
        h->moveSection(h->visualIndex(columna), std::clamp(posicion - 1, 0, 8));
}

// ---------------------------------------------------------------------------------------------
// Commands

void frmMain::DespachaMenu(const QString& comando) {
    m_despachador.Despacha(comando);
    // A window the command opened has closed by now: the keyboard is this window's again, also
    // where no window manager gives the activation back, so that its keys work at once.
    if (isVisible() && !QApplication::activeModalWidget() && QApplication::activeWindow() != this)
        activateWindow();
}

void frmMain::Vacia() {
    m_modelo->SetLineas({});
    txtNumAlbaran->setText(
        m_datos.NumeracionAutomatica()
            ? kelNumerics::SiguienteNumero(txtNumAlbaran->text(), kLongitudNumero)
            : QString());
    m_impreso = false;
    lblImpreso->setVisible(false);
    m_ultimaModificacion = QDateTime::currentDateTime();
    m_modificado = false;
    m_clave = {};
}

Albaran frmMain::AlbaranActual() const {
    Albaran a;
    a.NumAlbaran = txtNumAlbaran->text();
    a.Fecha = txtFechaAlbaran->date();
    a.NomOperario = txtOperario->text();
    a.CodCliente = txtCliente[0]->text();
    a.NomCliente = txtCliente[1]->text();
    a.Direccion1 = txtCliente[2]->text();
    a.Direccion2 = txtCliente[3]->text();
    a.FechaModificacion = m_ultimaModificacion;
    a.Impreso = m_impreso;
    a.Lineas = m_modelo->Lineas();
    return a;
}

void frmMain::Muestra(const Albaran& a) {
    txtNumAlbaran->setText(a.NumAlbaran);
    txtFechaAlbaran->setDate(a.Fecha);
    Pon(txtOperario, a.NomOperario);
    const QString cliente[] = {a.CodCliente, a.NomCliente, a.Direccion1, a.Direccion2};
    for (int i = 0; i < 4; ++i)
        Pon(txtCliente[i], cliente[i]);
    m_ultimaModificacion = a.FechaModificacion;
    m_impreso = a.Impreso;
    lblImpreso->setVisible(a.Impreso);
    m_modelo->SetLineas(a.Lineas);
    m_modificado = false;
    m_clave = {a.NumAlbaran, a.Fecha};
}

void frmMain::CargaAlbaran(const QString& numero, const QDate& fecha) {
    if (Carga(numero, fecha))
        gridAlbaran->IrAFilaNueva();
}

bool frmMain::Carga(const QString& numero, const QDate& fecha) {
    std::optional<Albaran> albaran;
    const Resultado r = m_almacen.Carga(numero, fecha, albaran);
    if (!r)
        Error(IdTexto::Albaranes, r.Error());
    if (!r || !albaran)
        return false;
    Muestra(*albaran);
    return true;
}

bool frmMain::PuedeDejarAlbaran() {
    gridAlbaran->Confirma();
    if (!m_modificado)
        return true;
    switch (kelMensaje::Pregunta(this, Texto(IdTexto::GuardarAlbaran),
                                 Texto(IdTexto::GuardarCambios), true)) {
    case kelMensaje::Respuesta::Si:
        return GuardarAlbaran();
    case kelMensaje::Respuesta::No:
        return true;
    default:
        return false;
    }
}

void frmMain::AbrirAlbaran() {
    gridAlbaran->Confirma();
    QString numero;
    QDate fecha;
    if (AlmacenAlbaranes::LeeIdSelector(ConsultaBrowse::Albaranes().Lanza(QString()), numero,
                                        fecha) &&
        PuedeDejarAlbaran())
        CargaAlbaran(numero, fecha);
    gridAlbaran->setFocus();
}

bool frmMain::GuardarAlbaran() {
    gridAlbaran->Confirma(); // what is shown is what is saved
    const Albaran a = AlbaranActual();
    if (const Resultado r = AlmacenAlbaranes::Guardable(a); !r) {
        Error(IdTexto::GuardarAlbaran, r.Error());
        txtNumAlbaran->setFocus();
        return false;
    }
    if (TotalesAlbaran::De(a.Lineas).netosNegativos > 0 &&
        kelMensaje::Pregunta(this, Texto(IdTexto::GuardarAlbaran),
                             Texto(IdTexto::NetoNegativoGuardar)) != kelMensaje::Respuesta::Si)
        return false;
    // A note that another station saved meanwhile is asked about again. A failure (a lost
    // connection too) leaves the note in the window, to be saved again. The cursor is busy
    // while the database works, not while a question waits for the operator.
    const auto pregunta = [this](int texto) {
        QApplication::restoreOverrideCursor();
        const bool si = kelMensaje::Pregunta(this, Texto(IdTexto::GuardarAlbaran), Texto(texto)) ==
                        kelMensaje::Respuesta::Si;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return si;
    };
    bool guardada = false;
    if (const Resultado r =
            Ocupado([&] { return m_almacen.GuardaPreguntando(a, pregunta, guardada); });
        !r)
        Error(IdTexto::GuardarAlbaran, r.Error());
    if (!guardada)
        return false;
    m_modificado = false;
    m_clave = {a.NumAlbaran, a.Fecha};
    return true;
}

void frmMain::AlDejarClave(const Clave& antes) {
    const Clave nueva{txtNumAlbaran->text(), txtFechaAlbaran->date()};
    if (nueva.numero.isEmpty() || nueva == m_clave)
        return;
    bool existe = false;
    const Resultado r = m_almacen.Existe(nueva.numero, nueva.fecha, existe);
    if (!r) {
        QTimer::singleShot(0, this, [this, e = r.Error()] { Error(IdTexto::Albaranes, e); });
        return;
    }
    if (!existe)
        return;
    // The note shown keeps its own number and date while it is saved first.
    txtNumAlbaran->setText(antes.numero);
    txtFechaAlbaran->setDate(antes.fecha);
    gridAlbaran->Confirma();
    if (m_modificado) {
        QTimer::singleShot(0, this, [this, nueva] {
            if (PuedeDejarAlbaran())
                CargaAlbaran(nueva.numero, nueva.fecha);
        });
        return;
    }
    // Nothing to ask: the note is shown before the event that moved the focus goes on, so
    // that a click into the grid, and the keys after it, land in the note loaded.
    const QWidget* foco = QApplication::focusWidget();
    if (Carga(nueva.numero, nueva.fecha) && foco != gridAlbaran && !gridAlbaran->isAncestorOf(foco))
        QTimer::singleShot(0, gridAlbaran, &RejillaLineas::IrAFilaNueva);
}

void frmMain::MuestraTotales() {
    lblTotales->setText(TotalesAlbaran::De(m_modelo->LineasMostradas())
                            .Resumen(m_datos.SeparadorDecimal(), m_datos.UnidadMedida()));
}

void frmMain::PonInterruptor(bool encendida) {
    m_basculaEncendida = encendida;
    cmdPesar->setEnabled(encendida);
    mnuBasculaLeerPesada->setEnabled(encendida);
    QPalette p = lblLectura->palette();
    p.setColor(QPalette::WindowText, encendida ? QColor(0xff, 0, 0) : QColor(0x80, 0, 0));
    lblLectura->setPalette(p);
    imgOnOff->setIcon(imgLstOnOff.value(encendida ? "Encendido" : "Apagado"));
}

void frmMain::Interruptor() {
    if (m_basculaEncendida) {
        // Nothing asks for a reading while the port closes.
        cmdPesar->setEnabled(false);
        mnuBasculaLeerPesada->setEnabled(false);
        m_veltaSC.Apaga();
        PonInterruptor(false);
    } else if (!m_datos.PuertoNombre().trimmed().isEmpty() || m_datos.Puerto() > 0) {
        m_veltaSC.SetPuerto(m_datos.Puerto());
        m_veltaSC.SetPuertoNombre(m_datos.PuertoNombre());
        EnciendeBascula();
    }
    m_lectura.reset();
    AcabaPesada();
}

void frmMain::EnciendeBascula() {
    const Resultado r = m_veltaSC.Enciende(AjustesBascula::De(m_datos), m_datos.PesoContinuo());
    PonInterruptor(bool(r));
    if (!r)
        Error(IdTexto::Bascula, r.Error());
}

void frmMain::AlLeer(const Lectura& lectura) {
    if (!lectura.EsPeso())
        return;
    m_lectura = lectura;
    m_captura.Recibida(lectura);
    MuestraLectura();
    if (m_pendiente)
        SiguePesada();
}

void frmMain::EmpiezaPesada(int fila) {
    m_captura.SetAjustes({m_datos.PesoContinuo(), m_datos.LecturaRecienteMs(),
                          m_datos.EsperaEstableMs(), m_datos.UnaPesadaPorCarga()});
    const QDateTime ahora = QDateTime::currentDateTime();
    m_pendiente = PesadaPendiente{fila, ahora};
    // Asked for a weight with none fresh, a scale that answers requests is asked itself.
    if (m_basculaEncendida && !m_datos.PesoContinuo() &&
        !(m_lectura && m_captura.Fresca(m_lectura->recibida, ahora)) && m_veltaSC.PideLectura())
        m_captura.Pedida(ahora);
    SiguePesada();
}

void frmMain::SiguePesada() {
    if (!m_pendiente)
        return;
    // With the switch off no reading is coming.
    const CapturaPesada::Decision d =
        m_basculaEncendida || m_lectura
            ? m_captura.Decide(m_lectura, m_pendiente->inicio, QDateTime::currentDateTime())
            : CapturaPesada::Decision{CapturaPesada::Veredicto::Rechaza,
                                      CapturaPesada::Motivo::SinLectura};
    if (d.veredicto == CapturaPesada::Veredicto::Espera) {
        if (!m_esperaPesada.isActive()) {
            m_esperaPesada.start();
            MuestraLectura();
        }
        return;
    }
    const int fila = m_pendiente->fila;
    AcabaPesada();
    if (d.veredicto == CapturaPesada::Veredicto::Rechaza)
        return kelMensaje::Aviso(this, Texto(IdTexto::Pesada),
                                 Texto(CapturaPesada::TextoMotivo(d.motivo)));
    // The log keeps the weighing before the line shows it; without its entry there is no weight.
    qint64 idPesada = 0;
    if (const Resultado r = m_captura.Registra(m_datos.Conexion(), *m_lectura, m_datos.Puesto(),
                                               m_datos.TipoBascula(), idPesada);
        !r)
        return kelMensaje::Error(this, Texto(IdTexto::Pesada),
                                 Texto(IdTexto::PesadaSinRegistro) + "\n\n" + r.Error());
    if (fila <= m_modelo->FilaNueva())
        m_modelo->TomaLectura(fila, *m_lectura, idPesada);
}

void frmMain::AcabaPesada() {
    m_pendiente.reset();
    m_esperaPesada.stop();
    MuestraLectura();
}

void frmMain::MuestraLectura() {
    QString texto = !m_basculaEncendida ? QStringLiteral("0.000")
                    : m_lectura         ? m_lectura->Rotulo()
                                        : Texto(IdTexto::SinLectura);
    // Waiting says so alone: with the moving figure and its status it would not fit.
    if (m_pendiente && m_esperaPesada.isActive())
        texto = Texto(IdTexto::EsperandoEstable);
    QFont letra = lblLectura->font();
    const int ancho = lblLectura->width() - 2 * lblLectura->frameWidth() - 8;
    for (int puntos = 26; puntos >= 10; puntos -= 2) {
        letra.setPointSize(puntos);
        if (QFontMetrics(letra).horizontalAdvance(texto) <= ancho)
            break;
    }
    lblLectura->setFont(letra);
    lblLectura->setText(texto);
}

void frmMain::Imprimir() {
    gridAlbaran->Confirma(); // the note is printed as shown, saved or not
    const Dataset datos =
        DatasetAlbaran::Crea(AlbaranActual(), m_datos, QDateTime::currentDateTime());
    if (m_datos.TipoImpresora() == 0) {
        frmLSTAlbaran listado(this);
        connect(&listado, &frmLSTAlbaran::Impreso, this, &frmMain::MarcaImpreso);
        listado.Display(datos);
    } else {
        frmLstTicket tiquet(this);
        connect(&tiquet, &frmLstTicket::Impreso, this, &frmMain::MarcaImpreso);
        tiquet.Display(datos, m_datos.ModeloTicket());
    }
}

void frmMain::MarcaImpreso() {
    // The mark belongs to the note: it is stored with the next save.
    if (!m_impreso)
        Cambia();
    m_impreso = true;
    lblImpreso->setVisible(true);
}

void frmMain::LeerPeso() {
    if (!cmdPesar->isEnabled())
        return;
    m_veltaSC.Comando(VeltaSC::OrdenPesoBruto);
    m_captura.Pedida(QDateTime::currentDateTime());
    gridAlbaran->setFocus();
}

void frmMain::AjustaColumnas() {
    QHeaderView* h = gridAlbaran->horizontalHeader();
    // The time column shows a whole stamp even before the first weighing.
    const int hora = gridAlbaran->fontMetrics().horizontalAdvance(ReglasLinea::HoraPesada(
                         QDateTime(QDate(2000, 12, 28), QTime(20, 58, 58)))) +
                     2 * (gridAlbaran->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 4);
    std::array<AnchosRejilla::Columna, ColumnasAlbaran::Numero> columnas;
    for (int i = 0; i < ColumnasAlbaran::Numero; ++i)
        columnas[i] = {
            !gridAlbaran->isColumnHidden(i), ColumnasAlbaran::Anchos[i] / kTwips,
            h->sectionSizeHint(i),
            std::max(gridAlbaran->AnchoValores(i), i + 1 == LineasAlbaran::HoraPesada ? hora : 0),
            m_aMano[i]};
    const std::array<int, ColumnasAlbaran::Numero> anchos =
        AnchosRejilla::Calcula(columnas, gridAlbaran->viewport()->width());
    m_ajustando = true;
    for (int i = 0; i < ColumnasAlbaran::Numero; ++i)
        if (h->sectionSize(i) != anchos[i] && !gridAlbaran->isColumnHidden(i))
            h->resizeSection(i, anchos[i]);
    m_ajustando = false;
}

void frmMain::ReiniciarColumnas() {
    QHeaderView* h = gridAlbaran->horizontalHeader();
    for (int i = 0; i < ColumnasAlbaran::Numero; ++i)
        h->moveSection(h->visualIndex(i), i);
    m_aMano = {};
    AjustaColumnas();
}

void frmMain::BorraPosiciones() {
    kelRegistry::DeleteAppSetting("\\Pos\\", QString(), true);
    kelRegistry::DeleteAppSetting("\\Info\\", QString(), true);
    m_aMano = {};
    AjustaColumnas();
    move(0, 0);
}

void frmMain::ConfImpresora() {
    if (QPrinterInfo::availablePrinters().isEmpty())
        return kelMensaje::Error(this, Texto(IdTexto::ConfiguracionImpresora),
                                 Texto(IdTexto::NoHayImpresora));
    QPrintDialog dialogo(&m_impresora, this);
    dialogo.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialogo.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialogo.exec();
}

void frmMain::Configuracion() {
    // The port is left free while the window is open, for its scale search.
    if (m_veltaSC.PortOpen())
        (void)m_veltaSC.SetPortOpen(false);
    AbreFichero<frmEDConfiguracion>();
    m_modelo->SetPesoManual(m_datos.PesoManual());
    AplicaIdioma();
    AplicaColumnasVisibles();
    // A change of scale, line or reading mode takes effect at once: the port is opened again
    // with them.
    if (m_basculaEncendida) {
        EnciendeBascula();
        m_lectura.reset();
        AcabaPesada();
    }
}

void frmMain::InfoSistema() {
    frmInfoSistema::Datos info;
    // A server is named without any password its address may carry.
    info.baseDatos = BaseDatos::EsServidor(m_datos.BaseDatos())
                         ? BaseDatos::Descripcion(m_datos.Conexion())
                         : QFileInfo(m_datos.BaseDatos()).absoluteFilePath();
    info.puertosSerie = PuertosSerie::Lista();
    QList<QStringList> colas;
    SalidaTiquet::EnumerarImpresoras(colas);
    for (const QStringList& cola : colas)
        info.colasImpresion << cola.value(0);
    frmInfoSistema::AbreInfoSistema(info, this);
}

template <class Ventana> void frmMain::AbreFichero() {
    Ventana ventana(this);
    ventana.exec();
}

// ---------------------------------------------------------------------------------------------
// Look-ups

void frmMain::BotonColumna(int fila, int columna) {
    QString elegido; // a code chosen in a pick list
    switch (columna) {
    case LineasAlbaran::CodProducto:
        elegido = ConsultaBrowse::ProductosLineas().Lanza(m_modelo->Celda(fila, columna));
        m_modelo->EligeProducto(fila, elegido);
        break;
    case LineasAlbaran::CodTara:
        elegido = ConsultaBrowse::TarasLineas().Lanza(m_modelo->Celda(fila, columna));
        m_modelo->EligeTara(fila, elegido);
        break;
    case LineasAlbaran::PesoBruto:
    case LineasAlbaran::PesoProducto:
        EmpiezaPesada(fila);
        break;
    default:
        return;
    }
    gridAlbaran->setFocus();
    // A code chosen moves on as a code typed does.
    if (!elegido.isEmpty())
        gridAlbaran->Avanza();
}

void frmMain::BuscaCliente() {
    const QString codigo = ConsultaBrowse::Clientes().Lanza(txtCliente[0]->text());
    const std::array<QString, 3> datos = m_catalogo.DatosCliente(codigo);
    const QString nuevos[] = {codigo, datos[0], datos[1], datos[2]};
    bool cambiado = false;
    for (int i = 0; i < 4; ++i) {
        cambiado = cambiado || txtCliente[i]->text() != nuevos[i];
        Pon(txtCliente[i], nuevos[i]);
    }
    if (cambiado)
        Cambia();
    txtCliente[0]->setFocus();
}

void frmMain::AddCliente() {
    if (!txtCliente[0]->text().isEmpty()) {
        const Resultado r = m_catalogo.GuardaCliente(
            txtCliente[0]->text(),
            {txtCliente[1]->text(), txtCliente[2]->text(), txtCliente[3]->text()});
        if (!r)
            Error(IdTexto::Clientes, r.Error());
    }
    txtCliente[0]->setFocus();
}

void frmMain::BuscaOperario() {
    const QString codigo = ConsultaBrowse::Operarios().Lanza(QString());
    if (!codigo.isEmpty()) {
        const QString nombre = m_catalogo.NombreOperario(codigo);
        if (nombre != txtOperario->text())
            Cambia();
        Pon(txtOperario, nombre);
    }
    txtOperario->setFocus();
}

void frmMain::AddOperario() {
    if (!txtOperario->text().isEmpty()) {
        const Resultado r = m_catalogo.AnadeOperario(txtOperario->text());
        if (!r)
            Error(IdTexto::Operarios, r.Error());
    }
    txtOperario->setFocus();
}

void frmMain::Error(int titulo, const QString& texto) {
    kelMensaje::Error(this, Texto(titulo), texto);
}

// ---------------------------------------------------------------------------------------------
// Keys, focus and closing

bool frmMain::eventFilter(QObject* objeto, QEvent* evento) {
    // The room for the columns is the viewport's, which the grid resizes after its own resize
    // and again when a scroll bar comes or goes.
    if (gridAlbaran && (objeto == gridAlbaran || objeto == gridAlbaran->viewport())) {
        if ((objeto == gridAlbaran && evento->type() == QEvent::FontChange) ||
            (objeto != gridAlbaran && evento->type() == QEvent::Resize))
            AjustaColumnas();
        return QMainWindow::eventFilter(objeto, evento);
    }
    const bool esCliente =
        std::find(txtCliente.begin(), txtCliente.end(), objeto) != txtCliente.end();
    switch (evento->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        if (!esCliente && objeto != txtOperario)
            break;
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        const TeclaCabecera accion = AccionTecla(tecla);
        if (accion == TeclaCabecera::Ninguna)
            break;
        // F4 acts as it is let go, Alt + "+" as it is pressed (Alt may be let go first); the
        // keys type nothing into the field.
        const QEvent::Type cuando =
            accion == TeclaCabecera::Busca ? QEvent::KeyRelease : QEvent::KeyPress;
        if (evento->type() == cuando && !tecla->isAutoRepeat()) {
            if (accion == TeclaCabecera::Busca)
                esCliente ? BuscaCliente() : BuscaOperario();
            else
                esCliente ? AddCliente() : AddOperario();
        }
        return true;
    }
    case QEvent::FocusIn: {
        if (objeto == txtNumAlbaran || objeto == txtFechaAlbaran)
            m_claveAlEntrar = {txtNumAlbaran->text(), txtFechaAlbaran->date()};
        if (auto* caja = qobject_cast<QLineEdit*>(objeto))
            QTimer::singleShot(0, caja, &QLineEdit::selectAll); // typing replaces the text
        break;
    }
    case QEvent::FocusOut: {
        const Qt::FocusReason motivo = static_cast<QFocusEvent*>(evento)->reason();
        // Opening a menu, a pick list or the calendar is no leaving of the field.
        const bool deja = motivo != Qt::PopupFocusReason && motivo != Qt::MenuBarFocusReason &&
                          motivo != Qt::ActiveWindowFocusReason;
        if (deja && (objeto == txtNumAlbaran || objeto == txtFechaAlbaran))
            AlDejarClave(m_claveAlEntrar);
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(objeto, evento);
}

void frmMain::closeEvent(QCloseEvent* evento) {
    if (!PuedeDejarAlbaran()) {
        evento->ignore();
        return;
    }
    if (m_basculaEncendida)
        DespachaMenu("Interruptor");
    kelRegistry::SaveFormPosition(this);
    const QHeaderView* h = gridAlbaran->horizontalHeader();
    for (int i = 1; i <= ColumnasAlbaran::Numero; ++i) {
        kelRegistry::SaveFormInfo(this, QString("ColAlbaranWidth%1").arg(i),
                                  QString::number(m_aMano[i - 1] * kTwips));
        kelRegistry::SaveFormInfo(this, QString("ColAlbaranPosition%1").arg(i),
                                  QString::number(h->visualIndex(i - 1) + 1));
    }
    evento->accept();
}
