#include "notes/datasetalbaran.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/recordsetmemoria.h"
#include "db/registropesadas.h"
#include "notedata/almacenalbaranes.h"
#include "notedata/catalogoalbaran.h"
#include "notedata/reglaslinea.h"
#include "notedata/totalesalbaran.h"
#include "notes/lineasguardadas.h"

#include <memory>

namespace {
using T = Recordset::Tipo;
using C = LineasAlbaran::Columna;

// An empty table with its fields, in order.
std::shared_ptr<RecordsetMemoria> Tabla(std::initializer_list<std::pair<const char*, T>> campos) {
    auto tabla = std::make_shared<RecordsetMemoria>();
    for (const auto& [nombre, tipo] : campos)
        tabla->AgregaCampo(QString::fromLatin1(nombre), tipo);
    return tabla;
}
} // namespace

const QList<std::pair<QString, Recordset::Tipo>>& DatasetAlbaran::CamposDetalle() {
    static const QList<std::pair<QString, T>> campos = {
        {"NumAlbaran", T::Texto},  {"Fecha", T::Fecha},       {"NumLinea", T::Entero},
        {"CodProducto", T::Texto}, {"NomProducto", T::Texto}, {"CodTara", T::Entero},
        {"PesoBruto", T::Doble},   {"PesoTara", T::Doble},    {"PesoNeto", T::Doble},
        {"Precio", T::Doble},      {"PesoImporte", T::Doble}, {"HoraPesada", T::Texto},
        {"Manual", T::Texto},      {"IdPesada", T::Entero},   {"Huella", T::Texto}};
    return campos;
}

QVariantList DatasetAlbaran::RegistroDetalle(const QString& numeroAlbaran, const QDate& fecha,
                                             int linea, const FilaAlbaran& f,
                                             const clsDatosApp& ajustes, bool conHuella) {
    // A weight from the scale prints its weighing log entry and fingerprint, so that the
    // paper can be matched against the log; a typed one prints the manual mark.
    const bool manual = LineasAlbaran::Manual(f);
    bool conPesada = false;
    const qint64 pesada = f[C::IdPesada - 1].toLongLong(&conPesada);
    auto numero = [&f](int columna) { return ReglasLinea::NumeroCelda(f[columna - 1]); };
    const std::optional<qint32> codigoTara = CatalogoAlbaran::CodigoEntero(f[C::CodTara - 1]);
    return {numeroAlbaran,
            fecha,
            linea,
            f[C::CodProducto - 1],
            f[C::NomProducto - 1],
            codigoTara ? QVariant(*codigoTara) : QVariant(QMetaType::fromType<qint32>()),
            numero(C::PesoBruto),
            numero(C::PesoTara),
            numero(C::PesoProducto),
            numero(C::Precio),
            numero(C::PesoImporte),
            f[C::HoraPesada - 1],
            manual ? Texto(IdTexto::MarcaManual) : QString(),
            conPesada ? QVariant(pesada) : QVariant(QMetaType::fromType<qint32>()),
            conPesada && conHuella ? RegistroPesadas::Huella(ajustes.Conexion(), pesada)
                                   : QString()};
}

namespace {
std::shared_ptr<RecordsetMemoria> Empresa(const clsDatosApp& ajustes) {
    auto empresa = Tabla({{"Nombre", T::Texto},
                          {"NIF", T::Texto},
                          {"Linea1", T::Texto},
                          {"Linea2", T::Texto},
                          {"Linea3", T::Texto}});
    empresa->AgregaRegistro({ajustes.Cliente(), ajustes.NIFCliente(), ajustes.DatosEmpresa(0),
                             ajustes.DatosEmpresa(1), ajustes.DatosEmpresa(2)});
    return empresa;
}

std::shared_ptr<RecordsetMemoria> Cabecera(const Albaran& a, const TotalesAlbaran& t, int manuales,
                                           const QDateTime& ahora, bool copia) {
    auto cabecera = Tabla({{"NumAlbaran", T::Texto},
                           {"Fecha", T::Fecha},
                           {"NomOperario", T::Texto},
                           {"CodCliente", T::Texto},
                           {"NomCliente", T::Texto},
                           {"Direccion1", T::Texto},
                           {"Direccion2", T::Texto},
                           {"FechaModificacion", T::FechaHora},
                           {"FechaImpresion", T::FechaHora},
                           {"Impreso", T::Booleano},
                           {"TotalBruto", T::Doble},
                           {"TotalTara", T::Doble},
                           {"TotalNeto", T::Doble},
                           {"TotalPrecio", T::Doble},
                           {"LineasManuales", T::Entero},
                           {"Copia", T::Texto},
                           {"Anulado", T::Texto}});
    cabecera->AgregaRegistro({a.NumAlbaran, a.Fecha, a.NomOperario, a.CodCliente, a.NomCliente,
                              a.Direccion1, a.Direccion2, a.FechaModificacion, ahora, a.Impreso,
                              t.bruto, t.tara, t.neto, t.importe, manuales,
                              copia ? Texto(IdTexto::MarcaCopia) : QString(),
                              a.Anulado ? Texto(IdTexto::MarcaAnulado) : QString()});
    return cabecera;
}

Dataset Junta(std::shared_ptr<Recordset> empresa, std::shared_ptr<Recordset> detalle,
              std::shared_ptr<Recordset> cabecera) {
    Dataset datos;
    for (const auto& [tabla, clave] : {std::pair{empresa, "Empresa"}, std::pair{detalle, "Detalle"},
                                       std::pair{cabecera, "Cabecera"}}) {
        tabla->MoveFirst();
        datos.Add(tabla, QString::fromLatin1(clave));
    }
    return datos;
}
} // namespace

Dataset DatasetAlbaran::Crea(const Albaran& a, const clsDatosApp& ajustes, const QDateTime& ahora,
                             bool copia) {
    auto detalle = std::make_shared<RecordsetMemoria>();
    for (const auto& [nombre, tipo] : CamposDetalle())
        detalle->AgregaCampo(nombre, tipo);
    int manuales = 0;
    for (int i = 0; i < a.Lineas.Count(); ++i) {
        const FilaAlbaran& f = a.Lineas.Item(i);
        manuales += LineasAlbaran::Manual(f);
        detalle->AgregaRegistro(RegistroDetalle(a.NumAlbaran, a.Fecha, i + 1, f, ajustes));
    }
    return Junta(Empresa(ajustes), detalle,
                 Cabecera(a, TotalesAlbaran::De(a.Lineas), manuales, ahora, copia));
}

Resultado DatasetAlbaran::CreaGuardado(const QString& numero, const QDate& fecha,
                                       const clsDatosApp& ajustes, const QDateTime& ahora,
                                       std::optional<Dataset>& datos) {
    datos.reset();
    std::optional<Albaran> a;
    const AlmacenAlbaranes almacen(ajustes.Conexion(), ajustes.SeparadorDecimal());
    if (Resultado r = almacen.CargaCabecera(numero, fecha, a); !r || !a)
        return r;
    auto detalle = std::make_shared<LineasGuardadas>(*a, ajustes);
    TotalesAlbaran t;
    int manuales = 0;
    for (detalle->MoveFirst(); !detalle->AlFinal(); detalle->MoveNext()) {
        t.Suma(detalle->FilaActual());
        manuales += LineasAlbaran::Manual(detalle->FilaActual());
    }
    if (!detalle->Error().isEmpty())
        return Resultado::Fallo(detalle->Error());
    datos = Junta(Empresa(ajustes), detalle, Cabecera(*a, t, manuales, ahora, a->Impreso));
    return {};
}
