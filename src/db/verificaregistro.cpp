#include "db/verificaregistro.h"

#include "db/basedatos.h"
#include "db/conexionpostgres.h"
#include "db/plazoservidor.h"
#include "db/registropesadas.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

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
    if (Resultado r = Cadenas(cuenta); !r)
        return r;
    if (Resultado r = Pesos(cuenta); !r)
        return r;
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
    QHash<QString, QString> ultima; // each station's last fingerprint, by its name in lower case
    qint64 anterior = -1;           // the number read before, for the gaps
    qint64 desde = 0;               // entries are numbered from 1
    QSqlQuery q(m_db), previa(m_db);
    q.setForwardOnly(true);
    for (bool mas = true; mas;) {
        const PlazoServidor plazo(m_db);
        q.prepare(QStringLiteral("SELECT ") + RegistroPesadas::kColumnas +
                  ", Huella FROM RegistroPesadas WHERE IdPesada > ?" + rango +
                  " ORDER BY IdPesada LIMIT " + QString::number(Lote));
        q.addBindValue(desde);
        for (const QVariant& v : limites)
            q.addBindValue(v);
        if (!q.exec())
            return Error(q, m_db);
        // The batch is read whole before the look-ups below: a server connection answers one
        // statement at a time.
        QList<std::pair<RegistroPesadas::Entrada, QStringList>> lote;
        while (q.next()) {
            const RegistroPesadas::Entrada e = RegistroPesadas::Lee(q);
            lote.append({e, {q.value(1).toString(), q.value(12).toString()}});
        }
        if (q.lastError().isValid())
            return Error(q, m_db);
        q.finish();
        for (const auto& [e, guardados] : std::as_const(lote)) {
            ++m_entradas;
            const QString& huella = guardados.at(1);
            const QString n = QString::number(e.idPesada);
            if (RegistroPesadas::TextoFechaHora(e.fechaHora) != guardados.at(0) ||
                RegistroPesadas::CalculaHuella(e) != huella)
                falta("entry " + n + ": its fields do not give its Huella " + Corta(huella) +
                      " (changed since it was written)");
            // Without a range every gap on a file shows; within one, only those inside it.
            if (!servidor && anterior >= 0 && e.idPesada > anterior + 1)
                falta(QString("entries %1 to %2: missing").arg(anterior + 1).arg(e.idPesada - 1));
            anterior = e.idPesada;
            const QString puesto = e.puesto.toLower();
            auto it = ultima.find(puesto);
            if (it == ultima.end()) {
                // The station's entry before the range, or none.
                previa.prepare("SELECT Huella FROM RegistroPesadas WHERE Puesto = ? AND "
                               "IdPesada < ? ORDER BY IdPesada DESC LIMIT 1");
                previa.addBindValue(e.puesto);
                previa.addBindValue(e.idPesada);
                if (!previa.exec())
                    return Error(previa, m_db);
                it = ultima.insert(puesto, previa.next() ? previa.value(0).toString()
                                                         : RegistroPesadas::HuellaInicial());
                previa.finish();
            }
            if (e.huellaAnterior != *it)
                falta("entry " + n + " (station " + e.puesto + "): HuellaAnterior " +
                      Corta(e.huellaAnterior) +
                      " is not the Huella of the station's entry before " + Corta(*it) +
                      " (an entry removed, changed or added between them)");
            *it = huella;
            desde = e.idPesada;
        }
        mas = lote.size() == Lote;
    }
    return {};
}

Resultado VerificaRegistro::Pesos(const std::function<void(const QString&)>& falta) {
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
    // Lines in the order of their entries, then of their notes, read from where the last batch
    // ended.
    QVariantList desde = {qint64(0), QString(), QString(), 0};
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    for (bool mas = true; mas;) {
        const PlazoServidor plazo(m_db);
        q.prepare("SELECT d.IdPesada, d.NumAlbaran, d.Fecha, d.NumLinea, d.PesoBruto, r.Peso, "
                  "r.Decimales, r.IdPesada FROM AlbaranesDetalle d LEFT JOIN RegistroPesadas r ON "
                  "r.IdPesada = d.IdPesada WHERE d.IdPesada IS NOT NULL AND (d.IdPesada > ? OR "
                  "(d.IdPesada = ? AND (d.Fecha > ? OR (d.Fecha = ? AND (d.NumAlbaran > ? OR "
                  "(d.NumAlbaran = ? AND d.NumLinea > ?))))))" +
                  rango + " ORDER BY d.IdPesada, d.Fecha, d.NumAlbaran, d.NumLinea LIMIT " +
                  QString::number(Lote));
        for (const QVariant& v :
             {desde[0], desde[0], desde[2], desde[2], desde[1], desde[1], desde[3]})
            q.addBindValue(v);
        for (const QVariant& v : limites)
            q.addBindValue(v);
        if (!q.exec())
            return Error(q, m_db);
        int leidas = 0;
        while (q.next()) {
            ++leidas;
            ++m_lineas;
            const qint64 id = q.value(0).toLongLong();
            const QString numero = q.value(1).toString();
            const QDate fecha = BaseDatos::FechaDeSQL(q.value(2));
            const int linea = q.value(3).toInt();
            desde = {id, numero, BaseDatos::FechaSQL(fecha), linea};
            const QString donde = "note " + numero + " of " + fecha.toString(Qt::ISODate) +
                                  ", line " + QString::number(linea) + ": ";
            if (q.value(7).isNull()) {
                falta(donde + "its weighing log entry " + QString::number(id) + " is missing");
                continue;
            }
            // A line keeps three decimals.
            const int decimales = std::min(q.value(6).toInt(), 3);
            const QString bruto = RegistroPesadas::TextoPeso(q.value(4).toDouble(), decimales);
            const QString peso = q.value(5).isNull()
                                     ? QString()
                                     : RegistroPesadas::TextoPeso(q.value(5).toDouble(), decimales);
            if (bruto != peso)
                falta(donde + "PesoBruto " + bruto + " is not the weight " +
                      (peso.isEmpty() ? "(none)" : peso) + " of its weighing log entry " +
                      QString::number(id));
        }
        if (q.lastError().isValid())
            return Error(q, m_db);
        mas = leidas == Lote;
        q.finish();
    }
    return {};
}
