#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A PostgreSQL server of the test program's own: initdb into a temporary folder, listening on a
// Unix socket in that folder only, run as the "postgres" user when the tests run as root (the
// server refuses root). Started at first use, stopped when the program ends, and killed with it.
class ServidorPostgres {
public:
    // The program's server, started on the first call; nullptr when none can run here, with
    // the reason in Falta().
    static ServidorPostgres* Comun();
    static QString Falta();

    ~ServidorPostgres();

    // A new, empty database of the server (its connection URI), and dropping it.
    QString NuevaBase();
    void BorraBase(const QString& direccion);
    // Stops the server at once, as a crash would (no checkpoint), or starts it again. The
    // signal may also come from another thread, to the server's process number.
    bool Mata();
    qint64 Pid() const { return m_postgres.processId(); }
    // Stops the server and every process of it where they stand (SIGSTOP), as a hung machine
    // would, or lets them go on (SIGCONT).
    bool Congela(bool congelado);
    bool Arranca();
    // Runs one statement as the server's superuser; empty when it worked, else the error.
    QString Ejecuta(const QString& base, const QString& sql);

private:
    ServidorPostgres() = default;
    bool Inicia(QString& falta);
    void ComoServidor(QProcess& p) const;

    QString m_bin;
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_postgres;
    int m_uid = -1;
    int m_gid = -1;
    int m_bases = 0;
};
