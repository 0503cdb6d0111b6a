#pragma once

#include "app/clsdatosapp.h"

#include <QTemporaryDir>
#include <memory>

// The two engines a test body runs on: a SQLite file, or a database on the test program's own
// PostgreSQL server.
enum class Motor { Sqlite, Postgres };
Q_DECLARE_METATYPE(Motor)

// A test's own world: a temporary folder with its settings file and database, never the user's.
// On PostgreSQL the database is a new one on the test program's server, dropped at the end.
class EntornoPrueba {
public:
    explicit EntornoPrueba(Motor motor = Motor::Sqlite);
    ~EntornoPrueba();

    static const Motor kMotores[2];
    static QString Nombre(Motor motor) { return motor == Motor::Sqlite ? "sqlite" : "postgres"; }
    // A data function's "motor" column, with one row per engine.
    static void FilasPorMotor();
    // Whether the engine can run here; the one-line reason why not otherwise.
    static bool Disponible(Motor motor, QString* falta = nullptr);

    Motor MotorEnUso() const { return m_motor; }
    QString Carpeta() const { return m_dir.path(); }
    QString ArchivoAjustes() const { return m_dir.filePath("ajustes.ini"); }
    QString ArchivoBaseDatos() const { return m_dir.filePath("pesix.db"); }
    // The database the settings object opens: the file, or the server database's URI.
    QString BaseDatos() const { return m_direccion.isEmpty() ? ArchivoBaseDatos() : m_direccion; }

    // A settings object over the test's files (re-created on each call).
    clsDatosApp& Datos();
    // The settings object with its database opened and completed; fails the test otherwise.
    clsDatosApp& DatosConBase();
    void Libera();

    // Runs one statement on the open database with its values bound; stops the test program
    // if it fails, as a test cannot go on without its data.
    static void Ejecuta(const QString& sql, const QVariantList& valores = {});

private:
    Motor m_motor;
    QString m_direccion;
    QTemporaryDir m_dir;
    std::unique_ptr<clsDatosApp> m_datos;
};

// Skips the running test, with one line saying why, when its engine cannot run here; fails it
// instead in CI (variable CI set), where the set-up installs every engine.
#define PESIX_REQUIERE(motor)                                                                      \
    do {                                                                                           \
        QString falta_;                                                                            \
        if (!EntornoPrueba::Disponible(motor, &falta_)) {                                          \
            if (qEnvironmentVariableIsSet("CI"))                                                   \
                QFAIL(qPrintable(falta_));                                                         \
            QSKIP(qPrintable(falta_));                                                             \
        }                                                                                          \
    } while (false)
