#pragma once

// A print server of the test's own for the ticket tests: cupsd on a socket in a private folder,
// raw queues (no driver) whose device is a socket:// listener of the test, and the jobs it knows.
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>

// A printer's network port on 127.0.0.1: keeps the bytes of every connection once it ends.
struct Receptor : QTcpServer {
    Receptor();
    QList<QByteArray> recibidos;
};

// cupsd, stopped with the test.
struct ServidorCups {
    ~ServidorCups();
    QString Socket() const { return dir.filePath("cups.sock"); }
    // Empty when the server answers, else why it does not.
    QString Arranca();
    // The print client of this process talks to this server from now on.
    void Usa();
    // Runs a CUPS administration program against this server; empty on success, else its output.
    QString Administra(const QString& programa, const QStringList& argumentos);
    // A raw queue sending to the receiver, with more lpadmin arguments; empty on success, else
    // why not.
    QString ColaRaw(const QString& cola, const Receptor& receptor, const QStringList& mas = {});

    QTemporaryDir dir;
    QProcess proceso;
};

// Every job the server knows, finished ones included, oldest first: "title@queue:state".
QStringList Trabajos();
