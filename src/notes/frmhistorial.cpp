#include "notes/frmhistorial.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "notedata/almacenalbaranes.h"
#include "notes/historialalbaran.h"

#include <QApplication>
#include <QInputDialog>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

frmHistorial::frmHistorial(const QString& titulo, const std::vector<QStringList>& filas,
                           QWidget* parent)
    : QDialog(parent) {
    setObjectName("frmHistorial");
    setWindowTitle(titulo);
    const QStringList titulos = HistorialAlbaran::Titulos();
    grdVersiones = new QTableWidget(int(filas.size()), int(titulos.size()), this);
    grdVersiones->setObjectName("grdVersiones");
    grdVersiones->setHorizontalHeaderLabels(titulos);
    grdVersiones->verticalHeader()->hide();
    grdVersiones->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdVersiones->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdVersiones->setWordWrap(true);
    for (int r = 0; r < int(filas.size()); ++r)
        for (int c = 0; c < int(titulos.size()) && c < filas[size_t(r)].size(); ++c) {
            auto* celda = new QTableWidgetItem(filas[size_t(r)].at(c));
            if (c >= HistorialAlbaran::Lineas && c <= HistorialAlbaran::Importe)
                celda->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdVersiones->setItem(r, c, celda);
        }
    grdVersiones->resizeColumnsToContents();
    grdVersiones->horizontalHeader()->setStretchLastSection(true);
    grdVersiones->resizeRowsToContents();
    grdVersiones->setCurrentCell(int(filas.size()) - 1, 0);

    cmdAceptar = new QPushButton(Texto(IdTexto::Aceptar), this);
    cmdAceptar->setObjectName("cmdAceptar");
    cmdAceptar->setDefault(true);
    connect(cmdAceptar, &QPushButton::clicked, this, &QDialog::accept);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(cmdAceptar);
    auto* principal = new QVBoxLayout(this);
    principal->addWidget(grdVersiones);
    principal->addLayout(botones);
    resize(980, 320);
    kelRegistry::RestoreFormPosition(this);
    grdVersiones->setFocus();
}

void frmHistorial::done(int resultado) {
    kelRegistry::SaveFormPosition(this);
    QDialog::done(resultado);
}

Resultado frmHistorial::Muestra(const AlmacenAlbaranes& almacen, const QString& numero,
                                const QDate& fecha, QWidget* parent) {
    std::optional<Albaran> guardado;
    std::vector<VersionAlbaran> versiones;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Resultado r = almacen.Carga(numero, fecha, guardado);
    if (r && guardado)
        r = almacen.Versiones(numero, fecha, versiones);
    QApplication::restoreOverrideCursor();
    if (r && !guardado)
        r = Resultado::Fallo(
            Texto(IdTexto::AlbaranNoGuardado).arg(numero, fecha.toString("dd/MM/yyyy")));
    if (!r)
        return r;
    frmHistorial ventana(
        Texto(IdTexto::Historial).remove('&') + " - " + numero + " " + fecha.toString("dd/MM/yyyy"),
        HistorialAlbaran::Filas(versiones, *guardado, almacen.SeparadorDecimal()), parent);
    ventana.exec();
    return {};
}

bool frmHistorial::PideMotivo(bool anular, QString& motivo, QWidget* parent) {
    bool aceptado = false;
    motivo = QInputDialog::getText(
        parent, Texto(anular ? IdTexto::Anular : IdTexto::DeshacerAnulacion).remove('&'),
        Texto(anular ? IdTexto::MotivoAnulacion : IdTexto::MotivoDeshacer)
            .arg(AlmacenAlbaranes::LongitudMinimaMotivo),
        QLineEdit::Normal, QString(), &aceptado);
    return aceptado;
}
