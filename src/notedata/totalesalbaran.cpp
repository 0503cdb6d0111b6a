#include "notedata/totalesalbaran.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "notedata/reglaslinea.h"

#include <cmath>

TotalesAlbaran TotalesAlbaran::De(const LineasAlbaran& lineas) {
    TotalesAlbaran t;
    for (int i = 0; i < lineas.Count(); ++i)
        t.Suma(lineas.Item(i));
    return t;
}

void TotalesAlbaran::Suma(const FilaAlbaran& f) {
    using C = LineasAlbaran::Columna;
    auto numero = [&f](int columna) { return ReglasLinea::NumeroCelda(f[columna - 1]); };
    ++lineas;
    bruto += numero(C::PesoBruto);
    tara += numero(C::PesoTara);
    neto += numero(C::PesoProducto);
    importe += numero(C::PesoImporte);
    if (NetoNegativo(f))
        ++netosNegativos;
}

bool TotalesAlbaran::NetoNegativo(const FilaAlbaran& fila) {
    const double neto = ReglasLinea::NumeroCelda(fila[LineasAlbaran::PesoProducto - 1]);
    return std::round(neto * 1000) < 0;
}

QString TotalesAlbaran::Resumen(const QString& separador, const QString& unidad) const {
    const QString u = unidad.trimmed().isEmpty() ? QString() : ' ' + unidad.trimmed();
    auto peso = [&](int texto, double valor) {
        return Texto(texto) + ": " + ReglasLinea::Formato(valor, 3, separador) + u;
    };
    return QStringList{Texto(IdTexto::TotalLineas) + ": " + QString::number(lineas),
                       peso(IdTexto::TotalBruto, bruto), peso(IdTexto::TotalTara, tara),
                       peso(IdTexto::TotalNeto, neto),
                       Texto(IdTexto::TotalImporte) + ": " +
                           ReglasLinea::Formato(importe, 2, separador)}
        .join(QStringLiteral("    "));
}
