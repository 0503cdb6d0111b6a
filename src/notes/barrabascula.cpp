#include "notes/barrabascula.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

namespace {
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
} // namespace

BarraBascula::BarraBascula(QWidget* parent) : QWidget(parent) {
    setObjectName("barraBascula");
    imgLstOnOff = {{"Encendido", DibujoInterruptor(true)}, {"Apagado", DibujoInterruptor(false)}};
    imgOnOff = new QToolButton(this);
    imgOnOff->setObjectName("imgOnOff");
    imgOnOff->setAutoRaise(true);
    imgOnOff->setFocusPolicy(Qt::NoFocus);
    imgOnOff->setIconSize(QSize(64, 36));
    connect(imgOnOff, &QToolButton::clicked, this, &BarraBascula::Interruptor);
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
    cmdPesar = new QPushButton(this);
    cmdPesar->setObjectName("cmdPesar");
    cmdPesar->setFocusPolicy(Qt::NoFocus);
    cmdPesar->setMinimumHeight(40);
    connect(cmdPesar, &QPushButton::clicked, this, &BarraBascula::Pesar);
    auto* bascula = new QHBoxLayout(this);
    bascula->setContentsMargins(0, 0, 0, 0);
    bascula->addStretch();
    bascula->addWidget(imgOnOff);
    bascula->addWidget(lblLectura);
    bascula->addWidget(cmdPesar);
}

void BarraBascula::PonInterruptor(bool encendida) {
    cmdPesar->setEnabled(encendida);
    QPalette p = lblLectura->palette();
    p.setColor(QPalette::WindowText, encendida ? QColor(0xff, 0, 0) : QColor(0x80, 0, 0));
    lblLectura->setPalette(p);
    imgOnOff->setIcon(imgLstOnOff.value(encendida ? "Encendido" : "Apagado"));
}

void BarraBascula::PermitePesar(bool permite) {
    cmdPesar->setEnabled(permite);
}

bool BarraBascula::PesarPermitido() const {
    return cmdPesar->isEnabled();
}

void BarraBascula::AplicaIdioma(bool continuo) {
    imgOnOff->setToolTip(Texto(IdTexto::Interruptor) + " - F5");
    cmdPesar->setText(Texto(IdTexto::LeerPesada));
    lblLectura->setFixedWidth((continuo ? 9000 : 5000) / kelRegistry::TwipsPorPixel);
    cmdPesar->setVisible(!continuo);
}

void BarraBascula::MuestraLectura(const QString& texto) {
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
