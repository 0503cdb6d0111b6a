#include "db/plazoservidor.h"

#include "db/conexionpostgres.h"

#include <QHash>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <libpq-events.h>
#include <libpq-fe.h>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>

using Reloj = std::chrono::steady_clock;

// What the watching thread knows of one named connection. Kept for the whole run: a name's
// connection is opened again and again, and libpq holds a pointer to it.
struct PlazoServidor::Vigilada {
    Reloj::duration plazo{};
    Reloj::duration plazoCortado{}; // the limit in force when it was cut
    // A copy of the connection's socket, so that shutting it down never reaches another file
    // that took the number after libpq closed its own; -1 while no connection is watched.
    int socket = -1;
    const PGconn* conexion = nullptr;
    int guardas = 0;          // PlazoServidor objects alive on it
    Reloj::time_point limite; // of the answer awaited
    bool cortada = false;
    std::thread::id hilo; // the one its guards were made on
};

namespace {
using Vigilada = PlazoServidor::Vigilada;

struct Vigia {
    std::mutex m;
    std::condition_variable cambio;
    QHash<QString, Vigilada*> conexiones;
    bool enMarcha = false;
};

// Never destroyed: the thread may still wait on it while the program ends.
Vigia& ElVigia() {
    static Vigia* v = new Vigia;
    return *v;
}

void Cierra(Vigilada& c) {
    if (c.socket >= 0)
        ::close(c.socket);
    c.socket = -1;
    c.conexion = nullptr;
}

int Segundos(const Vigilada& c) {
    return int(std::chrono::duration_cast<std::chrono::seconds>(c.plazoCortado).count());
}

[[noreturn]] void Vigilar() {
    Vigia& v = ElVigia();
    std::unique_lock bloqueo(v.m);
    for (;;) {
        const Reloj::time_point ahora = Reloj::now();
        Reloj::time_point proximo = Reloj::time_point::max();
        for (Vigilada* c : std::as_const(v.conexiones)) {
            if (c->guardas == 0 || c->socket < 0 || c->cortada)
                continue;
            if (c->limite <= ahora) {
                ::shutdown(c->socket, SHUT_RDWR);
                c->cortada = true;
                c->plazoCortado = c->plazo;
            } else {
                proximo = std::min(proximo, c->limite);
            }
        }
        if (proximo == Reloj::time_point::max())
            v.cambio.wait(bloqueo);
        else
            v.cambio.wait_until(bloqueo, proximo);
    }
}

// libpq's news of a watched connection: an answer arrived, or the connection is gone.
int Suceso(PGEventId suceso, void* datos, void* vigilada) {
    auto* c = static_cast<Vigilada*>(vigilada);
    Vigia& v = ElVigia();
    if (suceso == PGEVT_RESULTCREATE) {
        const std::lock_guard bloqueo(v.m);
        c->limite = Reloj::now() + c->plazo;
    } else if (suceso == PGEVT_CONNDESTROY) {
        const std::lock_guard bloqueo(v.m);
        if (c->conexion == static_cast<PGEventConnDestroy*>(datos)->conn)
            Cierra(*c);
    }
    return 1;
}
} // namespace

void PlazoServidor::Fija(const QString& conexion, int segundos) {
    Vigia& v = ElVigia();
    const std::lock_guard bloqueo(v.m);
    Vigilada*& c = v.conexiones[conexion];
    if (!c)
        c = new Vigilada;
    c->plazo = std::chrono::seconds(segundos);
}

void PlazoServidor::Vigila(const QSqlDatabase& db) {
    PGconn* conexion = ConexionPostgres::Manejador(db);
    Vigia& v = ElVigia();
    Vigilada* c = nullptr;
    {
        const std::lock_guard bloqueo(v.m);
        c = v.conexiones.value(db.connectionName());
        if (!c || !conexion)
            return;
        Cierra(*c);
        c->socket = ::fcntl(PQsocket(conexion), F_DUPFD_CLOEXEC, 0);
        c->conexion = conexion;
        c->cortada = false;
    }
    v.cambio.notify_one();
    PQregisterEventProc(conexion, Suceso, "pesix", c);
}

int PlazoServidor::Cortada() {
    Vigia& v = ElVigia();
    const std::lock_guard bloqueo(v.m);
    for (const Vigilada* c : std::as_const(v.conexiones))
        if (c->cortada && c->hilo == std::this_thread::get_id())
            return Segundos(*c);
    return 0;
}

int PlazoServidor::Cortada(const QSqlDatabase& db) {
    Vigia& v = ElVigia();
    const std::lock_guard bloqueo(v.m);
    const Vigilada* c = v.conexiones.value(db.connectionName());
    return c && c->cortada ? Segundos(*c) : 0;
}

PlazoServidor::PlazoServidor(const QSqlDatabase& db, int segundos) {
    if (!ConexionPostgres::EsPostgres(db))
        return;
    Vigia& v = ElVigia();
    const std::lock_guard bloqueo(v.m);
    m_vigilada = v.conexiones.value(db.connectionName());
    if (!m_vigilada || m_vigilada->plazo <= Reloj::duration::zero()) {
        m_vigilada = nullptr;
        return;
    }
    m_anterior = m_vigilada->plazo;
    if (segundos > 0)
        m_vigilada->plazo = std::chrono::seconds(segundos);
    ++m_vigilada->guardas;
    m_vigilada->limite = Reloj::now() + m_vigilada->plazo;
    m_vigilada->hilo = std::this_thread::get_id();
    if (!std::exchange(v.enMarcha, true))
        std::thread(Vigilar).detach();
    v.cambio.notify_one();
}

PlazoServidor::~PlazoServidor() {
    if (!m_vigilada)
        return;
    const std::lock_guard bloqueo(ElVigia().m);
    --m_vigilada->guardas;
    m_vigilada->plazo = m_anterior;
}
