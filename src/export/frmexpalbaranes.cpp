#include "export/frmexpalbaranes.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelmensaje.h"
#include "app/kelregistry.h"
#include "app/kelwindow.h"
#include "export/exportaalbaranes.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const clsDatosApp& Ajustes() {
    Q_ASSERT(clsDatosApp::Instancia());
    return *clsDatosApp::Instancia();
}

bool TieneExtension(const QString& ruta) {
    return ExportaAlbaranes::FormatoDeRuta(ruta) != ExportaAlbaranes::Formato::Ninguno;
}
} // namespace

frmExpAlbaranes::frmExpAlbaranes(QWidget* parent) : QDialog(parent) {
    setObjectName("frmExpAlbaranes");
    setModal(true);
    setWindowTitle(Texto(IdTexto::ExportacionAlbaranes));
    const int etiquetas[] = {IdTexto::Destino, IdTexto::Desde, IdTexto::Hasta};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(Texto(etiquetas[i]), this);
        l->setObjectName("lbl" + QString::number(i));
        lbl << l;
    }
    txtDestino = new QLineEdit(this);
    txtDestino->setObjectName("txtDestino");
    txtDestino->installEventFilter(this);
    cmdDestino = new QPushButton("...", this);
    cmdDestino->setObjectName("cmdDestino");
    cmdDestino->setAutoDefault(false);
    const QDate hoy = QDate::currentDate();
    for (const QDate& fecha : {QDate(hoy.year(), hoy.month(), 1), hoy}) {
        auto* f = new QDateEdit(fecha, this);
        f->setObjectName("txtFecha" + QString::number(txtFecha.size()));
        f->setDisplayFormat("dd/MM/yyyy");
        f->setCalendarPopup(true);
        f->installEventFilter(this);
        txtFecha << f;
    }
    const int botones[] = {IdTexto::Aceptar, IdTexto::Salir};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QPushButton(Texto(botones[i]), this);
        b->setObjectName("cmdOpcion" + QString::number(i));
        b->setAutoDefault(false);
        cmdOpcion << b;
    }
    cmdOpcion[0]->setDefault(true); // Enter in the boxes exports
    chkProcedencia = new QCheckBox(Texto(IdTexto::ExportaProcedencia), this);
    chkProcedencia->setObjectName("chkProcedencia");
    prgAvance = new QProgressBar(this);
    prgAvance->setObjectName("prgAvance");
    prgAvance->setRange(0, 1000);
    prgAvance->setTextVisible(false);
    lblAvance = new QLabel(this);
    lblAvance->setObjectName("lblAvance");

    connect(cmdDestino, &QPushButton::clicked, this, &frmExpAlbaranes::EligeDestino);
    connect(txtDestino, &QLineEdit::textEdited, this,
            [this](const QString& texto) { cmdOpcion[0]->setEnabled(!texto.trimmed().isEmpty()); });
    connect(cmdOpcion[0], &QPushButton::clicked, this, &frmExpAlbaranes::Exporta);
    connect(cmdOpcion[1], &QPushButton::clicked, this, [this] {
        if (m_exportando)
            m_cancelar = true;
        else
            close();
    });

    auto* rejilla = new QGridLayout;
    rejilla->addWidget(lbl[0], 0, 0);
    rejilla->addWidget(txtDestino, 0, 1, 1, 3);
    rejilla->addWidget(cmdDestino, 0, 4);
    rejilla->addWidget(lbl[1], 1, 0);
    rejilla->addWidget(txtFecha[0], 1, 1);
    rejilla->addWidget(lbl[2], 1, 2, Qt::AlignRight);
    rejilla->addWidget(txtFecha[1], 1, 3);
    rejilla->addWidget(chkProcedencia, 2, 1, 1, 3);
    rejilla->setColumnStretch(1, 1);
    rejilla->setColumnStretch(3, 1);
    auto* pie = new QHBoxLayout;
    pie->addWidget(lblAvance, 1);
    pie->addWidget(cmdOpcion[0]);
    pie->addWidget(cmdOpcion[1]);
    auto* principal = new QVBoxLayout(this);
    principal->addLayout(rejilla);
    principal->addWidget(prgAvance);
    principal->addStretch(1);
    principal->addLayout(pie);
    resize(560, 195);
    PonExportando(false);
    kelRegistry::RestoreFormPosition(this);
    txtDestino->setFocus();
}

frmExpAlbaranes::~frmExpAlbaranes() = default;

void frmExpAlbaranes::EligeDestino() {
    cmdOpcion[0]->setEnabled(false);
    const QString propuesta = txtDestino->text();
    txtDestino->clear();
    namespace T = IdTexto;
    const QStringList filtros{Texto(T::DocumentoTexto) + " (*.txt)", Texto(T::Xml) + " (*.xml)",
                              Texto(T::ValoresSeparados) + " (*.csv)"};
    QFileDialog dialogo(this, windowTitle(), propuesta);
    dialogo.setObjectName("dlgDestino");
    dialogo.setAcceptMode(QFileDialog::AcceptSave);
    dialogo.setNameFilters(filtros);
    dialogo.setDefaultSuffix("txt");
    // A name typed without extension takes the one of the format chosen.
    connect(&dialogo, &QFileDialog::filterSelected, &dialogo, [&dialogo](const QString& f) {
        dialogo.setDefaultSuffix(f.mid(f.lastIndexOf('.') + 1, 3));
    });
    if (dialogo.exec() == QDialog::Accepted && !dialogo.selectedFiles().isEmpty()) {
        const QString ruta = QDir::toNativeSeparators(dialogo.selectedFiles().first());
        if (TieneExtension(ruta)) {
            txtDestino->setText(ruta);
            cmdOpcion[0]->setEnabled(true);
        }
    }
    activateWindow(); // as after a message
    txtDestino->setFocus();
}

void frmExpAlbaranes::PonExportando(bool exportando) {
    m_exportando = exportando;
    for (QWidget* w : {static_cast<QWidget*>(txtDestino), static_cast<QWidget*>(cmdDestino),
                       static_cast<QWidget*>(txtFecha[0]), static_cast<QWidget*>(txtFecha[1]),
                       static_cast<QWidget*>(cmdOpcion[0]), static_cast<QWidget*>(chkProcedencia)})
        w->setEnabled(!exportando);
    cmdOpcion[1]->setText(Texto(exportando ? IdTexto::Cancelar : IdTexto::Salir));
    prgAvance->setVisible(exportando);
    prgAvance->setValue(0);
    lblAvance->clear();
}

void frmExpAlbaranes::Exporta() {
    const QString ruta = txtDestino->text().trimmed();
    if (m_exportando || ruta.isEmpty())
        return;
    if (txtFecha[0]->date() > txtFecha[1]->date()) {
        const QDate desde = txtFecha[1]->date();
        txtFecha[1]->setDate(txtFecha[0]->date());
        txtFecha[0]->setDate(desde);
    }
    const clsDatosApp& d = Ajustes();
    ExportaAlbaranes exporta(d.Conexion(), d.SeparadorListas(),
                             FormatoValores(d.SeparadorDecimal(), QLocale()));
    exporta.SetProcedencia(chkProcedencia->isChecked());
    exporta.SetAvance([this](qint64 filas, int milesimas) {
        prgAvance->setValue(milesimas);
        lblAvance->setText(Texto(IdTexto::LineasExportadas).arg(QLocale().toString(filas)));
        QCoreApplication::processEvents();
        return !m_cancelar;
    });
    m_cancelar = false;
    cmdOpcion[1]->setFocus();
    PonExportando(true);
    const Resultado r = exporta.Exporta(txtFecha[0]->date(), txtFecha[1]->date(), ruta);
    PonExportando(false);
    if (exporta.Cancelada())
        kelMensaje::Informa(this, windowTitle(), Texto(IdTexto::ExportacionCancelada));
    else if (!r)
        kelMensaje::Error(this, windowTitle(), Texto(IdTexto::NadaEscrito).arg(r.Error()));
    else
        kelMensaje::Informa(this, windowTitle(), Texto(IdTexto::ExportacionAcabada));
    if (m_cerrar)
        return done(QDialog::Rejected);
    // The keyboard comes back to this window when the message closes, also where no window
    // manager gives the activation back: Escape then closes it, Enter exports again.
    activateWindow();
    txtDestino->setFocus();
}

void frmExpAlbaranes::done(int resultado) {
    if (m_exportando) {
        m_cancelar = m_cerrar = true;
        return;
    }
    kelRegistry::SaveFormPosition(this);
    QDialog::done(resultado);
}

bool frmExpAlbaranes::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == txtDestino && kelWindow::EsF4(evento)) {
        EligeDestino();
        return true;
    }
    // A date field left empty holds today.
    auto* fecha = qobject_cast<QDateEdit*>(objeto);
    const bool deja = evento->type() == QEvent::FocusOut ||
                      (evento->type() == QEvent::KeyPress &&
                       (static_cast<QKeyEvent*>(evento)->key() == Qt::Key_Return ||
                        static_cast<QKeyEvent*>(evento)->key() == Qt::Key_Enter));
    if (fecha && deja) {
        const QString texto = fecha->text();
        if (std::none_of(texto.begin(), texto.end(), [](QChar c) { return c.isDigit(); }))
            fecha->setDate(QDate::currentDate());
    }
    return QDialog::eventFilter(objeto, evento);
}
