#pragma once

#include "app/clsdatosapp.h"

#include <QTemporaryDir>
#include <memory>

// A test's own world: a temporary folder with its settings file and database, never the user's.
class EntornoPrueba {
public:
    EntornoPrueba();
    ~EntornoPrueba();

    QString Carpeta() const { return m_dir.path(); }
    QString ArchivoAjustes() const { return m_dir.filePath("ajustes.ini"); }
    QString ArchivoBaseDatos() const { return m_dir.filePath("pesix.db"); }

    // A settings object over the test's files (re-created on each call).
    clsDatosApp& Datos();
    // The settings object with its database opened and completed; fails the test otherwise.
    clsDatosApp& DatosConBase();
    void Libera();

    // Runs one statement on the open database with its values bound; stops the test program
    // if it fails, as a test cannot go on without its data.
    static void Ejecuta(const QString& sql, const QVariantList& valores = {});

private:
    QTemporaryDir m_dir;
    std::unique_ptr<clsDatosApp> m_datos;
};
