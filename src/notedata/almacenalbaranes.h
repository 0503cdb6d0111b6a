#pragma once

#include "app/resultado.h"
#include "notedata/albaran.h"
#include "notedata/versionalbaran.h"

#include <QSqlDatabase>
#include <functional>
#include <optional>
#include <vector>

// Stores and reads delivery notes: the header in AlbaranesCabeceras and the lines, numbered
// 1..n in their order, in AlbaranesDetalle. Every value is bound and the SQL is plain enough for
// any engine. A save is one transaction: it leaves either the old note or the new one, whole.
// Nothing stored is lost: a save that changes a stored note, a void and its undoing first copy
// the note as stored (header and lines) into AlbaranesVersiones and AlbaranesVersionesDetalle,
// in the same transaction, as its next version.
class AlmacenAlbaranes {
public:
    // Numbers read from the database are shown with `separadorDecimal`; `puesto` names the
    // station in the versions it keeps.
    AlmacenAlbaranes(QSqlDatabase db, QString separadorDecimal, QString puesto = {})
        : m_db(std::move(db)), m_separador(std::move(separadorDecimal)),
          m_puesto(std::move(puesto)) {}

    const QString& SeparadorDecimal() const { return m_separador; }
    // The fewest characters of a void's reason, or of its undoing's.
    static constexpr int LongitudMinimaMotivo = 5;

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
    // is changed. When what is written differs from what is stored (the header's texts or the
    // lines; the modification time and the print marks do not count), the stored note becomes
    // an earlier version first, replaced by the note's operator. A stored void note is not
    // changed (refused with IdTexto::AlbaranAnulado); the void, its reason and the copies'
    // count are kept as stored, whatever `albaran` holds of them.
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
    // value read as empty cells and texts. Versiones counts its earlier versions.
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
    // The stored note's earlier versions, oldest first; none for a note never replaced.
    Resultado Versiones(const QString& numero, const QDate& fecha,
                        std::vector<VersionAlbaran>& versiones) const;
    Resultado NumeroVersiones(const QString& numero, const QDate& fecha, int& cuantas) const;
    // Voids the stored note (`anular`), or undoes its void, with the reason given by `operario`
    // at `ahora`: the note as it was becomes an earlier version. Refused when the reason is
    // shorter than LongitudMinimaMotivo, when no such note is stored, or when it already is
    // (or is not) void.
    Resultado Anula(const QString& numero, const QDate& fecha, bool anular, const QString& motivo,
                    const QString& operario, const QDateTime& ahora) const;
    // Counts a print after the first of the stored note (at `ahora`), when what is stored is
    // what `albaran` holds; `registrada` says whether it was (not for a note unsaved or changed
    // since its save).
    Resultado RegistraCopia(const Albaran& albaran, const QDateTime& ahora, bool& registrada) const;

    // The number and date of an ID of the pick list of stored notes (ConsultaBrowse::Albaranes:
    // the date as "dd/MM/yyyy", " - " and the number, cut to 33 characters so that a number of
    // 20 fits whole); false when the text is no such ID.
    static bool LeeIdSelector(const QString& id, QString& numero, QDate& fecha);

private:
    struct Guardado;
    Resultado Escribe(const Albaran& albaran, const QByteArray* vista, bool& cambiada) const;
    Resultado TomaCabecera(const QString& numero, const QDate& fecha) const;
    Resultado LeeGuardado(const QString& numero, const QDate& fecha, Guardado& g) const;
    Resultado CopiaVersion(const QString& numero, const QDate& fecha, const QString& operario,
                           const QDateTime& ahora) const;
    Resultado LeeLineas(const QString& tabla, const QString& condicion, const QVariantList& valores,
                        LineasAlbaran& lineas) const;

    QSqlDatabase m_db;
    QString m_separador;
    QString m_puesto;
};
