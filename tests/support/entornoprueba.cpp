#include "support/entornoprueba.h"

#include "app/kelregistry.h"
#include "db/basedatos.h"

#include <QSqlError>
#include <QSqlQuery>
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
    if (const Resultado r = BaseDatos::AbreBaseDatos(d); !r)
        qFatal("the test database could not be opened: %s", qPrintable(r.Error()));
    return d;
}

void EntornoPrueba::Ejecuta(const QString& sql, const QVariantList& valores) {
    const clsDatosApp* datos = clsDatosApp::Instancia();
    QSqlQuery q(datos ? datos->Conexion() : QSqlDatabase());
    q.prepare(sql);
    for (const QVariant& v : valores)
        q.addBindValue(v);
    if (!q.exec())
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}
