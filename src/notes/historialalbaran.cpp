#include "notes/historialalbaran.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "notedata/columnasalbaran.h"
#include "notedata/reglaslinea.h"
#include "notedata/totalesalbaran.h"

namespace {
using C = LineasAlbaran::Columna;

const QString kMomento = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// Lines of two versions pair up in their order by product: a weight typed over another
// stamps a new time and drops the log entry, and is still the same line changed.
QString Identidad(const FilaAlbaran& f) {
    return f[C::CodProducto - 1].trimmed();
}

QString Nombre(const FilaAlbaran& f) {
    const QString nombre = f[C::NomProducto - 1].trimmed();
    return f[C::CodProducto - 1] + (nombre.isEmpty() ? QString() : ' ' + nombre);
}

// The pairs of rows (old, new) of the longest run of lines both versions hold in order.
std::vector<std::pair<int, int>> Comunes(const LineasAlbaran& a, const LineasAlbaran& b) {
    const int n = a.Count(), m = b.Count();
    std::vector<std::vector<int>> largo(size_t(n + 1), std::vector<int>(size_t(m + 1), 0));
    for (int i = n - 1; i >= 0; --i)
        for (int j = m - 1; j >= 0; --j)
            largo[size_t(i)][size_t(j)] =
                Identidad(a.Item(i)) == Identidad(b.Item(j))
                    ? largo[size_t(i + 1)][size_t(j + 1)] + 1
                    : std::max(largo[size_t(i + 1)][size_t(j)], largo[size_t(i)][size_t(j + 1)]);
    std::vector<std::pair<int, int>> pares;
    for (int i = 0, j = 0; i < n && j < m;) {
        if (Identidad(a.Item(i)) == Identidad(b.Item(j)))
            pares.push_back({i++, j++});
        else if (largo[size_t(i + 1)][size_t(j)] >= largo[size_t(i)][size_t(j + 1)])
            ++i;
        else
            ++j;
    }
    return pares;
}

QString Celda(const FilaAlbaran& f, int c, const QString& separador) {
    if (c >= C::PesoBruto && c <= C::PesoImporte)
        return ReglasLinea::Formato(ReglasLinea::NumeroCelda(f[c - 1]), c < C::Precio ? 3 : 2,
                                    separador);
    return f[c - 1].trimmed();
}

void CambiosLineas(const LineasAlbaran& antes, const LineasAlbaran& despues,
                   const QString& separador, QStringList& cambios) {
    const std::vector<std::pair<int, int>> pares = Comunes(antes, despues);
    size_t k = 0;
    for (int i = 0; i < antes.Count(); ++i) {
        if (k < pares.size() && pares[k].first == i) {
            const auto [viejo, nuevo] = pares[k++];
            for (int c : {int(C::NomProducto), int(C::CodTara), int(C::PesoBruto), int(C::PesoTara),
                          int(C::PesoProducto), int(C::Precio), int(C::PesoImporte)}) {
                const QString de = Celda(antes.Item(viejo), c, separador);
                const QString a = Celda(despues.Item(nuevo), c, separador);
                if (de != a)
                    cambios << Texto(IdTexto::CambioLinea)
                                   .arg(nuevo + 1)
                                   .arg(Texto(ColumnasAlbaran::TitulosColumna(c)), de, a);
            }
        } else {
            cambios << Texto(IdTexto::CambioLineaQuitada).arg(i + 1).arg(Nombre(antes.Item(i)));
        }
    }
    k = 0;
    for (int j = 0; j < despues.Count(); ++j) {
        if (k < pares.size() && pares[k].second == j)
            ++k;
        else
            cambios << Texto(IdTexto::CambioLineaAnadida).arg(j + 1).arg(Nombre(despues.Item(j)));
    }
}
} // namespace

QStringList HistorialAlbaran::Titulos() {
    return {Texto(IdTexto::ColVersion), Texto(IdTexto::ColGuardada), Texto(IdTexto::ColReemplazada),
            Texto(IdTexto::ColPuesto),  Texto(IdTexto::ColOperario), Texto(IdTexto::ColLineas),
            Texto(IdTexto::ColNeto),    Texto(IdTexto::ColImporte),  Texto(IdTexto::ColEstado),
            Texto(IdTexto::ColCambios)};
}

QStringList HistorialAlbaran::Diferencias(const Albaran& antes, const Albaran& despues,
                                          const QString& separador) {
    QStringList cambios;
    const std::pair<int, QString Albaran::*> textos[] = {
        {IdTexto::Operario, &Albaran::NomOperario},
        {IdTexto::CodigoCliente, &Albaran::CodCliente},
        {IdTexto::Nombre, &Albaran::NomCliente},
        {IdTexto::Domicilio, &Albaran::Direccion1},
        {IdTexto::Domicilio, &Albaran::Direccion2}};
    for (const auto& [titulo, campo] : textos)
        if ((antes.*campo).trimmed() != (despues.*campo).trimmed())
            cambios << Texto(IdTexto::CambioCabecera)
                           .arg(Texto(titulo), (antes.*campo).trimmed(),
                                (despues.*campo).trimmed());
    CambiosLineas(antes.Lineas, despues.Lineas, separador, cambios);
    if (antes.Anulado != despues.Anulado)
        cambios << Texto(despues.Anulado ? IdTexto::CambioAnulado : IdTexto::CambioRehabilitado)
                       .arg(despues.Motivo);
    return cambios;
}

std::vector<QStringList> HistorialAlbaran::Filas(const std::vector<VersionAlbaran>& versiones,
                                                 const Albaran& actual, const QString& separador) {
    std::vector<QStringList> filas;
    const auto fila = [&](const Albaran& nota, const QString& version, const VersionAlbaran* v,
                          const Albaran& siguiente, bool ultima) {
        const TotalesAlbaran t = TotalesAlbaran::De(nota.Lineas);
        QStringList f(NumeroColumnas);
        f[Version] = version;
        f[Guardada] = nota.FechaModificacion.toString(kMomento);
        if (v) {
            f[Reemplazada] = v->Reemplazada.toString(kMomento);
            f[Puesto] = v->Puesto;
            f[Operario] = v->Operario;
        }
        f[Lineas] = QString::number(t.lineas);
        f[Neto] = ReglasLinea::Formato(t.neto, 3, separador);
        f[Importe] = ReglasLinea::Formato(t.importe, 2, separador);
        if (nota.Anulado)
            f[Estado] = Texto(IdTexto::MarcaAnulado) + ": " + nota.Motivo;
        if (!ultima) {
            const QStringList c = Diferencias(nota, siguiente, separador);
            f[Cambios] = c.isEmpty() ? Texto(IdTexto::CambioNinguno) : c.join("; ");
        }
        filas.push_back(f);
    };
    for (size_t i = 0; i < versiones.size(); ++i)
        fila(versiones[i].Nota, QString::number(versiones[i].Version), &versiones[i],
             i + 1 < versiones.size() ? versiones[i + 1].Nota : actual, false);
    fila(actual,
         Texto(IdTexto::VersionActual).arg(versiones.empty() ? 1 : versiones.back().Version + 1),
         nullptr, actual, true);
    return filas;
}
