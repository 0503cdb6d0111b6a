#include "notedata/almacenalbaranes.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/basedatos.h"
#include "db/plazoservidor.h"
#include "db/registrosql.h"
#include "db/transaccion.h"
#include "notedata/catalogoalbaran.h"
#include "notedata/reglaslinea.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
using C = LineasAlbaran::Columna;

constexpr const char* kClave = " WHERE NumAlbaran = ? AND Fecha = ?";

// Texts are stored as they stand; an empty one is empty text, not a missing value.
QString NoNulo(const QString& celda) {
    return celda.isNull() ? QStringLiteral("") : celda;
}

void BindClave(QSqlQuery& q, const QString& numero, const QDate& fecha) {
    q.addBindValue(NoNulo(numero));
    q.addBindValue(BaseDatos::FechaSQL(fecha));
}

Resultado Error(const QSqlQuery& q) {
    return Resultado::Fallo(BaseDatos::TextoError(q.lastError()));
}

// The columns of a line after its key, in the order of the cells.
constexpr const char* kCamposLinea =
    "CodProducto, NomProducto, CodTara, PesoBruto, PesoTara, PesoNeto, Precio, PesoImporte, "
    "HoraPesada, IdPesada";
} // namespace

Resultado AlmacenAlbaranes::Existe(const QString& numero, const QDate& fecha, bool& existe) const {
    const PlazoServidor plazo(m_db);
    if (Resultado r = BaseDatos::Conecta(m_db); !r)
        return r;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM AlbaranesCabeceras") + kClave);
    BindClave(q, numero, fecha);
    if (!q.exec() || !q.next())
        return Error(q);
    existe = q.value(0).toLongLong() > 0;
    return {};
}

Resultado AlmacenAlbaranes::Version(const QString& numero, const QDate& fecha,
                                    QByteArray& version) const {
    version.clear();
    const PlazoServidor plazo(m_db);
    if (Resultado r = BaseDatos::Conecta(m_db); !r)
        return r;
    QCryptographicHash huella(QCryptographicHash::Sha1);
    QSqlQuery q(m_db);
    const QString consultas[] = {QStringLiteral("SELECT * FROM AlbaranesCabeceras") + kClave,
                                 QStringLiteral("SELECT * FROM AlbaranesDetalle") + kClave +
                                     " ORDER BY NumLinea"};
    for (const QString& sql : consultas) {
        q.prepare(sql);
        BindClave(q, numero, fecha);
        if (!q.exec())
            return Error(q);
        int filas = 0;
        for (; q.next(); ++filas)
            for (int i = 0; i < q.record().count(); ++i) {
                const QVariant v = q.value(i);
                huella.addData(v.isNull() ? QByteArray("\\N") : v.toString().toUtf8());
                huella.addData(QByteArrayView("\x1f", 1));
            }
        if (filas == 0 && &sql == consultas)
            return {}; // no header: no note
        huella.addData(QByteArray::number(filas) + '\n');
    }
    version = huella.result();
    return {};
}

Resultado AlmacenAlbaranes::Guardable(const Albaran& a) {
    if (a.NumAlbaran.trimmed().isEmpty())
        return Resultado::Fallo(Texto(IdTexto::AlbaranSinNumero));
    return {};
}

Resultado AlmacenAlbaranes::Guarda(const Albaran& a) const {
    bool cambiada = false;
    return Escribe(a, nullptr, cambiada);
}

Resultado AlmacenAlbaranes::GuardaSiNoCambia(const Albaran& a, const QByteArray& vista,
                                             bool& cambiada) const {
    cambiada = false;
    if (const Resultado v = Guardable(a); !v)
        return v;
    const Resultado r = Escribe(a, &vista, cambiada);
    if (r || cambiada || PlazoServidor::Cortada(m_db))
        return r;
    // Two stations adding the same note at once: the second one's key collides with the
    // first's once that is committed.
    QByteArray ahora;
    if (Version(a.NumAlbaran, a.Fecha, ahora) && ahora != vista) {
        cambiada = true;
        return {};
    }
    return r;
}

Resultado AlmacenAlbaranes::GuardaPreguntando(const Albaran& a,
                                              const std::function<bool(int idTexto)>& pregunta,
                                              bool& guardada) const {
    guardada = false;
    // What is stored is asked about before saving, and checked again as the save writes.
    for (int texto = IdTexto::AlbaranExistente;; texto = IdTexto::AlbaranGuardadoEntretanto) {
        QByteArray vista;
        if (const Resultado r = Version(a.NumAlbaran, a.Fecha, vista); !r)
            return r;
        if (!vista.isEmpty() && !pregunta(texto))
            return {};
        bool cambiada = false;
        if (const Resultado r = GuardaSiNoCambia(a, vista, cambiada); !r || !cambiada) {
            guardada = bool(r);
            return r;
        }
    }
}

Resultado AlmacenAlbaranes::Escribe(const Albaran& a, const QByteArray* vista,
                                    bool& cambiada) const {
    cambiada = false;
    if (const Resultado v = Guardable(a); !v)
        return v;
    Transaccion t(m_db);
    if (!t.Inicio())
        return t.Inicio();
    const QString fecha = BaseDatos::FechaSQL(a.Fecha);
    if (vista) {
        // Taking the header's row first makes any other save of this note wait until this one
        // is done, so that what is read next is what this save replaces.
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("UPDATE AlbaranesCabeceras SET NumAlbaran = NumAlbaran") + kClave);
        BindClave(q, a.NumAlbaran, a.Fecha);
        if (!q.exec())
            return Error(q);
        QByteArray guardada;
        if (Resultado r = Version(a.NumAlbaran, a.Fecha, guardada); !r)
            return r;
        if (guardada != *vista) {
            cambiada = true;
            return {};
        }
    }
    const QStringList campos = {"NumAlbaran", "Fecha",      "NomOperario", "CodCliente",
                                "NomCliente", "Direccion1", "Direccion2",  "FechaModificacion",
                                "Impreso"};
    const QVariantList valores = {NoNulo(a.NumAlbaran),
                                  fecha,
                                  NoNulo(a.NomOperario),
                                  NoNulo(a.CodCliente),
                                  NoNulo(a.NomCliente),
                                  NoNulo(a.Direccion1),
                                  NoNulo(a.Direccion2),
                                  BaseDatos::FechaHoraSQL(a.FechaModificacion),
                                  a.Impreso};
    // A note that was not stored when the station decided is only added: the key then tells
    // of another station that added it meanwhile, even one that commits while this save runs
    // (a change by key would change its note instead).
    Resultado r = vista && vista->isEmpty()
                      ? RegistroSql::Inserta(m_db, "AlbaranesCabeceras", campos, valores)
                      : RegistroSql::Guarda(m_db, "AlbaranesCabeceras", campos, valores, 2);
    if (!r)
        return r;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM AlbaranesDetalle") + kClave);
    BindClave(q, a.NumAlbaran, a.Fecha);
    if (!q.exec())
        return Error(q);
    q.prepare(QStringLiteral("INSERT INTO AlbaranesDetalle (NumAlbaran, Fecha, NumLinea, ") +
              kCamposLinea + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (int i = 0; i < a.Lineas.Count(); ++i) {
        const FilaAlbaran& f = a.Lineas.Item(i);
        QVariant tara(QMetaType::fromType<int>()); // no container
        if (!f[C::CodTara - 1].trimmed().isEmpty()) {
            const std::optional<qint32> codigo = CatalogoAlbaran::CodigoEntero(f[C::CodTara - 1]);
            if (!codigo)
                return Resultado::Fallo(
                    Texto(IdTexto::TaraNoEntera).arg(i + 1).arg(f[C::CodTara - 1]));
            tara = *codigo;
        }
        q.addBindValue(NoNulo(a.NumAlbaran));
        q.addBindValue(fecha);
        q.addBindValue(i + 1);
        q.addBindValue(NoNulo(f[C::CodProducto - 1]));
        q.addBindValue(NoNulo(f[C::NomProducto - 1]));
        q.addBindValue(tara);
        for (int c = C::PesoBruto; c <= C::PesoImporte; ++c)
            q.addBindValue(ReglasLinea::NumeroCelda(f[c - 1]));
        q.addBindValue(NoNulo(f[C::HoraPesada - 1]));
        // A weight typed by hand has no entry in the weighing log.
        bool conPesada = false;
        const qint64 pesada = f[C::IdPesada - 1].toLongLong(&conPesada);
        q.addBindValue(conPesada ? QVariant(pesada) : QVariant(QMetaType::fromType<int>()));
        if (const Resultado escrita = BaseDatos::Escribe(q); !escrita)
            return escrita;
    }
    return t.Confirma();
}

Resultado AlmacenAlbaranes::CargaCabecera(const QString& numero, const QDate& fecha,
                                          std::optional<Albaran>& albaran) const {
    albaran.reset();
    const PlazoServidor plazo(m_db);
    if (Resultado r = BaseDatos::Conecta(m_db); !r)
        return r;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, "
                             "Direccion1, Direccion2, FechaModificacion, Impreso "
                             "FROM AlbaranesCabeceras") +
              kClave);
    BindClave(q, numero, fecha);
    if (!q.exec())
        return Error(q);
    if (!q.next())
        return {};
    Albaran a;
    a.NumAlbaran = q.value(0).toString();
    a.Fecha = BaseDatos::FechaDeSQL(q.value(1));
    a.NomOperario = q.value(2).toString();
    a.CodCliente = q.value(3).toString();
    a.NomCliente = q.value(4).toString();
    a.Direccion1 = q.value(5).toString();
    a.Direccion2 = q.value(6).toString();
    a.FechaModificacion = BaseDatos::FechaHoraDeSQL(q.value(7));
    a.Impreso = q.value(8).toBool();
    albaran = std::move(a);
    return {};
}

QString AlmacenAlbaranes::ConsultaLineas() {
    return QStringLiteral("SELECT ") + kCamposLinea + " FROM AlbaranesDetalle" + kClave +
           " ORDER BY NumLinea";
}

QVariantList AlmacenAlbaranes::ClaveLineas(const QString& numero, const QDate& fecha) {
    return {NoNulo(numero), BaseDatos::FechaSQL(fecha)};
}

void AlmacenAlbaranes::PonCelda(FilaAlbaran& fila, int columna, const QVariant& valor,
                                const QString& separadorDecimal) {
    if (valor.isNull())
        return;
    if (columna >= C::PesoBruto && columna <= C::PesoImporte)
        fila[columna - 1] =
            ReglasLinea::Formato(valor.toDouble(), columna < C::Precio ? 3 : 2, separadorDecimal);
    else
        fila[columna - 1] = valor.toString();
}

Resultado AlmacenAlbaranes::Carga(const QString& numero, const QDate& fecha,
                                  std::optional<Albaran>& albaran) const {
    std::optional<Albaran> cabecera;
    if (Resultado r = CargaCabecera(numero, fecha, cabecera); !r || !cabecera) {
        albaran.reset();
        return r;
    }
    const PlazoServidor plazo(m_db);
    QSqlQuery q(m_db);
    q.prepare(ConsultaLineas());
    BindClave(q, numero, fecha);
    if (!q.exec())
        return Error(q);
    while (q.next()) {
        FilaAlbaran f;
        for (int c = 1; c <= C::IdPesada; ++c)
            PonCelda(f, c, q.value(c - 1), m_separador);
        cabecera->Lineas.Add(f);
    }
    if (q.lastError().isValid())
        return Error(q);
    albaran = std::move(cabecera);
    return {};
}

bool AlmacenAlbaranes::LeeIdSelector(const QString& id, QString& numero, QDate& fecha) {
    const QDate d = QDate::fromString(id.left(10), "dd/MM/yyyy");
    if (!d.isValid() || id.mid(10, 3) != " - ")
        return false;
    fecha = d;
    numero = id.mid(13);
    return true;
}
