#pragma once

#include "app/resultado.h"
#include "notedata/albaran.h"

#include <QSqlDatabase>
#include <functional>
#include <optional>

// Stores and reads delivery notes: the header in AlbaranesCabeceras and the lines, numbered
// 1..n in their order, in AlbaranesDetalle. Every value is bound and the SQL is plain enough for
// any engine. A save is one transaction: it leaves either the old note or the new one, whole.
class AlmacenAlbaranes {
public:
    // Numbers read from the database are shown with `separadorDecimal`.
    AlmacenAlbaranes(QSqlDatabase db, QString separadorDecimal)
        : m_db(std::move(db)), m_separador(std::move(separadorDecimal)) {}

    // Whether a note with that number and date is stored.
    Resultado Existe(const QString& numero, const QDate& fecha, bool& existe) const;
    // What is stored under the number and date, header and lines, as a short fingerprint; empty
    // when no note is. A station takes it when it decides to save, so that GuardaSiNoCambia
    // can tell whether another station saved the note meanwhile.
    Resultado Version(const QString& numero, const QDate& fecha, QByteArray& version) const;
    // Whether the note can be stored: it needs a number (blanks are none); the refusal in the
    // interface language otherwise. Guarda and GuardaSiNoCambia refuse such a note.
    static Resultado Guardable(const Albaran& albaran);
    // Writes the header and replaces every stored line of the note. A weight, price or amount
    // cell is stored as its cell number; an empty tare code as no value. On any failure nothing
    // is changed.
    Resultado Guarda(const Albaran& albaran) const;
    // The same, only if what is stored under the note's number and date is still `vista` (as
    // Version gave it) when the save writes: otherwise nothing is written and `cambiada` says
    // that another station saved that note meanwhile. Stations saving the same note at once
    // take turns, so that one of them is told and none mixes its lines with another's.
    Resultado GuardaSiNoCambia(const Albaran& albaran, const QByteArray& vista,
                               bool& cambiada) const;
    // Saves the note as a station does: a note already stored is saved only when `pregunta`
    // answers true to IdTexto::AlbaranExistente, and one that another station saved while the
    // question was open is asked about again with IdTexto::AlbaranGuardadoEntretanto. `guardada`
    // says whether it was saved; a failure (a lost connection too) leaves it unsaved.
    Resultado GuardaPreguntando(const Albaran& albaran,
                                const std::function<bool(int idTexto)>& pregunta,
                                bool& guardada) const;
    // Reads the note into `albaran`, which stays empty when there is none. Fields without a
    // value read as empty cells and texts.
    Resultado Carga(const QString& numero, const QDate& fecha,
                    std::optional<Albaran>& albaran) const;
    // The same, the header alone: the note comes without lines.
    Resultado CargaCabecera(const QString& numero, const QDate& fecha,
                            std::optional<Albaran>& albaran) const;
    // The statement that reads a note's stored lines in their order, "?" for the number and the
    // date, whose values ClaveLineas gives; each row's values, in order, make the line's cells
    // through PonCelda (columns 1 to LineasAlbaran::IdPesada).
    static QString ConsultaLineas();
    static QVariantList ClaveLineas(const QString& numero, const QDate& fecha);
    static void PonCelda(FilaAlbaran& fila, int columna, const QVariant& valor,
                         const QString& separadorDecimal);

    // The number and date of an ID of the pick list of stored notes (ConsultaBrowse::Albaranes:
    // the date as "dd/MM/yyyy", " - " and the number, cut to 33 characters so that a number of
    // 20 fits whole); false when the text is no such ID.
    static bool LeeIdSelector(const QString& id, QString& numero, QDate& fecha);

private:
    Resultado Escribe(const Albaran& albaran, const QByteArray* vista, bool& cambiada) const;

    QSqlDatabase m_db;
    QString m_separador;
};
