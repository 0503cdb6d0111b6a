#include "masters/kelbrowse.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelfileio.h"
#include "app/kelmensaje.h"
#include "app/kelregistry.h"
#include "masters/kelbrowsemodel.h"
#include "masters/kelcolumnasbrowse.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr double MargenTwips = 500.0;
}

kelBrowse::kelBrowse(QWidget* parent) : QDialog(parent) {
    setObjectName("kelBrowse");
    setModal(true);
    resize(520, 400);

    m_modelo = new kelBrowseModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName("Grid");
    m_grid->setModel(m_modelo);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    m_grid->setWordWrap(false);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionsClickable(true);
    m_grid->horizontalHeader()->setSortIndicatorShown(true);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->installEventFilter(this);
    // The grid scrolls over the rows held; the list's own bar stands for the whole list.
    m_grid->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_vsbLista = new QScrollBar(Qt::Vertical, this);
    m_vsbLista->setObjectName("vsbLista");
    m_vsbLista->setTracking(false);
    connect(m_vsbLista, &QScrollBar::valueChanged, this, &kelBrowse::IrA);
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &kelBrowse::AlMover);
    connect(m_grid->verticalScrollBar(), &QScrollBar::rangeChanged, this, &kelBrowse::AlMover);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &kelBrowse::AlMover);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &kelBrowse::OrdenaPor);
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid())
            Elige();
    });

    m_cmdOk = new QPushButton(this);
    m_cmdOk->setObjectName("cmdOk");
    m_cmdCancel = new QPushButton(this);
    m_cmdCancel->setObjectName("cmdCancel");
    m_cmdPrint = new QPushButton(this);
    m_cmdPrint->setObjectName("cmdPrint");
    for (QPushButton* b : {m_cmdOk, m_cmdCancel, m_cmdPrint})
        b->setAutoDefault(false);
    connect(m_cmdOk, &QPushButton::clicked, this, &kelBrowse::Elige);
    connect(m_cmdCancel, &QPushButton::clicked, this, &kelBrowse::reject);
    connect(m_cmdPrint, &QPushButton::clicked, this, &kelBrowse::Imprime);

    m_barra = new QMenuBar(this);
    m_barra->setObjectName("mnuBarra");
    m_mnuColumnas = m_barra->addMenu(QString());
    m_mnuColumnas->setObjectName("mnuColumnas");
    m_mnuColumnasRecuperar = m_mnuColumnas->addMenu(QString());
    m_mnuColumnasRecuperar->setObjectName("mnuColumnasRecuperar");
    m_mnuColumnasRecuperarInicial = m_mnuColumnasRecuperar->addAction(QString());
    m_mnuColumnasRecuperarInicial->setObjectName("mnuColumnasRecuperarInicial");
    connect(m_mnuColumnasRecuperarInicial, &QAction::triggered, this,
            [this] { AplicaLista(m_listaInicial); });
    m_mnuColumnasRecuperarSep = m_mnuColumnasRecuperar->addSeparator();
    m_mnuColumnasRecuperarSep->setObjectName("mnuColumnasRecuperarSep");
    m_mnuColumnasGuardar = m_mnuColumnas->addAction(QString());
    m_mnuColumnasGuardar->setObjectName("mnuColumnasGuardar");
    connect(m_mnuColumnasGuardar, &QAction::triggered, this, &kelBrowse::GuardaConjunto);

    auto* botones = new QHBoxLayout;
    botones->addWidget(m_cmdPrint);
    botones->addStretch(1);
    botones->addWidget(m_cmdOk);
    botones->addWidget(m_cmdCancel);
    auto* principal = new QVBoxLayout(this);
    principal->setMenuBar(m_barra);
    auto* lista = new QHBoxLayout;
    lista->setSpacing(0);
    lista->addWidget(m_grid, 1);
    lista->addWidget(m_vsbLista);
    principal->addLayout(lista, 1);
    principal->addLayout(botones);

    // Loading: texts, stored position, stored width sets.
    m_cmdOk->setText(Texto(IdTexto::Aceptar));
    m_cmdCancel->setText(Texto(IdTexto::Cancelar));
    m_cmdPrint->setText(Texto(IdTexto::Imprimir));
    m_mnuColumnas->setTitle(Texto(IdTexto::Columnas));
    m_mnuColumnasRecuperar->setTitle(Texto(IdTexto::MenuConfiguraciones));
    m_mnuColumnasRecuperarInicial->setText(Texto(IdTexto::Inicial));
    m_mnuColumnasGuardar->setText(Texto(IdTexto::GuardarConfiguracion));
    kelRegistry::RestoreFormPosition(this);
    CargaConjuntos();
}

kelBrowse::~kelBrowse() = default;

void kelBrowse::CargaConjuntos() {
    for (QAction* a : std::as_const(m_mnuColumnasRecuperarNombre))
        delete a;
    m_mnuColumnasRecuperarNombre.clear();
    const auto conjuntos = kelColumnasBrowse::Conjuntos();
    for (qsizetype k = 0; k < conjuntos.size(); ++k) {
        const QString nombre = conjuntos.at(k).first;
        QString titulo = nombre;
        titulo.replace('&', "&&");
        QAction* a = m_mnuColumnasRecuperar->addAction(titulo);
        a->setObjectName("mnuColumnasRecuperarNombre" + QString::number(k));
        a->setData(conjuntos.at(k).second);
        a->setProperty("nombre", nombre);
        connect(a, &QAction::triggered, this, [this, nombre] { AplicaConjunto(nombre); });
        m_mnuColumnasRecuperarNombre.append(a);
    }
    if (m_mnuColumnasRecuperarNombre.isEmpty()) {
        // Item 0 stays as the list's title while no set is stored.
        QAction* a = m_mnuColumnasRecuperar->addAction(Texto(IdTexto::Configuraciones));
        a->setObjectName("mnuColumnasRecuperarNombre0");
        a->setEnabled(false);
        m_mnuColumnasRecuperarNombre.append(a);
    }
}

void kelBrowse::SelectRecord(const QString& defecto, const QString& consulta,
                             const QStringList& clave) {
    m_consulta = consulta;
    m_clave = clave;
    m_modelo->Cierra();
    Carga();
    int fila = -1;
    if (!defecto.isEmpty())
        fila = m_modelo->BuscaFila(defecto);
    Muestra(fila < 0 && m_modelo->rowCount() > 0 ? 0 : fila);
    m_grid->setFocus();
    if (!isVisible())
        exec();
}

void kelBrowse::Carga() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const clsDatosApp* datos = clsDatosApp::Instancia();
    m_modelo->SetSeparadorDecimal(datos ? datos->SeparadorDecimal() : QStringLiteral("."));
    const Resultado abierta =
        m_modelo->Abre(datos ? datos->Conexion() : QSqlDatabase(), m_consulta, m_clave);
    SortGrid();
    if (!m_gridHeader.isEmpty())
        m_modelo->SetTitulos(m_gridHeader.split('\t'));
    // Initial widths: the wider of the title and of the column's size in letters "A".
    const QFontMetrics fuente(m_grid->font());
    const bool vacio = m_modelo->rowCount() == 0;
    QList<int> anchos;
    for (int i = 0; i < m_modelo->columnCount(); ++i) {
        int n = m_modelo->TamanoDefinido(i);
        if (n < 0) // computed or long text: measured by the current record
            n = vacio ? 0 : int(m_modelo->Texto(0, i).size());
        anchos << kelColumnasBrowse::AnchoInicial(fuente, m_modelo->Titulo(i), n);
    }
    m_listaInicial = kelColumnasBrowse::Lista(anchos);
    m_mnuColumnasRecuperarInicial->setData(m_listaInicial);
    m_tagColumnas.clear();
    // The set named as the caption, if any, goes over the initial widths: columns it does not
    // cover keep their initial width.
    AplicaLista(m_listaInicial);
    AplicaConjunto(windowTitle());
    QApplication::restoreOverrideCursor();
    if (!abierta)
        kelMensaje::Aviso(this, windowTitle(), abierta.Error());
}

void kelBrowse::SortGrid() {
    m_grid->horizontalHeader()->setSortIndicator(m_modelo->ColumnaOrden(), m_modelo->Orden());
}

void kelBrowse::OrdenaPor(int columna) {
    Qt::SortOrder orden = Qt::AscendingOrder;
    if (columna == m_modelo->ColumnaOrden() && m_modelo->Orden() == Qt::AscendingOrder)
        orden = Qt::DescendingOrder;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_modelo->sort(columna, orden);
    QApplication::restoreOverrideCursor();
    SortGrid();
    Muestra(m_modelo->rowCount() > 0 ? 0 : -1);
}

// Makes row `fila` of those held current and visible (none when negative).
void kelBrowse::Muestra(int fila) {
    if (fila >= 0) {
        const QModelIndex i = m_modelo->index(fila, 0);
        m_grid->setCurrentIndex(i);
        m_grid->scrollTo(i, QAbstractItemView::EnsureVisible);
    }
    AlMover();
}

// After any move of the grid: rows are read or dropped around what it shows, and the list's
// bar follows.
void kelBrowse::AlMover() {
    if (m_moviendo)
        return;
    m_moviendo = true;
    QScrollBar* barra = m_grid->verticalScrollBar();
    const int primera = barra->value();
    const int visibles =
        std::max(1, m_grid->viewport()->height() /
                        std::max(1, m_grid->verticalHeader()->defaultSectionSize()));
    const int actual = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : primera;
    const int delta =
        m_modelo->Asegura(std::min(primera, actual), std::max(primera + visibles, actual));
    if (delta != 0)
        barra->setValue(primera + delta);
    m_moviendo = false;
    ActualizaBarra();
}

void kelBrowse::ActualizaBarra() {
    const QSignalBlocker quieta(m_vsbLista);
    const int visibles =
        std::max(1, m_grid->viewport()->height() /
                        std::max(1, m_grid->verticalHeader()->defaultSectionSize()));
    const qint64 total = m_modelo->Total();
    m_vsbLista->setRange(0, int(std::clamp<qint64>(total - visibles, 0, INT_MAX)));
    m_vsbLista->setPageStep(visibles);
    m_vsbLista->setValue(int(m_modelo->Inicio() + m_grid->verticalScrollBar()->value()));
}

// The list's bar moved by the operator: to a place among the rows held, or read from there.
void kelBrowse::IrA(int lugar) {
    QScrollBar* barra = m_grid->verticalScrollBar();
    const qint64 inicio = m_modelo->Inicio();
    if (lugar < inicio || lugar > inicio + barra->maximum()) {
        m_moviendo = true;
        m_modelo->Salta(lugar);
        m_moviendo = false;
    }
    const int fila = int(
        std::clamp<qint64>(lugar - m_modelo->Inicio(), 0, std::max(0, m_modelo->rowCount() - 1)));
    barra->setValue(fila);
    if (m_modelo->rowCount() > 0 &&
        !m_grid->viewport()->rect().contains(m_grid->visualRect(m_grid->currentIndex()).center()))
        m_grid->setCurrentIndex(m_modelo->index(barra->value(), 0));
    AlMover();
}

QString kelBrowse::ListaInicial() const {
    return m_listaInicial;
}

QString kelBrowse::ListaActual() const {
    QList<int> anchos;
    for (int i = 0; i < m_modelo->columnCount(); ++i)
        anchos << kelColumnasBrowse::Twips(m_grid->columnWidth(i));
    return kelColumnasBrowse::Lista(anchos);
}

void kelBrowse::AplicaLista(const QString& lista) {
    const QList<int> anchos = kelColumnasBrowse::Anchos(lista, m_modelo->columnCount());
    for (qsizetype i = 0; i < anchos.size(); ++i)
        m_grid->setColumnWidth(int(i), std::max(0, kelColumnasBrowse::Pixeles(anchos.at(i))));
}

void kelBrowse::AplicaConjunto(const QString& nombre) {
    for (QAction* a : std::as_const(m_mnuColumnasRecuperarNombre)) {
        if (a->property("nombre").toString() == nombre) {
            m_tagColumnas = nombre;
            AplicaLista(a->data().toString());
            return;
        }
    }
}

void kelBrowse::GuardaConjunto() {
    QInputDialog pregunta(this);
    pregunta.setWindowTitle(Texto(IdTexto::ConfiguracionColumnas));
    pregunta.setLabelText(Texto(IdTexto::NombreConfiguracion));
    pregunta.setTextValue(m_tagColumnas.isEmpty() ? windowTitle() : m_tagColumnas);
    pregunta.setOkButtonText(Texto(IdTexto::Aceptar));
    pregunta.setCancelButtonText(Texto(IdTexto::Cancelar));
    if (pregunta.exec() != QDialog::Accepted)
        return;
    if (kelColumnasBrowse::GuardaConjunto(pregunta.textValue(), ListaActual()))
        CargaConjuntos();
}

void kelBrowse::Elige() {
    const QModelIndex actual = m_grid->currentIndex();
    if (actual.isValid()) {
        m_cancelled = false;
        m_selectedValue = m_modelo->Texto(actual.row(), 0);
        accept();
    } else {
        reject();
    }
}

void kelBrowse::reject() {
    m_cancelled = true;
    QDialog::reject();
}

void kelBrowse::done(int resultado) {
    kelRegistry::SaveFormPosition(this);
    QDialog::done(resultado);
}

bool kelBrowse::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == m_grid && evento->type() == QEvent::KeyPress) {
        const auto* tecla = static_cast<QKeyEvent*>(evento);
        if (tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter) {
            Elige();
            return true; // the grid never sees it
        }
        const bool control = tecla->modifiers() & Qt::ControlModifier;
        if (control && (tecla->key() == Qt::Key_Home || tecla->key() == Qt::Key_End)) {
            m_moviendo = true;
            if (tecla->key() == Qt::Key_Home)
                m_modelo->AlPrincipio();
            else
                m_modelo->AlFinal();
            m_moviendo = false;
            Muestra(tecla->key() == Qt::Key_Home ? 0 : m_modelo->rowCount() - 1);
            return true;
        }
        // Typing goes to the first row whose sort column starts with what was typed.
        const QString texto = tecla->text();
        if (!texto.isEmpty() && texto.at(0).isPrint() && !control &&
            !(tecla->modifiers() & Qt::AltModifier)) {
            const qint64 ahora = QDateTime::currentMSecsSinceEpoch();
            if (ahora - m_tecleo > QApplication::keyboardInputInterval())
                m_buscado.clear();
            m_tecleo = ahora;
            m_buscado += texto;
            m_moviendo = true;
            const int fila = m_modelo->BuscaPrefijo(m_buscado);
            m_moviendo = false;
            if (fila >= 0) {
                Muestra(fila);
                m_grid->scrollTo(m_modelo->index(fila, 0), QAbstractItemView::PositionAtTop);
            } else {
                QApplication::beep();
            }
            return true;
        }
    }
    return QDialog::eventFilter(objeto, evento);
}

QString kelBrowse::NombreDocumento() const {
    return windowTitle() + " - " + QDateTime::currentDateTime().toString("dd/MM/yyyy hh.mm");
}

QString kelBrowse::ArchivoPdf(const QString& documento) {
    return kelFileIO::EnDocumentos(documento + QStringLiteral(".pdf"));
}

void kelBrowse::Imprime() {
    m_impresora.setDocName(NombreDocumento());
    // Printing to a file proposes the document's name, which holds "/" and ":" that no file
    // name can; the printer chosen so far stays chosen.
    const QString impresora = m_impresora.printerName();
    const bool nativa = m_impresora.outputFormat() == QPrinter::NativeFormat;
    m_impresora.setOutputFileName(ArchivoPdf(m_impresora.docName()));
    if (nativa)
        m_impresora.setPrinterName(impresora);
    QPrintDialog dialogo(&m_impresora, this);
    dialogo.setObjectName("dlgImprimir");
    if (dialogo.exec() == QDialog::Accepted)
        ImprimeGrid(m_impresora);
    m_grid->setFocus();
}

int kelBrowse::ImprimeGrid(QPrinter& impresora) {
    const double mm = MargenTwips / 1440.0 * 25.4;
    impresora.setPageMargins(QMarginsF(mm, mm, mm, mm), QPageLayout::Millimeter);
    if (impresora.docName().isEmpty())
        impresora.setDocName(NombreDocumento());

    QPainter p;
    int pagina = 1;
    m_cmdPrint->setText("P. " + QString::number(pagina));
    if (!p.begin(&impresora))
        return 0;
    const QRect area = p.viewport();
    const double escala = double(impresora.resolution()) / 1440.0; // device pixels per twip
    QFont fuente = m_grid->font();
    p.setFont(fuente);
    const QFontMetrics fm(fuente, &impresora);
    const int alto = fm.height() + int(60 * escala);
    const int columnas = m_modelo->columnCount();
    const int porPagina = std::max(1, area.height() / alto - 1);
    QList<int> anchos;
    for (int c = 0; c < columnas; ++c)
        anchos << int(kelColumnasBrowse::Twips(m_grid->columnWidth(c)) * escala);

    // A row of cells: `r`, or the header in bold when there is none.
    auto fila = [&](int y, const kelBrowseModel::Fila* r) {
        const bool cabecera = !r;
        QFont f = fuente;
        f.setBold(cabecera);
        p.setFont(f);
        int x = 0;
        for (int c = 0; c < columnas && x < area.width(); ++c) {
            if (anchos.at(c) <= 0)
                continue;
            const QRect celda(x, y, std::min(anchos.at(c), area.width() - x), alto);
            p.drawRect(celda);
            p.drawText(celda.adjusted(int(45 * escala), 0, -int(45 * escala), 0),
                       cabecera ? Qt::AlignVCenter | Qt::AlignLeft
                                : kelBrowseModel::AlineacionDe(*r, c),
                       cabecera ? m_modelo->Titulo(c) : m_modelo->TextoDe(*r, c));
            x += anchos.at(c);
        }
    };
    // A page of rows read at a time: a list of any length prints in the same memory.
    QProgressDialog progreso(this);
    progreso.setObjectName("dlgProgreso");
    progreso.setWindowTitle(Texto(IdTexto::Imprimiendo));
    progreso.setCancelButtonText(Texto(IdTexto::CancelarImpresion));
    progreso.setWindowModality(Qt::WindowModal);
    const qint64 paginas = std::max<qint64>(1, (m_modelo->Total() + porPagina - 1) / porPagina);
    progreso.setRange(0, int(std::min<qint64>(paginas, INT_MAX)));
    pagina = 0;
    const bool entera = m_modelo->Recorre(porPagina, [&](const auto& filas) {
        if (pagina > 0)
            impresora.newPage();
        ++pagina;
        m_cmdPrint->setText("P. " + QString::number(pagina));
        progreso.setValue(int(std::min<qint64>(pagina - 1, progreso.maximum())));
        progreso.setLabelText(Texto(IdTexto::ImprimiendoPagina)
                                  .replace(QLatin1String("%d"), QString::number(pagina)) +
                              " " + QString::number(std::max<qint64>(paginas, pagina)));
        QCoreApplication::processEvents();
        if (progreso.wasCanceled())
            return false;
        fila(0, nullptr);
        int y = alto;
        for (const kelBrowseModel::Fila& f : filas) {
            fila(y, &f);
            y += alto;
        }
        return true;
    });
    if (pagina == 0) {
        fila(0, nullptr); // the header of an empty list
        pagina = 1;
    }
    if (!entera && progreso.wasCanceled()) {
        impresora.abort();
        p.end();
        return pagina - 1;
    }
    p.end();
    return pagina;
}
