#include "notes/frmmain.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
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
#include "notedata/columnasalbaran.h"
#include "notedata/totalesalbaran.h"
#include "notes/barrabascula.h"
#include "notes/botonesalbaran.h"
#include "notes/cabeceraalbaran.h"
#include "notes/columnasrejilla.h"
#include "notes/datasetalbaran.h"
#include "notes/frmhistorial.h"
#include "notes/modelolineasalbaran.h"
#include "notes/rejillalineas.h"
#include "ticket/frmedconfiguracion.h"
#include "ticket/frmlstticket.h"
#include "ticket/puertosserie.h"
#include "ticket/salidatiquet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QTimer>
#include <QVBoxLayout>
#include <array>

namespace {
constexpr int kTwips = kelRegistry::TwipsPorPixel;
const clsDatosApp& Ajustes() {
    Q_ASSERT(clsDatosApp::Instancia());
    return *clsDatosApp::Instancia();
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
      m_almacen(m_datos.Conexion(), m_datos.SeparadorDecimal(), m_datos.Puesto()) {
    setObjectName("frmMain");
    kelTeclaAlt::Instala(); // for this window's fields and those of every window it opens
    setWindowTitle(m_datos.Caption());
    CreaControles();
    CreaMenus();
    RegistraAcciones();
    resize(1000, 660);

    m_columnas->Coloca();
    Vacia();
    cajaCabecera->PonFecha(QDate::currentDate());
    kelRegistry::RestoreFormPosition(this);
    AplicaIdioma();
    AplicaColumnasVisibles();
    PonInterruptor(false);
    cajaCabecera->Enfoca(CabeceraAlbaran::Campo::Numero);
}

frmMain::~frmMain() = default;

// ---------------------------------------------------------------------------------------------
// Controls

void frmMain::CreaControles() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    // Below 10485 x 7140 twips the window's content stops shrinking.
    central->setMinimumSize(10485 / kTwips - 8, 7140 / kTwips - 60);
    auto* raiz = new QVBoxLayout(central);
    m_barra = new BarraBascula(this);
    connect(m_barra, &BarraBascula::Interruptor, this, [this] { DespachaMenu("Interruptor"); });
    connect(m_barra, &BarraBascula::Pesar, this, [this] { DespachaMenu("LeerPeso"); });
    raiz->addWidget(m_barra);

    fraAlbaran = new QGroupBox(this);
    fraAlbaran->setObjectName("fraAlbaran");
    raiz->addWidget(fraAlbaran, 1);
    auto* marco = new QVBoxLayout(fraAlbaran);
    cajaCabecera = new CabeceraAlbaran(this);
    connect(cajaCabecera, &CabeceraAlbaran::Editada, this, &frmMain::Cambia);
    connect(cajaCabecera, &CabeceraAlbaran::BuscaOperario, this, &frmMain::BuscaOperario);
    connect(cajaCabecera, &CabeceraAlbaran::AddOperario, this, &frmMain::AddOperario);
    connect(cajaCabecera, &CabeceraAlbaran::BuscaCliente, this, &frmMain::BuscaCliente);
    connect(cajaCabecera, &CabeceraAlbaran::AddCliente, this, &frmMain::AddCliente);
    connect(cajaCabecera, &CabeceraAlbaran::ClaveDejada, this,
            [this](const QString& numero, const QDate& fecha) {
                AlDejarClave({numero, fecha});
            });
    m_botones = new BotonesAlbaran(this);
    connect(m_botones, &BotonesAlbaran::Orden, this, &frmMain::DespachaMenu);
    auto* arriba = new QHBoxLayout;
    arriba->addWidget(cajaCabecera, 1);
    arriba->addStretch();
    arriba->addWidget(m_botones);
    marco->addLayout(arriba);
    CreaRejilla(marco);
    setTabOrder(cajaCabecera->UltimoCampo(), gridAlbaran);
    ConectaBascula();
}

void frmMain::CreaRejilla(QBoxLayout* marco) {
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
    m_columnas = new ColumnasRejilla(gridAlbaran, this);
    // Told once the edit that was refused has ended.
    connect(m_modelo, &ModeloLineasAlbaran::Rechazada, this, [this](const QString& texto) {
        QTimer::singleShot(
            0, this, [this, texto] { kelMensaje::Aviso(this, Texto(IdTexto::Pesada), texto); });
    });
}

void frmMain::ConectaBascula() {
    connect(&m_veltaSC, &VeltaSC::LecturaRecibida, this, &frmMain::AlLeer);
    // A taking that waits decides again at every reading, and at these ticks for its end; a
    // scale that answers requests is asked again at each.
    m_esperaPesada.setInterval(VeltaSC::IntervaloSondeo);
    connect(&m_esperaPesada, &QTimer::timeout, this, [this] {
        if (!m_datos.PesoContinuo())
            m_veltaSC.PideLectura();
        SiguePesada();
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
    albaran->addSeparator();
    Entrada(albaran, "mnuAlbaranHistorial", T::Historial, "Historial");
    Entrada(albaran, "mnuAlbaranAnular", T::Anular, "AnularAlbaran");
    Entrada(albaran, "mnuAlbaranDeshacerAnulacion", T::DeshacerAnulacion, "DeshacerAnulacion");

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
    d.Registra("Historial", [this] { Historial(); });
    d.Registra("AnularAlbaran", [this] { Anula(true); });
    d.Registra("DeshacerAnulacion", [this] { Anula(false); });
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
    for (const auto& [accion, texto] : m_textosMenu)
        accion->setText(Texto(texto));
    m_modelo->SetUnidad(m_datos.UnidadMedida());
    MuestraTotales();
    fraAlbaran->setTitle(Texto(IdTexto::Albaran));
    cajaCabecera->AplicaIdioma(cmnLanguaje::Locale(m_datos.Idioma()));
    m_botones->AplicaIdioma();
    const bool continuo = m_datos.PesoContinuo();
    m_barra->AplicaIdioma(continuo);
    MuestraLectura(); // in the new language and width
    mnuBasculaLeerPesada->setVisible(!continuo);
    m_columnas->Ajusta();
}

void frmMain::AplicaColumnasVisibles() {
    std::array<bool, ColumnasAlbaran::Numero> visibles;
    for (int i = 1; i <= ColumnasAlbaran::Numero; ++i)
        visibles[i - 1] = m_datos.ColPantalla(i);
    m_columnas->Muestra(visibles);
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
    cajaCabecera->PonNumero(
        m_datos.NumeracionAutomatica()
            ? kelNumerics::SiguienteNumero(cajaCabecera->Numero(), CabeceraAlbaran::LongitudNumero)
            : QString());
    MuestraMarcas({}); // not printed, not void, no versions
    m_ultimaModificacion = QDateTime::currentDateTime();
    m_modificado = false;
    m_clave = {};
}

Albaran frmMain::AlbaranActual() const {
    Albaran a;
    cajaCabecera->Rellena(a);
    a.FechaModificacion = m_ultimaModificacion;
    a.Impreso = m_impreso;
    a.Anulado = m_anulado;
    a.Motivo = m_motivo;
    a.Lineas = m_modelo->Lineas();
    return a;
}

void frmMain::Muestra(const Albaran& a) {
    cajaCabecera->Muestra(a);
    m_ultimaModificacion = a.FechaModificacion;
    m_modelo->SetLineas(a.Lineas);
    MuestraMarcas(a);
    m_modificado = false;
    m_clave = {a.NumAlbaran, a.Fecha};
}

void frmMain::MuestraMarcas(const Albaran& a) {
    m_impreso = a.Impreso;
    m_impresoComo = a.Impreso ? std::optional(a.Contenido()) : std::nullopt;
    m_anulado = a.Anulado;
    m_motivo = a.Motivo;
    m_botones->MarcaImpreso(a.Impreso);
    m_botones->MarcaAnulado(a.Anulado, a.Motivo);
    cajaCabecera->PonVersiones(a.Versiones);
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
        cajaCabecera->Enfoca(CabeceraAlbaran::Campo::Numero);
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
    int versiones = 0; // the save may have kept the note it replaced
    if (m_almacen.NumeroVersiones(a.NumAlbaran, a.Fecha, versiones))
        cajaCabecera->PonVersiones(versiones);
    return true;
}

void frmMain::AlDejarClave(const Clave& antes) {
    const Clave nueva{cajaCabecera->Numero(), cajaCabecera->Fecha()};
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
    cajaCabecera->PonNumero(antes.numero);
    cajaCabecera->PonFecha(antes.fecha);
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
    m_barra->PonInterruptor(encendida);
    mnuBasculaLeerPesada->setEnabled(encendida);
}

void frmMain::Interruptor() {
    if (m_basculaEncendida) {
        // Nothing asks for a reading while the port closes.
        m_barra->PermitePesar(false);
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
    m_barra->MuestraLectura(texto);
}

void frmMain::Imprimir() {
    gridAlbaran->Confirma(); // the note is printed as shown, saved or not
    const Albaran a = AlbaranActual();
    const bool copia = m_impresoComo && *m_impresoComo == a.Contenido();
    const Dataset datos = DatasetAlbaran::Crea(a, m_datos, QDateTime::currentDateTime(), copia);
    const auto impreso = [this, &a, copia] { MarcaImpreso(a, copia); };
    if (m_datos.TipoImpresora() == 0) {
        frmLSTAlbaran listado(this);
        connect(&listado, &frmLSTAlbaran::Impreso, this, impreso);
        listado.Display(datos);
    } else {
        frmLstTicket tiquet(this);
        connect(&tiquet, &frmLstTicket::Impreso, this, impreso);
        tiquet.Display(datos, m_datos.ModeloTicket());
    }
}

void frmMain::MarcaImpreso(const Albaran& impreso, bool copia) {
    // The mark belongs to the note: it is stored with the next save. A copy of what is stored
    // is counted at once.
    if (!m_impreso)
        Cambia();
    m_impreso = true;
    m_impresoComo = impreso.Contenido();
    m_botones->MarcaImpreso(true);
    bool contada = false;
    if (copia && m_clave == Clave{impreso.NumAlbaran, impreso.Fecha})
        if (const Resultado r =
                m_almacen.RegistraCopia(impreso, QDateTime::currentDateTime(), contada);
            !r)
            Error(IdTexto::Imprimir, r.Error());
}

void frmMain::Historial() {
    gridAlbaran->Confirma();
    if (const Resultado r =
            frmHistorial::Muestra(m_almacen, cajaCabecera->Numero(), cajaCabecera->Fecha(), this);
        !r)
        Error(IdTexto::Historial, r.Error());
}

void frmMain::Anula(bool anular) {
    gridAlbaran->Confirma();
    const int titulo = anular ? IdTexto::Anular : IdTexto::DeshacerAnulacion;
    if (m_modificado || m_clave != Clave{cajaCabecera->Numero(), cajaCabecera->Fecha()})
        return Error(titulo, Texto(IdTexto::GuardeAntes));
    QString motivo;
    if (!frmHistorial::PideMotivo(anular, motivo, this))
        return;
    const Resultado r = Ocupado([&] {
        return m_almacen.Anula(m_clave.numero, m_clave.fecha, anular, motivo,
                               cajaCabecera->Operario(), QDateTime::currentDateTime());
    });
    if (!r)
        return Error(titulo, r.Error());
    Carga(m_clave.numero, m_clave.fecha);
}

void frmMain::LeerPeso() {
    if (!m_barra->PesarPermitido())
        return;
    m_veltaSC.Comando(VeltaSC::OrdenPesoBruto);
    m_captura.Pedida(QDateTime::currentDateTime());
    gridAlbaran->setFocus();
}

void frmMain::ReiniciarColumnas() {
    m_columnas->Reinicia();
}

void frmMain::BorraPosiciones() {
    kelRegistry::DeleteAppSetting("\\Pos\\", QString(), true);
    kelRegistry::DeleteAppSetting("\\Info\\", QString(), true);
    m_columnas->OlvidaAnchos();
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
    const QString codigo = ConsultaBrowse::Clientes().Lanza(cajaCabecera->Cliente()[0]);
    const std::array<QString, 3> datos = m_catalogo.DatosCliente(codigo);
    if (cajaCabecera->PonCliente({codigo, datos[0], datos[1], datos[2]}))
        Cambia();
    cajaCabecera->Enfoca(CabeceraAlbaran::Campo::Cliente);
}

void frmMain::AddCliente() {
    if (const std::array<QString, 4> c = cajaCabecera->Cliente(); !c[0].isEmpty())
        if (const Resultado r = m_catalogo.GuardaCliente(c[0], {c[1], c[2], c[3]}); !r)
            Error(IdTexto::Clientes, r.Error());
    cajaCabecera->Enfoca(CabeceraAlbaran::Campo::Cliente);
}

void frmMain::BuscaOperario() {
    const QString codigo = ConsultaBrowse::Operarios().Lanza(QString());
    if (!codigo.isEmpty() && cajaCabecera->PonOperario(m_catalogo.NombreOperario(codigo)))
        Cambia();
    cajaCabecera->Enfoca(CabeceraAlbaran::Campo::Operario);
}

void frmMain::AddOperario() {
    if (const QString nombre = cajaCabecera->Operario(); !nombre.isEmpty())
        if (const Resultado r = m_catalogo.AnadeOperario(nombre); !r)
            Error(IdTexto::Operarios, r.Error());
    cajaCabecera->Enfoca(CabeceraAlbaran::Campo::Operario);
}

void frmMain::Error(int titulo, const QString& texto) {
    kelMensaje::Error(this, Texto(titulo), texto);
}

// ---------------------------------------------------------------------------------------------
// Closing

void frmMain::closeEvent(QCloseEvent* evento) {
    if (!PuedeDejarAlbaran()) {
        evento->ignore();
        return;
    }
    if (m_basculaEncendida)
        DespachaMenu("Interruptor");
    kelRegistry::SaveFormPosition(this);
    m_columnas->Guarda();
    evento->accept();
}
