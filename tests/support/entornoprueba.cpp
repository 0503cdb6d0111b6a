#include "support/entornoprueba.h"

#include "app/kelregistry.h"
#include "db/basedatos.h"

#include <QTest>

EntornoPrueba::EntornoPrueba() {
    kelRegistry::UsaArchivoIni(ArchivoAjustes());
}

EntornoPrueba::~EntornoPrueba() {
    Libera();
    kelRegistry::UsaArchivoIni(QString());
}

void EntornoPrueba::Libera() {
    m_datos.reset();
}

clsDatosApp& EntornoPrueba::Datos() {
    m_datos.reset();
    kelRegistry::UsaArchivoIni(ArchivoAjustes());
    m_datos = std::make_unique<clsDatosApp>();
    m_datos->SetBaseDatos(ArchivoBaseDatos());
    return *m_datos;
}

clsDatosApp& EntornoPrueba::DatosConBase() {
    clsDatosApp& d = Datos();
    QString error;
    const auto r = BaseDatos::AbreBaseDatos(d, &error);
    if (r != BaseDatos::Resultado::Abierta)
        qFatal("the test database could not be opened: %s", qPrintable(error));
    return d;
}
