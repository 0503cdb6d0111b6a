#include "support/entornoprueba.h"

#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "support/servidorpostgres.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

const Motor EntornoPrueba::kMotores[2] = {Motor::Sqlite, Motor::Postgres};

void EntornoPrueba::FilasPorMotor() {
    QTest::addColumn<Motor>("motor");
    for (Motor m : kMotores)
        QTest::newRow(qPrintable(Nombre(m))) << m;
}

bool EntornoPrueba::Disponible(Motor motor, QString* falta) {
    if (motor == Motor::Sqlite || ServidorPostgres::Comun())
        return true;
    if (falta)
        *falta = ServidorPostgres::Falta();
    return false;
}

EntornoPrueba::EntornoPrueba(Motor motor) : m_motor(motor) {
    kelRegistry::UsaArchivoIni(ArchivoAjustes());
    if (motor == Motor::Postgres) {
        ServidorPostgres* servidor = ServidorPostgres::Comun();
        if (!servidor)
            qFatal("%s", qPrintable(ServidorPostgres::Falta()));
        m_direccion = servidor->NuevaBase();
    }
}

EntornoPrueba::~EntornoPrueba() {
    Libera();
    kelRegistry::UsaArchivoIni(QString());
    if (!m_direccion.isEmpty())
        if (ServidorPostgres* servidor = ServidorPostgres::Comun())
            servidor->BorraBase(m_direccion);
}

void EntornoPrueba::Libera() {
    m_datos.reset();
}

clsDatosApp& EntornoPrueba::Datos() {
    m_datos.reset();
    kelRegistry::UsaArchivoIni(ArchivoAjustes());
    m_datos = std::make_unique<clsDatosApp>();
    m_datos->SetBaseDatos(BaseDatos());
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
