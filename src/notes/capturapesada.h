#pragma once

#include "db/registropesadas.h"
#include "scale/lectura.h"

#include <QDateTime>
#include <optional>

// Whether the scale's last reading may become a line's gross weight. A weight is taken only when
// it is stable (as the scale says, or by the software rule for scales that do not), inside the
// range, and fresh: received after the weighing was asked for (on-request mode) or within the
// last `frescaMs` (continuous mode). A reading whose status is unknown is taken as it is. While
// the load moves, or no fresh reading has come, the taking waits up to `esperaMs` from its start.
//
// No double capture: once a weight is taken, the next is taken only after a reading showed the
// load changed by `PasosCambio` display steps of the reading or more, or the scale back within
// fewer steps of zero (unless `unaPorCarga` is off, for stations that weigh identical loads
// without unloading).
class CapturaPesada {
public:
    struct Ajustes {
        bool continuo = false;
        int frescaMs = 2000;
        int esperaMs = 3000;
        bool unaPorCarga = true;
    };
    static constexpr int PasosCambio = 20;

    enum class Veredicto { Toma, Espera, Rechaza };
    enum class Motivo {
        Ninguno,
        SinLectura,   // no weight reading at all
        Antigua,      // none received since it was asked for, or recently
        Inestable,    // the load moves
        FueraDeRango, // over or under the range
        ErrorBascula, // the scale reports an error
        MismaCarga,   // the load of the last weight taken, never changed since
    };
    struct Decision {
        Veredicto veredicto;
        Motivo motivo;
        bool operator==(const Decision&) const = default;
    };

    CapturaPesada() = default;
    explicit CapturaPesada(const Ajustes& ajustes) : m_ajustes(ajustes) {}
    void SetAjustes(const Ajustes& ajustes) { m_ajustes = ajustes; }

    // The operator asked the scale for a weighing at `momento` (on-request mode).
    void Pedida(const QDateTime& momento) { m_pedida = momento; }
    // Every weight reading received, in order: it may show the load changed.
    void Recibida(const Lectura& lectura);
    // A taking that started at `inicio`, decided at `ahora` on the last reading received.
    Decision Decide(const std::optional<Lectura>& ultima, const QDateTime& inicio,
                    const QDateTime& ahora) const;
    // The reading was taken into a line.
    void Tomada(const Lectura& lectura);
    // Takes the reading: writes its entry to the weighing log of `db` first, committed on its
    // own, and only then counts it as taken; `idPesada` receives the entry's number. A failure
    // takes nothing.
    Resultado Registra(QSqlDatabase db, const Lectura& lectura, const QString& puesto,
                       qint32 tipoBascula, qint64& idPesada);
    // Whether a reading received at `recibida` is fresh at `ahora`.
    bool Fresca(const QDateTime& recibida, const QDateTime& ahora) const;
    // The interface text that tells why a weight was not taken, or that it is waited for.
    static int TextoMotivo(Motivo motivo);
    // The weighing log's entry of a reading taken at station `puesto` from a scale of type
    // `tipoBascula`.
    static RegistroPesadas::Entrada Entrada(const Lectura& lectura, const QString& puesto,
                                            qint32 tipoBascula);

private:
    Ajustes m_ajustes;
    QDateTime m_pedida;
    std::optional<Lectura> m_tomada;
    bool m_cambiada = true;
};
