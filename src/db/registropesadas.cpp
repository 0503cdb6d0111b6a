#include "db/registropesadas.h"

#include "db/basedatos.h"
#include "db/conexionpostgres.h"
#include "db/esquema.h"
#include "db/esquemapostgres.h"
#include "db/plazoservidor.h"
#include "db/sha256.h"
#include "db/transaccion.h"

#include <QSqlQuery>
#include <charconv>

namespace {
// The first key of the lock a station's writers take turns on, the same in every program.
constexpr int kCerrojoRegistro = 0x50455358;

// Texts are stored as they stand; an empty one (a frame without unit) is empty text, not none.
QVariant NoNulo(const QString& texto) {
    return texto.isNull() ? QStringLiteral("") : texto;
}

Resultado Error(const QSqlQuery& q, const QSqlDatabase& db) {
    return Resultado::Fallo(BaseDatos::TextoError(q.lastError(), db));
}
} // namespace

QString RegistroPesadas::TextoFechaHora(const QDateTime& momento) {
    return momento.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString RegistroPesadas::TextoPeso(std::optional<double> peso, int decimales) {
    return peso ? QString::number(*peso, 'f', qBound(0, decimales, 9)) : QString();
}

QByteArray RegistroPesadas::TextoCanonico(const Entrada& e) {
    const QByteArray textos[] = {TextoFechaHora(e.fechaHora).toUtf8(),
                                 e.puesto.toUtf8(),
                                 e.evento.toUtf8(),
                                 TextoPeso(e.peso, e.decimales).toUtf8(),
                                 e.unidad.toUtf8(),
                                 e.estado.toUtf8(),
                                 e.bruto.toUtf8(),
                                 e.trama.toHex(),
                                 e.huellaAnterior.toUtf8()};
    QByteArray texto;
    EscribeCanonico({e.idPesada, textos[0], textos[1], textos[2], e.tipoBascula, textos[3],
                     e.decimales, textos[4], textos[5], textos[6], textos[7], textos[8]},
                    texto);
    return texto;
}

void RegistroPesadas::EscribeCanonico(const Campos& c, QByteArray& texto) {
    texto.clear();
    const auto numero = [&texto](qint64 n) {
        char cifras[24];
        texto.append(cifras, std::to_chars(cifras, cifras + sizeof cifras, n).ptr - cifras);
    };
    numero(c.idPesada);
    for (const QByteArrayView campo : {c.fechaHora, c.puesto, c.evento})
        texto.append('\t').append(campo);
    texto.append('\t');
    numero(c.tipoBascula);
    texto.append('\t').append(c.peso).append('\t');
    numero(c.decimales);
    for (const QByteArrayView campo : {c.unidad, c.estado, c.bruto, c.trama, c.huellaAnterior})
        texto.append('\t').append(campo);
    texto.append('\n');
}

QString RegistroPesadas::CalculaHuella(const Entrada& e) {
    return QString::fromLatin1(Sha256::Hexadecimal(TextoCanonico(e)));
}

QString RegistroPesadas::Huella(QSqlDatabase db, qint64 idPesada) {
    const PlazoServidor plazo(db);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT Huella FROM RegistroPesadas WHERE IdPesada = ?"));
    q.addBindValue(idPesada);
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

Resultado RegistroPesadas::Anade(QSqlDatabase db, Entrada& e) {
    const TablaEsquema& t = *Esquema::Tabla(QStringLiteral("RegistroPesadas"));
    const bool servidor = ConexionPostgres::EsPostgres(db);
    Entrada nueva = e;
    Transaccion transaccion(db);
    if (!transaccion.Inicio())
        return transaccion.Inicio();
    QSqlQuery q(db);
    // A SQLite file is already held for writing (BEGIN IMMEDIATE); a server serialises the
    // station's writers only, until the commit.
    if (servidor) {
        q.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(?, hashtext(lower(?)))"));
        q.addBindValue(kCerrojoRegistro);
        q.addBindValue(nueva.puesto);
        if (!q.exec())
            return Error(q, db);
    }
    q.prepare(QStringLiteral("SELECT Huella FROM RegistroPesadas WHERE Puesto = ? ORDER BY "
                             "IdPesada DESC LIMIT 1"));
    q.addBindValue(nueva.puesto);
    if (!q.exec())
        return Error(q, db);
    nueva.huellaAnterior = q.next() ? q.value(0).toString() : HuellaInicial();
    if (!q.exec(servidor ? "SELECT nextval('" + EsquemaPostgres::Secuencia(t) + "')"
                         : QStringLiteral("SELECT COALESCE(MAX(IdPesada), 0) + 1 FROM "
                                          "RegistroPesadas")) ||
        !q.next())
        return Error(q, db);
    nueva.idPesada = q.value(0).toLongLong();
    q.finish();
    nueva.huella = CalculaHuella(nueva);

    q.prepare(QStringLiteral(
        "INSERT INTO RegistroPesadas (IdPesada, FechaHora, Puesto, Evento, TipoBascula, Peso, "
        "Decimales, Unidad, Estado, Bruto, Trama, HuellaAnterior, Huella) VALUES (?, ?, ?, ?, "
        "?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& v :
         {QVariant(nueva.idPesada), QVariant(TextoFechaHora(nueva.fechaHora)), NoNulo(nueva.puesto),
          NoNulo(nueva.evento), QVariant(nueva.tipoBascula),
          nueva.peso ? QVariant(*nueva.peso) : QVariant(QMetaType(QMetaType::Double)),
          QVariant(nueva.decimales), NoNulo(nueva.unidad), NoNulo(nueva.estado),
          NoNulo(nueva.bruto), NoNulo(QString::fromLatin1(nueva.trama.toHex())),
          QVariant(nueva.huellaAnterior), QVariant(nueva.huella)})
        q.addBindValue(v);
    if (const Resultado r = BaseDatos::Escribe(q); !r)
        return r;
    if (const Resultado r = transaccion.Confirma(); !r)
        return r;
    e = nueva;
    return {};
}

RegistroPesadas::Entrada RegistroPesadas::Lee(const QSqlQuery& q) {
    Entrada e;
    e.idPesada = q.value(0).toLongLong();
    e.fechaHora = QDateTime::fromString(q.value(1).toString(), "yyyy-MM-dd HH:mm:ss.zzz");
    e.puesto = q.value(2).toString();
    e.evento = q.value(3).toString();
    e.tipoBascula = q.value(4).toInt();
    if (!q.value(5).isNull())
        e.peso = q.value(5).toDouble();
    e.decimales = q.value(6).toInt();
    e.unidad = q.value(7).toString();
    e.estado = q.value(8).toString();
    e.bruto = q.value(9).toString();
    e.trama = QByteArray::fromHex(q.value(10).toString().toLatin1());
    e.huellaAnterior = q.value(11).toString();
    return e;
}
