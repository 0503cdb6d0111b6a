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

constexpr const char* kCondicion = "NumAlbaran = ? AND Fecha = ?";
const QString kClave = QStringLiteral(" WHERE ") + kCondicion;

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

// The header's columns in the order Carga and Versiones read them.
constexpr const char* kCamposCabecera =
    "NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, Direccion1, Direccion2, "
    "FechaModificacion, Impreso, Anulado, Motivo, Copias, UltimaCopia";

// The header's texts a change of which makes a new version, after the key.
const QStringList kTextosCabecera = {"NomOperario", "CodCliente", "NomCliente", "Direccion1",
                                     "Direccion2"};

// Whether a value as stored is the one a save would write: numbers by their value, a missing
// value only as a missing one or an empty text.
bool Igual(const QVariant& guardado, const QVariant& escrito) {
    if (guardado.isNull() || escrito.isNull())
        return guardado.isNull() == escrito.isNull() ||
               (guardado.isNull() ? escrito : guardado).toString().isEmpty();
    if (escrito.typeId() == QMetaType::Double)
        return guardado.toDouble() == escrito.toDouble();
    return guardado.toString() == escrito.toString();
}

bool Iguales(const QVariantList& guardados, const QVariantList& escritos) {
    return std::equal(guardados.begin(), guardados.end(), escritos.begin(), escritos.end(), Igual);
}

QVariantList TextosCabecera(const Albaran& a) {
    return {NoNulo(a.NomOperario), NoNulo(a.CodCliente), NoNulo(a.NomCliente), NoNulo(a.Direccion1),
            NoNulo(a.Direccion2)};
}

// The values a save writes of each line, in the order of kCamposLinea.
Resultado ValoresLineas(const LineasAlbaran& lineas, std::vector<QVariantList>& filas) {
    filas.clear();
    for (int i = 0; i < lineas.Count(); ++i) {
        const FilaAlbaran& f = lineas.Item(i);
        QVariant tara(QMetaType::fromType<int>()); // no container
        if (!f[C::CodTara - 1].trimmed().isEmpty()) {
            const std::optional<qint32> codigo = CatalogoAlbaran::CodigoEntero(f[C::CodTara - 1]);
            if (!codigo)
                return Resultado::Fallo(
                    Texto(IdTexto::TaraNoEntera).arg(i + 1).arg(f[C::CodTara - 1]));
            tara = *codigo;
        }
        QVariantList fila = {NoNulo(f[C::CodProducto - 1]), NoNulo(f[C::NomProducto - 1]), tara};
        for (int c = C::PesoBruto; c <= C::PesoImporte; ++c)
            fila << ReglasLinea::NumeroCelda(f[c - 1]);
        fila << NoNulo(f[C::HoraPesada - 1]);
        // A weight typed by hand has no entry in the weighing log.
        bool conPesada = false;
        const qint64 pesada = f[C::IdPesada - 1].toLongLong(&conPesada);
        fila << (conPesada ? QVariant(pesada) : QVariant(QMetaType::fromType<int>()));
        filas.push_back(fila);
    }
    return {};
}

// The header's fields of a row read with kCamposCabecera.
Albaran LeeCabecera(const QSqlQuery& q) {
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
    a.Anulado = q.value(9).toBool();
    a.Motivo = q.value(10).toString();
    a.Copias = q.value(11).toInt();
    if (!q.value(12).isNull())
        a.UltimaCopia = BaseDatos::FechaHoraDeSQL(q.value(12));
    return a;
}
} // namespace

// What is stored of a note, as a save would compare it with what it writes.
struct AlmacenAlbaranes::Guardado {
    bool existe = false;
    bool anulado = false;
    QVariantList textos; // kTextosCabecera
    QVariantList marcas; // Anulado, Motivo, Copias, UltimaCopia
    std::vector<QVariantList> lineas;

    // Whether a save of these header texts and lines would write what is stored.
    bool Es(const QVariantList& textosEscritos,
            const std::vector<QVariantList>& lineasEscritas) const {
        return Iguales(textos, textosEscritos) &&
               std::equal(
                   lineas.begin(), lineas.end(), lineasEscritas.begin(), lineasEscritas.end(),
                   [](const QVariantList& g, const QVariantList& e) { return Iguales(g, e); });
    }
};

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
    std::vector<QVariantList> lineas;
    if (const Resultado r = ValoresLineas(a.Lineas, lineas); !r)
        return r;
    Transaccion t(m_db);
    if (!t.Inicio())
        return t.Inicio();
    const QString fecha = BaseDatos::FechaSQL(a.Fecha);
    if (vista) {
        if (const Resultado r = TomaCabecera(a.NumAlbaran, a.Fecha); !r)
            return r;
        QByteArray guardada;
        if (Resultado r = Version(a.NumAlbaran, a.Fecha, guardada); !r)
            return r;
        if (guardada != *vista) {
            cambiada = true;
            return {};
        }
    }
    Guardado g;
    if (const Resultado r = LeeGuardado(a.NumAlbaran, a.Fecha, g); !r)
        return r;
    const QVariantList textos = TextosCabecera(a);
    if (g.existe && !g.Es(textos, lineas)) {
        if (g.anulado)
            return Resultado::Fallo(Texto(IdTexto::AlbaranAnulado).arg(a.NumAlbaran));
        if (const Resultado r =
                CopiaVersion(a.NumAlbaran, a.Fecha, a.NomOperario, QDateTime::currentDateTime());
            !r)
            return r;
    }
    const QStringList campos =
        QStringList{"NumAlbaran", "Fecha"} + kTextosCabecera +
        QStringList{"FechaModificacion", "Impreso", "Anulado", "Motivo", "Copias", "UltimaCopia"};
    const QVariantList valores =
        QVariantList{NoNulo(a.NumAlbaran), fecha} + textos +
        QVariantList{BaseDatos::FechaHoraSQL(a.FechaModificacion), a.Impreso} +
        (g.existe ? g.marcas
                  : QVariantList{false, QVariant(QMetaType::fromType<QString>()), 0,
                                 QVariant(QMetaType::fromType<QString>())});
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
    for (size_t i = 0; i < lineas.size(); ++i) {
        q.addBindValue(NoNulo(a.NumAlbaran));
        q.addBindValue(fecha);
        q.addBindValue(int(i) + 1);
        for (const QVariant& v : lineas[i])
            q.addBindValue(v);
        if (const Resultado escrita = BaseDatos::Escribe(q); !escrita)
            return escrita;
    }
    return t.Confirma();
}

Resultado AlmacenAlbaranes::TomaCabecera(const QString& numero, const QDate& fecha) const {
    // Taking the header's row makes any other save or void of this note wait until this
    // transaction is done, so that what is read next is what it replaces.
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE AlbaranesCabeceras SET NumAlbaran = NumAlbaran") + kClave);
    BindClave(q, numero, fecha);
    return q.exec() ? Resultado{} : Error(q);
}

Resultado AlmacenAlbaranes::LeeGuardado(const QString& numero, const QDate& fecha,
                                        Guardado& g) const {
    g = {};
    QSqlQuery q(m_db);
    q.prepare("SELECT " + kTextosCabecera.join(", ") +
              ", Anulado, Motivo, Copias, UltimaCopia FROM AlbaranesCabeceras" + kClave);
    BindClave(q, numero, fecha);
    if (!q.exec())
        return Error(q);
    if (!q.next())
        return {};
    g.existe = true;
    const int n = int(kTextosCabecera.size());
    for (int i = 0; i < n; ++i)
        g.textos << q.value(i);
    g.anulado = q.value(n).toBool();
    g.marcas = {g.anulado, q.value(n + 1), q.value(n + 2).toInt(),
                q.value(n + 3).isNull()
                    ? QVariant(QMetaType::fromType<QString>())
                    : QVariant(BaseDatos::FechaHoraSQL(BaseDatos::FechaHoraDeSQL(q.value(n + 3))))};
    q.prepare(QStringLiteral("SELECT ") + kCamposLinea + " FROM AlbaranesDetalle" + kClave +
              " ORDER BY NumLinea");
    BindClave(q, numero, fecha);
    if (!q.exec())
        return Error(q);
    while (q.next()) {
        QVariantList fila;
        for (int c = 0; c < C::IdPesada; ++c)
            fila << q.value(c);
        g.lineas.push_back(fila);
    }
    return q.lastError().isValid() ? Error(q) : Resultado{};
}

Resultado AlmacenAlbaranes::CopiaVersion(const QString& numero, const QDate& fecha,
                                         const QString& operario, const QDateTime& ahora) const {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT COALESCE(MAX(Version), 0) + 1 FROM AlbaranesVersiones") +
              kClave);
    BindClave(q, numero, fecha);
    if (!q.exec() || !q.next())
        return Error(q);
    const int version = q.value(0).toInt();
    const QString condicion = kCondicion;
    const QVariantList clave = {NoNulo(numero), BaseDatos::FechaSQL(fecha)};
    int copiadas = 0;
    if (const Resultado r = RegistroSql::Copia(
            m_db, "AlbaranesCabeceras", "AlbaranesVersiones", condicion, clave,
            {"Version", "Reemplazada", "Puesto", "Operario"},
            {version, BaseDatos::FechaHoraSQL(ahora), NoNulo(m_puesto), NoNulo(operario)},
            copiadas);
        !r)
        return r;
    return RegistroSql::Copia(m_db, "AlbaranesDetalle", "AlbaranesVersionesDetalle", condicion,
                              clave, {"Version"}, {version}, copiadas);
}

Resultado AlmacenAlbaranes::Anula(const QString& numero, const QDate& fecha, bool anular,
                                  const QString& motivo, const QString& operario,
                                  const QDateTime& ahora) const {
    if (motivo.trimmed().size() < LongitudMinimaMotivo)
        return Resultado::Fallo(Texto(IdTexto::MotivoCorto).arg(LongitudMinimaMotivo));
    const PlazoServidor plazo(m_db);
    Transaccion t(m_db);
    if (!t.Inicio())
        return t.Inicio();
    if (const Resultado r = TomaCabecera(numero, fecha); !r)
        return r;
    Guardado g;
    if (const Resultado r = LeeGuardado(numero, fecha, g); !r)
        return r;
    if (!g.existe)
        return Resultado::Fallo(
            Texto(IdTexto::AlbaranNoGuardado).arg(numero, fecha.toString("yyyy-MM-dd")));
    if (g.anulado == anular)
        return Resultado::Fallo(
            Texto(anular ? IdTexto::YaAnulado : IdTexto::NoAnulado).arg(numero));
    if (const Resultado r = CopiaVersion(numero, fecha, operario, ahora); !r)
        return r;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE AlbaranesCabeceras SET Anulado = ?, Motivo = ?, "
                             "FechaModificacion = ?") +
              kClave);
    q.addBindValue(anular);
    q.addBindValue(motivo.trimmed());
    q.addBindValue(BaseDatos::FechaHoraSQL(ahora));
    BindClave(q, numero, fecha);
    if (const Resultado r = BaseDatos::Escribe(q); !r)
        return r;
    return t.Confirma();
}

Resultado AlmacenAlbaranes::RegistraCopia(const Albaran& a, const QDateTime& ahora,
                                          bool& registrada) const {
    registrada = false;
    std::vector<QVariantList> lineas;
    if (!ValoresLineas(a.Lineas, lineas))
        return {}; // a note that cannot be saved is not the stored one
    const PlazoServidor plazo(m_db);
    Transaccion t(m_db);
    if (!t.Inicio())
        return t.Inicio();
    Guardado g;
    if (const Resultado r = LeeGuardado(a.NumAlbaran, a.Fecha, g); !r)
        return r;
    if (!g.existe || !g.Es(TextosCabecera(a), lineas))
        return {};
    QSqlQuery q(m_db);
    q.prepare(
        QStringLiteral(
            "UPDATE AlbaranesCabeceras SET Copias = COALESCE(Copias, 0) + 1, UltimaCopia = ?") +
        kClave);
    q.addBindValue(BaseDatos::FechaHoraSQL(ahora));
    BindClave(q, a.NumAlbaran, a.Fecha);
    if (const Resultado r = BaseDatos::Escribe(q); !r)
        return r;
    if (const Resultado r = t.Confirma(); !r)
        return r;
    registrada = true;
    return {};
}

Resultado AlmacenAlbaranes::CargaCabecera(const QString& numero, const QDate& fecha,
                                          std::optional<Albaran>& albaran) const {
    albaran.reset();
    const PlazoServidor plazo(m_db);
    if (Resultado r = BaseDatos::Conecta(m_db); !r)
        return r;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT ") + kCamposCabecera + " FROM AlbaranesCabeceras" + kClave);
    BindClave(q, numero, fecha);
    if (!q.exec())
        return Error(q);
    if (!q.next())
        return {};
    Albaran a = LeeCabecera(q);
    if (const Resultado r = NumeroVersiones(numero, fecha, a.Versiones); !r)
        return r;
    albaran = std::move(a);
    return {};
}

Resultado AlmacenAlbaranes::Carga(const QString& numero, const QDate& fecha,
                                  std::optional<Albaran>& albaran) const {
    std::optional<Albaran> cabecera;
    if (Resultado r = CargaCabecera(numero, fecha, cabecera); !r || !cabecera) {
        albaran.reset();
        return r;
    }
    const PlazoServidor plazo(m_db);
    if (const Resultado r = LeeLineas("AlbaranesDetalle", QString(kCondicion),
                                      ClaveLineas(numero, fecha), cabecera->Lineas);
        !r)
        return r;
    albaran = std::move(cabecera);
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

Resultado AlmacenAlbaranes::LeeLineas(const QString& tabla, const QString& condicion,
                                      const QVariantList& valores, LineasAlbaran& lineas) const {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT ") + kCamposLinea + " FROM " + tabla + " WHERE " + condicion +
              " ORDER BY NumLinea");
    for (const QVariant& v : valores)
        q.addBindValue(v);
    if (!q.exec())
        return Error(q);
    while (q.next()) {
        FilaAlbaran f;
        for (int c = 1; c <= C::IdPesada; ++c)
            PonCelda(f, c, q.value(c - 1), m_separador);
        lineas.Add(f);
    }
    return q.lastError().isValid() ? Error(q) : Resultado{};
}

Resultado AlmacenAlbaranes::NumeroVersiones(const QString& numero, const QDate& fecha,
                                            int& cuantas) const {
    cuantas = 0;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM AlbaranesVersiones") + kClave);
    BindClave(q, numero, fecha);
    if (!q.exec() || !q.next())
        return Error(q);
    cuantas = q.value(0).toInt();
    return {};
}

Resultado AlmacenAlbaranes::Versiones(const QString& numero, const QDate& fecha,
                                      std::vector<VersionAlbaran>& versiones) const {
    versiones.clear();
    const PlazoServidor plazo(m_db);
    if (Resultado r = BaseDatos::Conecta(m_db); !r)
        return r;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT ") + kCamposCabecera +
              ", Version, Reemplazada, Puesto, Operario FROM AlbaranesVersiones" + kClave +
              " ORDER BY Version");
    BindClave(q, numero, fecha);
    if (!q.exec())
        return Error(q);
    while (q.next()) {
        VersionAlbaran v;
        v.Nota = LeeCabecera(q);
        v.Version = q.value(13).toInt();
        v.Reemplazada = BaseDatos::FechaHoraDeSQL(q.value(14));
        v.Puesto = q.value(15).toString();
        v.Operario = q.value(16).toString();
        versiones.push_back(std::move(v));
    }
    if (q.lastError().isValid())
        return Error(q);
    for (VersionAlbaran& v : versiones)
        if (const Resultado r =
                LeeLineas("AlbaranesVersionesDetalle", QString(kCondicion) + " AND Version = ?",
                          {NoNulo(numero), BaseDatos::FechaSQL(fecha), v.Version}, v.Nota.Lineas);
            !r)
            return r;
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
