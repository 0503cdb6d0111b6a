#include "notes/reglaslinea.h"

#include "app/kelnumerics.h"
#include "db/basedatos.h"
#include "notes/catalogoalbaran.h"

#include <cmath>

double ReglasLinea::NumeroCelda(const QString& texto) {
    return kelNumerics::Val(BaseDatos::NumeroSQL(texto));
}

QString ReglasLinea::Formato(double valor, int decimales, const QString& separador) {
    // Halves round away from zero, as on paper: 230.5 x 0.95 = 218.975 shows 218.98 although
    // the binary product lies a hair below it. The nudge is far below any typed decimal.
    const double escala = std::pow(10.0, decimales);
    double escalado = valor * escala;
    escalado = std::round(escalado + std::copysign(std::fabs(escalado) * 1e-12, escalado));
    if (escalado == 0)
        escalado = 0; // no "-0.000"
    QString t = QString::number(escalado / escala, 'f', decimales);
    if (!separador.isEmpty())
        t.replace('.', separador);
    return t;
}

QString ReglasLinea::HoraPesada(const QDateTime& momento) {
    return momento.toString("HH:mm:ss-dd/MM/yyyy");
}

bool ReglasLinea::Reformatea(FilaAlbaran& fila, int columna, int decimales) const {
    const double v = Numero(fila, columna);
    Celda(fila, columna) = v != 0 ? Formato(v, decimales) : QString();
    return v != 0;
}

void ReglasLinea::Neto(FilaAlbaran& fila) const {
    Celda(fila, C::PesoProducto) =
        Formato(Numero(fila, C::PesoBruto) - Numero(fila, C::PesoTara), 3);
}

void ReglasLinea::Importe(FilaAlbaran& fila) const {
    const double precio = Numero(fila, C::Precio);
    Celda(fila, C::PesoImporte) =
        precio > 0 ? Formato(Numero(fila, C::PesoProducto) * precio, 2) : QString();
}

void ReglasLinea::Vacia(FilaAlbaran& fila, std::initializer_list<int> columnas) const {
    for (int c : columnas)
        Celda(fila, c).clear();
}

void ReglasLinea::TrasEditar(FilaAlbaran& fila, int columna, const QDateTime& ahora) const {
    switch (columna) {
    case C::CodProducto: {
        const QString codigo = Celda(fila, C::CodProducto);
        Celda(fila, C::NomProducto) = m_catalogo.NombreProducto(codigo);
        const double precio = m_catalogo.PrecioProducto(codigo);
        if (precio <= 0) {
            Vacia(fila, {C::Precio, C::PesoImporte});
        } else {
            Celda(fila, C::Precio) = Formato(precio, 2);
            Celda(fila, C::PesoImporte) = Formato(Numero(fila, C::PesoProducto) * precio, 2);
        }
        break;
    }
    case C::CodTara:
        if (Celda(fila, C::CodTara).trimmed().isEmpty())
            break;
        Celda(fila, C::PesoTara) = Formato(m_catalogo.PesoTara(Celda(fila, C::CodTara)), 3);
        Neto(fila);
        Importe(fila);
        break;
    case C::PesoBruto:
        if (!Reformatea(fila, C::PesoBruto, 3)) {
            Vacia(fila, {C::PesoProducto, C::HoraPesada, C::PesoImporte});
            break;
        }
        Neto(fila);
        Celda(fila, C::HoraPesada) = HoraPesada(ahora);
        Importe(fila);
        break;
    case C::PesoTara:
        Reformatea(fila, C::PesoTara, 3);
        Neto(fila);
        Importe(fila);
        break;
    case C::PesoProducto:
        // A typed net weight gives the gross one.
        if (!Reformatea(fila, C::PesoProducto, 3)) {
            Vacia(fila, {C::PesoBruto, C::HoraPesada, C::PesoImporte});
            break;
        }
        Celda(fila, C::PesoBruto) =
            Formato(Numero(fila, C::PesoProducto) + Numero(fila, C::PesoTara), 3);
        Celda(fila, C::HoraPesada) = HoraPesada(ahora);
        Importe(fila);
        break;
    case C::Precio:
        if (Reformatea(fila, C::Precio, 2))
            Importe(fila);
        else
            Celda(fila, C::PesoImporte).clear();
        break;
    case C::PesoImporte:
        // A typed amount stands until the next recomputation.
        Reformatea(fila, C::PesoImporte, 2);
        break;
    default:
        break;
    }
}

void ReglasLinea::EligeProducto(FilaAlbaran& fila, const QString& codigo) const {
    if (codigo.isEmpty())
        return;
    Celda(fila, C::CodProducto) = codigo;
    TrasEditar(fila, C::CodProducto, {});
}

void ReglasLinea::EligeTara(FilaAlbaran& fila, const QString& codigo) const {
    if (codigo.isEmpty())
        return;
    Celda(fila, C::CodTara) = codigo;
    TrasEditar(fila, C::CodTara, {});
}

void ReglasLinea::TomaLectura(FilaAlbaran& fila, const QString& lectura) const {
    Celda(fila, C::PesoBruto) = Formato(NumeroCelda(lectura), 3);
    Neto(fila);
    Importe(fila);
}
