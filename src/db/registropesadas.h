#pragma once

#include "app/resultado.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <optional>

// The weighing log: one entry for every reading taken into a line and every zero, tare and
// clear-tare request sent to the scale. Entries are only ever added (the database refuses to
// change or remove one), each committed on its own the moment it is written.
//
// Each station (`Puesto`) keeps its own chain: an entry's fingerprint `Huella` is the SHA-256,
// in lower-case hexadecimal, of the UTF-8 bytes of its canonical text (TextoCanonico), which ends
// with `HuellaAnterior`, the fingerprint of the same station's previous entry (64 zeros for its
// first). Changing any stored field of an entry, or removing one, breaks the chain from there.
class RegistroPesadas {
public:
    // The words of `Evento`.
    static constexpr const char* kPesada = "weighing";
    static constexpr const char* kCero = "zero";
    static constexpr const char* kTara = "tare";
    static constexpr const char* kDestara = "clear tare";

    struct Entrada {
        qint64 idPesada = 0; // given by Anade
        QDateTime fechaHora; // when the frame arrived
        QString puesto;
        QString evento;
        qint32 tipoBascula = 0;
        std::optional<double> peso; // none when the frame carried no figure
        int decimales = 0;
        QString unidad;
        QString estado;         // Lectura::NombreEstado: "stable", "motion", ..., "unknown"
        QString bruto;          // Lectura::NombreTipo: "gross", "net", "unknown"
        QByteArray trama;       // the raw frame; stored in hexadecimal
        QString huellaAnterior; // given by Anade
        QString huella;         // given by Anade
    };

    // The fingerprint of the first entry of a chain's predecessor: 64 zeros.
    static QString HuellaInicial() { return QString(64, u'0'); }
    // `FechaHora` as stored: "yyyy-MM-dd HH:mm:ss.zzz".
    static QString TextoFechaHora(const QDateTime& momento);
    // `Peso` as the canonical text writes it: a point and `decimales` decimals; empty for none.
    static QString TextoPeso(std::optional<double> peso, int decimales);

    // One line, fields separated by a tab and ended by a line feed, in this order: IdPesada,
    // FechaHora, Puesto, Evento, TipoBascula, Peso (TextoPeso), Decimales, Unidad, Estado,
    // Bruto, Trama (lower-case hexadecimal), HuellaAnterior. Numbers in decimal without
    // leading zeros or sign for positive ones. No field holds a tab or a line break (the
    // database refuses control characters in text).
    static QByteArray TextoCanonico(const Entrada& e);
    // The same fields as they are stored: texts in UTF-8, `Peso` written by TextoPeso, `Trama`
    // in hexadecimal. A checker hashes them as they stand, so that whatever was changed in a
    // stored field shows.
    struct Campos {
        qint64 idPesada = 0;
        QByteArrayView fechaHora, puesto, evento;
        qint64 tipoBascula = 0;
        QByteArrayView peso;
        qint64 decimales = 0;
        QByteArrayView unidad, estado, bruto, trama, huellaAnterior;
    };
    // Replaces `texto` with the canonical text of `c` (reusing its memory).
    static void EscribeCanonico(const Campos& c, QByteArray& texto);
    // The columns an entry is read back from, in the order Lee takes them.
    static constexpr const char* kColumnas =
        "IdPesada, FechaHora, Puesto, Evento, TipoBascula, Peso, Decimales, Unidad, Estado, "
        "Bruto, Trama, HuellaAnterior";
    // The entry in the query's current row, its first columns those of kColumnas.
    static Entrada Lee(const QSqlQuery& q);
    // SHA-256 of the canonical text, in lower-case hexadecimal.
    static QString CalculaHuella(const Entrada& e);

    // Adds `e` as its station's next entry and commits it: gives it its number, predecessor
    // and fingerprint. Two writers of one station, in this program or another, take turns, so
    // that no two entries of a station follow the same one; writers of different stations do
    // not wait for one another on a server (a SQLite file has one writer at a time anyway).
    // On failure nothing is stored and `e` keeps no number.
    static Resultado Anade(QSqlDatabase db, Entrada& e);
    // The fingerprint of entry `idPesada`; empty when there is none (or it cannot be read).
    static QString Huella(QSqlDatabase db, qint64 idPesada);
};
