#include "app/kelversion.h"

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

QString kelVersion::Texto() {
    return QStringLiteral("%1.%2.%3").arg(Mayor()).arg(Menor()).arg(Revision());
}
