#include "export/frmlstalbaran.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelfileio.h"
#include "app/kelmensaje.h"
#include "app/kelregistry.h"
#include "export/listadoalbaran.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kZoom = QStringLiteral("vpZoom");
} // namespace

frmLSTAlbaran::frmLSTAlbaran(QWidget* parent)
    : kelVistaPrevia("frmLSTAlbaran", Texto(IdTexto::ListadoAlbaran), parent),
      m_impresora(QPrinter::HighResolution) {
    m_impresora.setDocName(QString::fromLatin1(ListadoAlbaran::NombreDocumento));
    vspListado = new QPrintPreviewWidget(&m_impresora, this);
    vspListado->setObjectName("vspListado");
    connect(vspListado, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* impresora) {
        if (m_listado)
            (void)m_listado->Dibuja(*impresora);
    });

    // The bar: buttons with their keys (Alt and the underlined letter).
    auto* barra = new QHBoxLayout;
    auto boton = [this, barra](const QString& texto, const char* nombre, auto accion) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(nombre);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, accion);
        barra->addWidget(b);
        return b;
    };
    // One page, the page's width, two pages side by side, every page.
    const QStringList vistas = Texto(IdTexto::ModosVista).split('|');
    boton(vistas.value(0), "cmdPagina", [this] {
        vspListado->setViewMode(QPrintPreviewWidget::SinglePageView);
        vspListado->fitInView();
    });
    boton(vistas.value(1), "cmdAnchura", [this] {
        vspListado->setViewMode(QPrintPreviewWidget::SinglePageView);
        vspListado->fitToWidth();
    });
    boton(vistas.value(2), "cmdDosPaginas", [this] {
        vspListado->setViewMode(QPrintPreviewWidget::FacingPagesView);
        vspListado->fitInView();
    });
    boton(vistas.value(3), "cmdIconos",
          [this] { vspListado->setViewMode(QPrintPreviewWidget::AllPagesView); });
    boton(QStringLiteral("-"), "cmdReduce", [this] {
        vspListado->zoomOut();
    })->setShortcut(QKeySequence::ZoomOut);
    boton(QStringLiteral("+"), "cmdAmplia", [this] {
        vspListado->zoomIn();
    })->setShortcut(QKeySequence::ZoomIn);
    barra->addStretch();
    boton(Texto(IdTexto::Imprimir), "cmdImprimir", [this] { Imprime(); });
    boton(Texto(IdTexto::GuardarPdf), "cmdGuardarPdf", [this] { GuardaPdf(); });
    boton(Texto(IdTexto::Salir), "cmdSalir", [this] { reject(); });

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(4, 4, 4, 4);
    raiz->addLayout(barra);
    raiz->addWidget(vspListado, 1);
    resize(820, 900);

    const double zoom = kelRegistry::GetFormInfo(this, kZoom).toDouble();
    if (zoom > 0) {
        vspListado->setZoomMode(QPrintPreviewWidget::CustomZoom);
        vspListado->setZoomFactor(zoom / 100);
    } else {
        vspListado->fitInView();
    }
    kelRegistry::RestoreFormPosition(this);
}

frmLSTAlbaran::~frmLSTAlbaran() = default;

void frmLSTAlbaran::Display(const Dataset& datos) {
    m_listado = std::make_unique<ListadoAlbaran>(
        datos, ListadoAlbaran::Opciones::De(*clsDatosApp::Instancia(),
                                            QCoreApplication::applicationDirPath()));
    vspListado->updatePreview();
    vspListado->setFocus();
    exec();
    m_listado.reset();
}

void frmLSTAlbaran::Imprime() {
    if (!m_listado)
        return;
    // Printing to a file proposes the note's own name; the printer chosen so far stays chosen.
    const QString impresora = m_impresora.printerName();
    const bool nativa = m_impresora.outputFormat() == QPrinter::NativeFormat;
    m_impresora.setOutputFileName(kelFileIO::EnDocumentos(m_listado->NombrePdf()));
    if (nativa)
        m_impresora.setPrinterName(impresora);
    QPrintDialog dialogo(&m_impresora, this);
    dialogo.setObjectName("dlgImprimir");
    if (dialogo.exec() != QDialog::Accepted)
        return;
    // The progress of a long document, which the operator may cancel.
    QProgressDialog progreso(this);
    progreso.setWindowTitle(Texto(IdTexto::Imprimiendo));
    progreso.setCancelButtonText(Texto(IdTexto::CancelarImpresion));
    progreso.setWindowModality(Qt::WindowModal);
    const QString destino = m_impresora.outputFileName().isEmpty()
                                ? QPrinterInfo(m_impresora).location()
                                : m_impresora.outputFileName();
    const QString donde = Texto(IdTexto::EnLaImpresora)
                              .replace(QLatin1String("%s"), QLatin1String("%1"))
                              .arg(m_impresora.printerName(), destino);
    const Resultado r = m_listado->Dibuja(m_impresora, [&](int pagina, int paginas) {
        progreso.setMaximum(paginas);
        progreso.setValue(pagina - 1);
        progreso.setLabelText(Texto(IdTexto::ImprimiendoPagina)
                                  .replace(QLatin1String("%d"), QString::number(pagina)) +
                              " " + QString::number(paginas) + "\n" + donde);
        QCoreApplication::processEvents();
        return !progreso.wasCanceled();
    });
    const bool cancelada = progreso.wasCanceled();
    progreso.reset();
    vspListado->updatePreview();
    Impresion(r, cancelada);
}

void frmLSTAlbaran::GuardaPdf() {
    if (!m_listado)
        return;
    QString ruta = QFileDialog::getSaveFileName(this, Texto(IdTexto::GuardarPdf).remove('&'),
                                                kelFileIO::EnDocumentos(m_listado->NombrePdf()),
                                                Texto(IdTexto::ArchivosPdf));
    if (ruta.isEmpty())
        return;
    if (QFileInfo(ruta).suffix().isEmpty())
        ruta += QLatin1String(".pdf");
    if (const Resultado r = m_listado->GuardaPdf(ruta); !r)
        kelMensaje::Error(this, windowTitle(), Texto(IdTexto::PdfNoGuardado).arg(ruta, r.Error()));
}

void frmLSTAlbaran::AlCerrar() {
    kelRegistry::SaveFormInfo(this, kZoom, QString::number(qRound(vspListado->zoomFactor() * 100)));
}
