#include "app/frminfosistema.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "app/kelversion.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSysInfo>
#include <QVBoxLayout>

frmInfoSistema::frmInfoSistema(const Datos& datos, QWidget* parent) : QDialog(parent) {
    setObjectName("frmInfoSistema");
    setWindowTitle(::Texto(IdTexto::InfoSistema));
    txtInfo = new QPlainTextEdit(Texto(datos), this);
    txtInfo->setObjectName("txtInfo");
    txtInfo->setReadOnly(true);
    txtInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    cmdCopiar = new QPushButton(::Texto(IdTexto::Copiar), this);
    cmdCopiar->setObjectName("cmdCopiar");
    cmdAceptar = new QPushButton(::Texto(IdTexto::Aceptar), this);
    cmdAceptar->setObjectName("cmdAceptar");
    cmdAceptar->setDefault(true);
    connect(cmdCopiar, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(txtInfo->toPlainText()); });
    connect(cmdAceptar, &QPushButton::clicked, this, &QDialog::accept);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(cmdCopiar);
    botones->addWidget(cmdAceptar);
    auto* principal = new QVBoxLayout(this);
    principal->addWidget(txtInfo);
    principal->addLayout(botones);
    resize(640, 240);
    kelRegistry::RestoreFormPosition(this);
    cmdAceptar->setFocus();
}

void frmInfoSistema::done(int resultado) {
    kelRegistry::SaveFormPosition(this);
    QDialog::done(resultado);
}

QString frmInfoSistema::Texto(const Datos& datos) {
    const auto lista = [](const QStringList& elementos) {
        return elementos.isEmpty() ? ::Texto(IdTexto::Ninguno) : elementos.join(", ");
    };
    const QList<std::pair<int, QString>> lineas{
        {IdTexto::InfoVersionPrograma, QStringLiteral("Pesix ") + kelVersion::Texto()},
        {IdTexto::InfoHuellaPrograma, kelVersion::HuellaPrograma()},
        {IdTexto::InfoVersionQt, QString::fromLatin1(qVersion())},
        {IdTexto::InfoSistemaOperativo,
         QSysInfo::prettyProductName() + " (" + QSysInfo::kernelType() + " " +
             QSysInfo::kernelVersion() + ", " + QSysInfo::currentCpuArchitecture() + ")"},
        {IdTexto::InfoBaseDatos, datos.baseDatos},
        {IdTexto::InfoArchivoAjustes, kelRegistry::Ubicacion()},
        {IdTexto::InfoPuertosSerie, lista(datos.puertosSerie)},
        {IdTexto::InfoColasImpresion, lista(datos.colasImpresion)},
    };
    QString texto;
    for (const auto& [id, valor] : lineas)
        texto += ::Texto(id) + ": " + valor + "\n";
    return texto;
}

void frmInfoSistema::AbreInfoSistema(const Datos& datos, QWidget* parent) {
    if (AbreHerramientaSistema())
        return;
    frmInfoSistema ventana(datos, parent);
    ventana.exec();
}

// The system information tool of Windows, where its installation left its path.
bool frmInfoSistema::AbreHerramientaSistema() {
#ifdef Q_OS_WIN
    const QString programa =
        QSettings(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                  QSettings::NativeFormat)
            .value(QStringLiteral("PATH"))
            .toString();
    if (!programa.isEmpty() && QProcess::startDetached(programa, {}))
        return true;
    const QString carpeta =
        QSettings(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location"),
                  QSettings::NativeFormat)
            .value(QStringLiteral("MSINFO"))
            .toString();
    const QString archivo = carpeta + QStringLiteral("\\MSINFO32.EXE");
    return !carpeta.isEmpty() && QFileInfo::exists(archivo) && QProcess::startDetached(archivo, {});
#else
    return false;
#endif
}
