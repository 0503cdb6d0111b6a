#include "app/kelversion.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>

// PESIX_VERSION_MAYOR, _MENOR and _REVISION come from the build (src/app/CMakeLists.txt).

int kelVersion::Mayor() {
    return PESIX_VERSION_MAYOR;
}

int kelVersion::Menor() {
    return PESIX_VERSION_MENOR;
}

int kelVersion::Revision() {
    return PESIX_VERSION_REVISION;
}

QString kelVersion::HuellaPrograma() {
    // Read once: the file does not change while it runs.
    static const QString huella = [] {
        QFile programa(QCoreApplication::applicationFilePath());
        QCryptographicHash h(QCryptographicHash::Sha256);
        if (!programa.open(QIODevice::ReadOnly) || !h.addData(&programa))
            return QString();
        return QString::fromLatin1(h.result().toHex());
    }();
    return huella;
}

QString kelVersion::Texto() {
    return QStringLiteral("%1.%2.%3").arg(Mayor()).arg(Menor()).arg(Revision());
}
