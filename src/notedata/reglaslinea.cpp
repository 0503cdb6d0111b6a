#include "notedata/reglaslinea.h"

#include "notedata/catalogoalbaran.h"

#include <charconv>
#include <cmath>

double ReglasLinea::NumeroCelda(const QString& texto) {
    // Leading blanks, then an optional sign, digits and one decimal point or comma; whatever
    // follows is not part of the number.
    char numero[64];
    qsizetype n = 0;
    qsizetype i = 0;
    const qsizetype fin = texto.size();
    while (i < fin && (texto[i] == u' ' || texto[i] == u'\t'))
        ++i;
    if (i < fin && (texto[i] == u'-' || texto[i] == u'+'))
        numero[n++] = char(texto[i++].unicode());
    bool digitos = false, punto = false;
    for (; i < fin && n < qsizetype(sizeof numero) - 1; ++i) {
        const char16_t c = texto[i].unicode();
        if (c >= u'0' && c <= u'9') {
            numero[n++] = char(c);
            digitos = true;
        } else if ((c == u'.' || c == u',') && !punto) {
            numero[n++] = '.';
            punto = true;
        } else {
            break;
        }
    }
    double valor = 0.0;
    // from_chars reads the point whatever the process's locale, and takes no sign "+".
    const char* desde = numero[0] == '+' ? numero + 1 : numero;
    if (digitos)
        std::from_chars(desde, numero + n, valor);
    return valor;
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

void ReglasLinea::PesoEscrito(FilaAlbaran& fila, int columna, const QDateTime& ahora) const {
    const bool bruto = columna == C::PesoBruto;
    // Whatever the scale gave, the weight is now the operator's.
    Celda(fila, C::IdPesada).clear();
    if (!Reformatea(fila, columna, 3)) {
        Vacia(fila, {bruto ? C::PesoProducto : C::PesoBruto, C::HoraPesada, C::PesoImporte});
        return;
    }
    if (bruto)
        Neto(fila);
    else // a typed net weight gives the gross one
        Celda(fila, C::PesoBruto) =
            Formato(Numero(fila, C::PesoProducto) + Numero(fila, C::PesoTara), 3);
    Celda(fila, C::HoraPesada) = HoraPesada(ahora);
    Importe(fila);
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
    case C::PesoProducto:
        PesoEscrito(fila, columna, ahora);
        break;
    case C::PesoTara:
        Reformatea(fila, C::PesoTara, 3);
        Neto(fila);
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

void ReglasLinea::TomaPeso(FilaAlbaran& fila, double bruto, qint64 idPesada,
                           const QDateTime& ahora) const {
    Celda(fila, C::PesoBruto) = Formato(bruto, 3);
    Celda(fila, C::IdPesada) = QString::number(idPesada);
    Celda(fila, C::HoraPesada) = bruto != 0 ? HoraPesada(ahora) : QString();
    Neto(fila);
    Importe(fila);
}
