#include "db/verificaregistro.h"

#include "db/basedatos.h"
#include "db/conexionpostgres.h"
#include "db/lectorconsulta.h"
#include "db/plazoservidor.h"
#include "db/registropesadas.h"
#include "db/sha256.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <array>
#include <charconv>
#include <thread>

namespace {
Resultado Error(const QSqlQuery& q, const QSqlDatabase& db) {
    return Resultado::Fallo(BaseDatos::TextoError(q.lastError(), db));
}
QString Corta(const QString& huella) {
    return huella.left(16) + (huella.size() > 16 ? "..." : "");
}
} // namespace

Resultado VerificaRegistro::Ejecuta(const std::function<void(const QString&)>& falta) {
    m_entradas = m_lineas = m_faltas = 0;
    const auto cuenta = [&](const QString& texto) {
        ++m_faltas;
        falta(texto);
    };
    if (ConexionPostgres::EsPostgres(m_db)) {
        if (Resultado r = Cadenas(cuenta); !r)
            return r;
        if (Resultado r = Pesos(m_db, cuenta); !r)
            return r;
        return Impresas(cuenta);
    }
    // On a file the lines are checked beside the chains, on a connection of their own, each
    // on a processor of its own; their faults are told after the chains'.
    QStringList faltasLineas;
    Resultado lineas;
    std::thread hilo([&] {
        const QString nombre = m_db.connectionName() + QStringLiteral("-lineas");
        {
            QSqlDatabase otra = QSqlDatabase::cloneDatabase(m_db.connectionName(), nombre);
            lineas = otra.open() ? Pesos(otra, [&](const QString& f) { faltasLineas << f; })
                                 : Resultado::Fallo(BaseDatos::TextoError(otra.lastError(), otra));
        }
        QSqlDatabase::removeDatabase(nombre);
    });
    const Resultado cadenas = Cadenas(cuenta);
    hilo.join();
    if (!cadenas)
        return cadenas;
    if (!lineas)
        return lineas;
    for (const QString& f : std::as_const(faltasLineas))
        cuenta(f);
    return Impresas(cuenta);
}

Resultado VerificaRegistro::LeeImpresas(const QString& texto, QList<Impresa>& impresas) {
    impresas.clear();
    for (const QString& parte : texto.split(u',')) {
        const qsizetype dos = parte.indexOf(u':');
        bool ok = false;
        const qint64 id = dos > 0 ? parte.first(dos).trimmed().toLongLong(&ok) : 0;
        const QString huella = parte.sliced(dos + 1).trimmed().toLower();
        bool hexadecimal = huella.size() >= 8 && huella.size() <= 64;
        for (const QChar c : huella)
            hexadecimal = hexadecimal && ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'));
        if (!ok || id <= 0 || !hexadecimal)
            return Resultado::Fallo("not a printed fingerprint (ENTRY:HUELLA, at least 8 "
                                    "hexadecimal characters): " +
                                    parte);
        impresas.append({id, huella});
    }
    return Resultado::Exito();
}

Resultado VerificaRegistro::Impresas(const std::function<void(const QString&)>& falta) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT Huella FROM RegistroPesadas WHERE IdPesada = ?"));
    for (const Impresa& i : m_impresas) {
        q.bindValue(0, i.idPesada);
        if (!q.exec())
            return Resultado::Fallo(q.lastError().text());
        if (!q.next())
            falta(QStringLiteral("entry %1, printed on a ticket as %2: not in the weighing log")
                      .arg(i.idPesada)
                      .arg(i.huella));
        else if (const QString huella = q.value(0).toString(); !huella.startsWith(i.huella))
            falta(QStringLiteral("entry %1: its Huella %2 does not begin as the one printed on "
                                 "a ticket, %3: its chain was written again")
                      .arg(i.idPesada)
                      .arg(huella.left(i.huella.size()), i.huella));
    }
    return Resultado::Exito();
}

Resultado VerificaRegistro::Cadenas(const std::function<void(const QString&)>& falta) {
    const bool servidor = ConexionPostgres::EsPostgres(m_db);
    QString rango;
    QVariantList limites;
    if (m_desde.isValid()) {
        rango += " AND FechaHora >= ?";
        limites << BaseDatos::FechaSQL(m_desde);
    }
    if (m_hasta.isValid()) {
        rango += " AND FechaHora < ?";
        limites << BaseDatos::FechaSQL(m_hasta.addDays(1));
    }
    const QString sql = QStringLiteral("SELECT ") + RegistroPesadas::kColumnas +
                        ", Huella FROM RegistroPesadas WHERE IdPesada > ?" + rango +
                        " ORDER BY IdPesada LIMIT " + QString::number(Lote);
    // Each station's last fingerprint (null until known) and name, by its name in lower case;
    // and the names as stored, each with its station, read without a look-up by text.
    struct Puesto {
        QString texto;
        QByteArray ultima;
    };
    std::vector<Puesto> puestos;
    std::vector<std::pair<QByteArray, qsizetype>> nombres;
    QHash<QString, qsizetype> porClave;
    const auto puestoDe = [&](QByteArrayView nombre) {
        for (const auto& [leido, i] : nombres)
            if (leido == nombre)
                return i;
        // Names that differ in letter case alone are one station.
        const QString texto = QString::fromUtf8(nombre);
        auto it = porClave.find(texto.toLower());
        if (it == porClave.end()) {
            it = porClave.insert(texto.toLower(), qsizetype(puestos.size()));
            puestos.push_back({texto, QByteArray()});
        }
        nombres.emplace_back(nombre.toByteArray(), *it);
        return *it;
    };
    // A fingerprint as stored (at most 64 characters), kept without allocating.
    struct Texto64 {
        std::array<char, 64> bytes;
        qsizetype longitud = 0;
        void Pon(QByteArrayView v) {
            longitud = std::min<qsizetype>(v.size(), 64);
            std::copy_n(v.data(), longitud, bytes.data());
        }
        QByteArrayView Vista() const { return {bytes.data(), longitud}; }
    };
    struct Leida {
        qint64 id;
        qsizetype puesto;
        Texto64 huellaAnterior;
        Texto64 huella;
        bool recalcula;
    };
    std::vector<Leida> lote;
    lote.reserve(Lote);
    const std::unique_ptr<LectorConsulta> lector = LectorConsulta::Para(m_db);
    Sha256 sha;
    QByteArray texto, peso;
    qint64 anterior = -1; // the number read before, for the gaps
    qint64 desde = 0;     // entries are numbered from 1
    QSqlQuery previa(m_db);
    for (bool mas = true; mas;) {
        const PlazoServidor plazo(m_db);
        if (!lector->Ejecuta(sql, QVariantList{desde} + limites))
            return Resultado::Fallo(lector->Error());
        // The batch is read whole before the look-ups below: a server connection answers one
        // statement at a time.
        lote.clear();
        while (lector->Siguiente()) {
            using A = LectorConsulta::Almacenado;
            RegistroPesadas::Campos c;
            c.idPesada = lector->Entero(0);
            c.fechaHora = lector->Utf8(1);
            c.puesto = lector->Utf8(2);
            c.evento = lector->Utf8(3);
            c.tipoBascula = lector->Entero(4);
            c.decimales = lector->Entero(6);
            // The weight as the writer wrote it (TextoPeso), at the speed of std::to_chars;
            // when the fingerprint differs, it is written again exactly as TextoPeso does.
            const bool conPeso = lector->TipoAlmacenado(5) != A::Nulo;
            const double valor = conPeso ? lector->Real(5) : 0;
            const int decimales = qBound(0, int(c.decimales), 9);
            char cifras[400];
            c.peso = {};
            if (conPeso)
                if (const auto r = std::to_chars(cifras, cifras + sizeof cifras, valor,
                                                 std::chars_format::fixed, decimales);
                    r.ec == std::errc())
                    c.peso = QByteArrayView(cifras, r.ptr - cifras);
            c.unidad = lector->Utf8(7);
            c.estado = lector->Utf8(8);
            c.bruto = lector->Utf8(9);
            c.trama = lector->Utf8(10);
            c.huellaAnterior = lector->Utf8(11);
            const QByteArrayView huella = lector->Utf8(12);
            RegistroPesadas::EscribeCanonico(c, texto);
            bool recalcula = Sha256::EsHexadecimal(sha.Calcula(texto), huella);
            if (!recalcula && conPeso) {
                peso = RegistroPesadas::TextoPeso(valor, int(c.decimales)).toLatin1();
                c.peso = peso;
                RegistroPesadas::EscribeCanonico(c, texto);
                recalcula = Sha256::EsHexadecimal(sha.Calcula(texto), huella);
            }
            Leida& leida = lote.emplace_back();
            leida.id = c.idPesada;
            leida.puesto = puestoDe(c.puesto);
            leida.huellaAnterior.Pon(c.huellaAnterior);
            leida.huella.Pon(huella);
            leida.recalcula = recalcula;
        }
        if (!lector->Error().isEmpty())
            return Resultado::Fallo(lector->Error());
        lector->Finaliza();
        for (const Leida& e : lote) {
            ++m_entradas;
            if (!e.recalcula)
                falta("entry " + QString::number(e.id) + ": its fields do not give its Huella " +
                      Corta(QString::fromLatin1(e.huella.Vista())) +
                      " (changed since it was written)");
            // Without a range every gap on a file shows; within one, only those inside it.
            if (!servidor && anterior >= 0 && e.id > anterior + 1)
                falta(QString("entries %1 to %2: missing").arg(anterior + 1).arg(e.id - 1));
            anterior = e.id;
            Puesto& puesto = puestos[e.puesto];
            if (puesto.ultima.isNull()) {
                // The station's entry before the range, or none.
                previa.prepare("SELECT Huella FROM RegistroPesadas WHERE Puesto = ? AND "
                               "IdPesada < ? ORDER BY IdPesada DESC LIMIT 1");
                previa.addBindValue(puesto.texto);
                previa.addBindValue(e.id);
                if (!previa.exec())
                    return Error(previa, m_db);
                puesto.ultima =
                    (previa.next() ? previa.value(0).toString() : RegistroPesadas::HuellaInicial())
                        .toLatin1();
                previa.finish();
            }
            if (e.huellaAnterior.Vista() != puesto.ultima)
                falta("entry " + QString::number(e.id) + " (station " + puesto.texto +
                      "): HuellaAnterior " + Corta(QString::fromLatin1(e.huellaAnterior.Vista())) +
                      " is not the Huella of the station's entry before " +
                      Corta(QString::fromLatin1(puesto.ultima)) +
                      " (an entry removed, changed or added between them)");
            // Copied into the station's own buffer, which keeps its memory from entry to entry.
            puesto.ultima.resize(e.huella.longitud);
            std::copy_n(e.huella.bytes.data(), e.huella.longitud, puesto.ultima.data());
            desde = e.id;
        }
        mas = qsizetype(lote.size()) == Lote;
    }
    return {};
}

Resultado VerificaRegistro::Pesos(QSqlDatabase db,
                                  const std::function<void(const QString&)>& falta) {
    QString rango;
    QVariantList limites;
    if (m_desde.isValid()) {
        rango += " AND d.Fecha >= ?";
        limites << BaseDatos::FechaSQL(m_desde);
    }
    if (m_hasta.isValid()) {
        rango += " AND d.Fecha <= ?";
        limites << BaseDatos::FechaSQL(m_hasta);
    }
    // Lines in the order of their key, read from where the last batch ended.
    const QString sql =
        "SELECT d.IdPesada, d.NumAlbaran, d.Fecha, d.NumLinea, d.PesoBruto, r.Peso, "
        "r.Decimales, r.IdPesada FROM AlbaranesDetalle d LEFT JOIN RegistroPesadas r ON "
        "r.IdPesada = d.IdPesada WHERE (d.NumAlbaran, d.Fecha, d.NumLinea) > (?, ?, ?) AND "
        "d.IdPesada IS NOT NULL" +
        rango + " ORDER BY d.NumAlbaran, d.Fecha, d.NumLinea LIMIT " + QString::number(Lote);
    QVariantList desde = {QString(""), QString("0001-01-01"), 0};
    const std::unique_ptr<LectorConsulta> lector = LectorConsulta::Para(db);
    for (bool mas = true; mas;) {
        const PlazoServidor plazo(db);
        if (!lector->Ejecuta(sql, desde + limites))
            return Resultado::Fallo(lector->Error());
        int leidas = 0;
        while (lector->Siguiente()) {
            using A = LectorConsulta::Almacenado;
            ++leidas;
            ++m_lineas;
            const qint64 id = lector->Entero(0);
            const QByteArrayView numero = lector->Utf8(1), fecha = lector->Utf8(2);
            const qint64 linea = lector->Entero(3);
            if (leidas == Lote)
                desde = {QString::fromUtf8(numero), QString::fromUtf8(fecha), linea};
            const auto donde = [&] {
                return "note " + QString::fromUtf8(numero) + " of " + QString::fromUtf8(fecha) +
                       ", line " + QString::number(linea) + ": ";
            };
            if (lector->TipoAlmacenado(7) == A::Nulo) {
                falta(donde() + "its weighing log entry " + QString::number(id) + " is missing");
                continue;
            }
            const double bruto = lector->Real(4);
            const bool sinPeso = lector->TipoAlmacenado(5) == A::Nulo;
            if (!sinPeso && lector->Real(5) == bruto)
                continue;
            // A line keeps three decimals.
            const int decimales = std::min(int(lector->Entero(6)), 3);
            const QString textoBruto = RegistroPesadas::TextoPeso(bruto, decimales);
            const QString peso =
                sinPeso ? QString() : RegistroPesadas::TextoPeso(lector->Real(5), decimales);
            if (textoBruto != peso)
                falta(donde() + "PesoBruto " + textoBruto + " is not the weight " +
                      (peso.isEmpty() ? "(none)" : peso) + " of its weighing log entry " +
                      QString::number(id));
        }
        if (!lector->Error().isEmpty())
            return Resultado::Fallo(lector->Error());
        lector->Finaliza();
        mas = leidas == Lote;
    }
    return {};
}
