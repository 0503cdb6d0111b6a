#pragma once

#include "app/resultado.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>

// Checks the weighing log and the lines that took its readings, changing nothing: each entry's
// fingerprint recomputes from its fields (RegistroPesadas::CalculaHuella), each entry follows its
// station's previous one (HuellaAnterior), the numbers have no gaps on a SQLite file (whose
// numbers are given one after another under its write lock; a server's sequence skips the
// numbers of additions that failed), and each stored line with an IdPesada has an entry whose
// weight, in the entry's decimals (at most the three a line keeps), is the line's gross weight.
// Rows are read in batches.
//
// What it cannot see: someone who controls the database and the program can rewrite a whole
// chain, fingerprints included, and remove a station's last entries; a fingerprint printed on a
// ticket before is what exposes that.
class VerificaRegistro {
public:
    // A fingerprint as a ticket printed it: the entry's number and the first characters of its
    // Huella (lower-case hexadecimal).
    struct Impresa {
        qint64 idPesada = 0;
        QString huella;
    };
    // Reads "ID:HUELLA[,ID:HUELLA...]" (at least 8 hexadecimal characters each); fails saying
    // which part is not one.
    static Resultado LeeImpresas(const QString& texto, QList<Impresa>& impresas);

    // Entries received in [desde, hasta] (days, both included; invalid for no bound), and lines
    // of notes dated in it.
    VerificaRegistro(QSqlDatabase db, QDate desde = {}, QDate hasta = {})
        : m_db(std::move(db)), m_desde(desde), m_hasta(hasta) {}

    // Runs the checks, telling each fault on one line through `falta`. Fails when the database
    // cannot be read.
    Resultado Ejecuta(const std::function<void(const QString&)>& falta);
    qint64 Entradas() const { return m_entradas; }
    qint64 Lineas() const { return m_lineas; }
    qint64 Faltas() const { return m_faltas; }

    static constexpr int Lote = 5000; // rows read at a time
    // Fingerprints printed before, each checked against its stored entry: a chain rewritten
    // whole recomputes, but no longer begins as its paper copies do.
    void SetImpresas(const QList<Impresa>& impresas) { m_impresas = impresas; }

private:
    Resultado Cadenas(const std::function<void(const QString&)>& falta);
    Resultado Pesos(QSqlDatabase db, const std::function<void(const QString&)>& falta);
    Resultado Impresas(const std::function<void(const QString&)>& falta);

    QSqlDatabase m_db;
    QDate m_desde;
    QDate m_hasta;
    QList<Impresa> m_impresas;
    qint64 m_entradas = 0;
    qint64 m_lineas = 0;
    qint64 m_faltas = 0;
};
