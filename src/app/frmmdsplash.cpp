#include "app/frmmdsplash.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "app/kelversion.h"
#include "app/kelwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSysInfo>
#include <QVBoxLayout>

QPointer<frmMDSplash> frmMDSplash::s_mostrada;

namespace {
// The program's mark: a weighing platform with its display.
QPixmap Logo() {
    QPixmap p(96, 96);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(30, 60, 110), 3));
    g.setBrush(QColor(70, 120, 190));
    g.drawRoundedRect(QRectF(8, 62, 80, 14), 4, 4); // the platform
    g.drawRect(QRectF(44, 30, 8, 32));              // the column
    g.setBrush(QColor(20, 30, 40));
    g.drawRoundedRect(QRectF(22, 10, 52, 24), 4, 4); // the display
    g.setPen(QColor(255, 60, 60));
    g.setFont(QFont(QStringLiteral("Monospace"), 11, QFont::Bold));
    g.drawText(QRectF(22, 10, 52, 24), Qt::AlignCenter, QStringLiteral("0.000"));
    return p;
}
} // namespace

frmMDSplash::frmMDSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmMDSplash");
    setFocusPolicy(Qt::StrongFocus); // a key closes it
    Frame1 = new QFrame(this);
    Frame1->setObjectName("Frame1");
    Frame1->setFrameShape(QFrame::Box);
    const auto etiqueta = [this](const char* nombre) {
        auto* l = new QLabel(Frame1);
        l->setObjectName(nombre);
        return l;
    };
    imgLogo = etiqueta("imgLogo");
    imgLogo->setPixmap(Logo());
    lblProductName = etiqueta("lblProductName");
    QFont grande = lblProductName->font();
    grande.setPointSizeF(grande.pointSizeF() * 1.8);
    grande.setBold(true);
    lblProductName->setFont(grande);
    lblVersion = etiqueta("lblVersion");
    lblPlatform = etiqueta("lblPlatform");
    lblWarning = etiqueta("lblWarning");
    lblCompany = etiqueta("lblCompany");
    lblCompanyProduct = etiqueta("lblCompanyProduct");
    lblCompanyProductLink = etiqueta("lblCompanyProductLink");
    lblLegal = etiqueta("lblLegal");

    auto* rejilla = new QGridLayout(Frame1);
    rejilla->setContentsMargins(18, 18, 18, 18);
    rejilla->setHorizontalSpacing(18);
    rejilla->addWidget(imgLogo, 0, 0, 4, 1, Qt::AlignTop);
    rejilla->addWidget(lblProductName, 0, 1);
    rejilla->addWidget(lblVersion, 1, 1);
    rejilla->addWidget(lblPlatform, 2, 1);
    rejilla->addWidget(lblWarning, 3, 1);
    rejilla->addWidget(lblCompany, 4, 0, 1, 2);
    rejilla->addWidget(lblCompanyProduct, 5, 0, 1, 2);
    rejilla->addWidget(lblCompanyProductLink, 6, 0, 1, 2);
    rejilla->addWidget(lblLegal, 7, 0, 1, 2);
    auto* principal = new QVBoxLayout(this);
    principal->setContentsMargins(0, 0, 0, 0);
    principal->addWidget(Frame1);

    const QString empresa = QCoreApplication::organizationName();
    lblProductName->setText(Texto(IdTexto::ProgramaPesaje));
    lblVersion->setText(Texto(IdTexto::Version) + " " +
                        QStringLiteral("%1.%2 (%3)")
                            .arg(kelVersion::Mayor())
                            .arg(kelVersion::Menor())
                            .arg(kelVersion::Revision()));
    lblPlatform->setText(QSysInfo::prettyProductName());
    lblCompany->setText(empresa);
    lblLegal->setText(empresa.isEmpty() ? QString() : QStringLiteral("© ") + empresa);
    // The maker's address is opened, not followed by a close.
    lblCompanyProductLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    lblCompanyProductLink->setOpenExternalLinks(true);
    for (QLabel* l : {lblWarning, lblCompanyProduct, lblCompanyProductLink})
        l->setVisible(!l->text().isEmpty());

    adjustSize();
    if (const QScreen* pantalla = QGuiApplication::primaryScreen())
        move(pantalla->availableGeometry().center() - rect().center());
    kelRegistry::RestoreFormPosition(this);
    Timer.setSingleShot(true);
    connect(&Timer, &QTimer::timeout, this, &QWidget::close);
}

frmMDSplash::~frmMDSplash() = default;

void frmMDSplash::Wait(int segundos, bool tomaTeclado) {
    m_tomaTeclado = tomaTeclado;
    Timer.start(segundos * 1000);
    setAttribute(Qt::WA_ShowWithoutActivating, !tomaTeclado);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus, !tomaTeclado);
    kelWindow::SiempreEncima(this, true);
    show();
    repaint();
    raise();
    if (tomaTeclado) {
        activateWindow();
        setFocus();
    }
}

frmMDSplash* frmMDSplash::Muestra(int segundos, bool tomaTeclado) {
    if (!s_mostrada) {
        s_mostrada = new frmMDSplash;
        s_mostrada->setAttribute(Qt::WA_DeleteOnClose);
    }
    s_mostrada->Wait(segundos, tomaTeclado);
    return s_mostrada;
}

void frmMDSplash::mousePressEvent(QMouseEvent* evento) {
    evento->accept();
    close();
}

void frmMDSplash::keyPressEvent(QKeyEvent* evento) {
    evento->accept();
    close();
    // Shown without the keyboard, a key that still lands here (on a desktop without a window
    // manager, the window under the pointer takes the keys) belongs to the window beneath.
    if (m_tomaTeclado)
        return;
    for (QWidget* ventana : QApplication::topLevelWidgets()) {
        QWidget* destino = ventana->focusWidget();
        if (ventana != this && ventana->isVisible() && destino) {
            QKeyEvent copia(evento->type(), evento->key(), evento->modifiers(), evento->text(),
                            evento->isAutoRepeat(), ushort(evento->count()));
            QCoreApplication::sendEvent(destino, &copia);
            return;
        }
    }
}

void frmMDSplash::closeEvent(QCloseEvent* evento) {
    Timer.stop();
    kelRegistry::SaveFormPosition(this);
    evento->accept();
}
