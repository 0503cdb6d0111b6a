#include "export/listadoalbaran.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/columnasalbaran.h"
#include "app/idtextos.h"
#include "db/dataset.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextLayout>
#include <cmath>

namespace {
// Page layout, in millimetres from the paper's edges.
constexpr double kIzquierda = 15, kArriba = 100, kAbajo = 20;
constexpr double kAnchoTabla = 180;
constexpr double kRelleno = 1; // inside a table cell, on every side
constexpr double kAltoPie = 12;

// Each column's data-set field, by column number.
constexpr const char* kCampos[9] = {"CodProducto", "NomProducto", "CodTara",
                                    "PesoBruto",   "PesoTara",    "PesoNeto",
                                    "Precio",      "PesoImporte", "HoraPesada"};
bool EsPeso(int columna) {
    return columna >= 4 && columna <= 6;
}
bool EsNumero(int columna) {
    return columna >= 4 && columna <= 8;
}

QVariant Valor(const Dataset& datos, const char* tabla, const char* campo) {
    const Recordset* r = datos.Item(QString::fromLatin1(tabla));
    return r ? r->Valor(QString::fromLatin1(campo)) : QVariant();
}

QString Texto(const QVariant& v) {
    return v.isNull() ? QString() : v.toString();
}

QFont Letra(double puntos, bool negrita = false) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(puntos);
    f.setBold(negrita);
    return f;
}
} // namespace

// A painter on a page, measured in millimetres.
class ListadoAlbaran::Lienzo {
public:
    Lienzo(QPainter& painter, const QPagedPaintDevice& d)
        : p(painter), mm(d.logicalDpiX() / 25.4), ancho(d.width() / mm), alto(d.height() / mm) {}

    QRectF Rect(double x, double y, double w, double h) const {
        return {x * mm, y * mm, w * mm, h * mm};
    }
    double AltoLinea(const QFont& f) const {
        return QFontMetricsF(f, p.device()).lineSpacing() / mm;
    }
    void Escribe(const QFont& f, const QRectF& r, int opciones, const QString& texto) {
        p.setFont(f);
        p.drawText(r, opciones, texto);
    }
    // Table cells wrap at spaces, and inside a word that is wider than the cell.
    static QTextOption Ajuste(Qt::Alignment alineacion) {
        QTextOption o(alineacion | Qt::AlignTop);
        o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return o;
    }
    // Height in millimetres of a cell's text in a box `w` millimetres wide.
    double AltoCelda(const QFont& f, double w, const QString& texto) const {
        QTextLayout disposicion(texto, f, p.device());
        disposicion.setTextOption(Ajuste(Qt::AlignLeft));
        int lineas = 0;
        disposicion.beginLayout();
        for (QTextLine l = disposicion.createLine(); l.isValid(); l = disposicion.createLine()) {
            l.setLineWidth(w * mm);
            ++lineas;
        }
        disposicion.endLayout();
        return std::max(lineas, 1) * AltoLinea(f);
    }
    void EscribeCelda(const QFont& f, const QRectF& r, Qt::Alignment alineacion,
                      const QString& texto) {
        p.setFont(f);
        p.drawText(r, texto, Ajuste(alineacion));
    }

    QPainter& p;
    const double mm; // device units per millimetre
    const double ancho, alto;
    const QFont normal = Letra(10), titulo = Letra(13, true);
    const QFont tabla = Letra(8), tablaNegrita = Letra(8, true), pequena = Letra(8);
    const QFont& Tabla(Estilo estilo) const { return estilo == Linea ? tabla : tablaNegrita; }
};

ListadoAlbaran::Opciones ListadoAlbaran::Opciones::De(const clsDatosApp& ajustes,
                                                      const QString& carpetaLogo) {
    Opciones o;
    for (int k = 1; k <= 9; ++k)
        o.columnasImpresas[k - 1] = ajustes.ColImpresas(k);
    o.unidad = ajustes.UnidadMedida();
    if (!ajustes.SeparadorDecimal().isEmpty())
        o.separadorDecimal = ajustes.SeparadorDecimal();
    if (!ajustes.SeparadorFecha().isEmpty())
        o.separadorFecha = ajustes.SeparadorFecha();
    o.carpetaLogo = carpetaLogo;
    return o;
}

QList<ListadoAlbaran::Columna> ListadoAlbaran::Columnas(const std::array<bool, 9>& impresas) {
    int suma = 0;
    for (int k = 1; k <= 9; ++k)
        suma += impresas[k - 1] ? ColumnasAlbaran::AnchosColumna(k) : 0;
    QList<Columna> columnas;
    for (int k = 1; k <= 9; ++k)
        if (impresas[k - 1])
            columnas.append({k, int(ColumnasAlbaran::AnchosColumna(k) * kAnchoTabla / suma)});
    return columnas;
}

ListadoAlbaran::ListadoAlbaran(const Dataset& datos, const Opciones& o)
    : m_columnas(Columnas(o.columnasImpresas)) {
    const QString fecha = "dd" + o.separadorFecha + "MM" + o.separadorFecha + "yyyy";
    auto numero = [&o](const QVariant& v, int decimales) {
        double x = v.toDouble();
        if (std::round(x * std::pow(10.0, decimales)) == 0)
            x = 0; // no "-0.000"
        return QString::number(x, 'f', decimales).replace('.', o.separadorDecimal);
    };
    auto celda = [&](int columna, const QVariant& v) {
        if (EsPeso(columna))
            return numero(v, 3) + (o.unidad.isEmpty() ? QString() : " " + o.unidad);
        return EsNumero(columna) ? numero(v, 2) : Texto(v);
    };

    // The totals are the note's own, as the data set carries them.
    const double totales[9] = {0,
                               0,
                               0,
                               Valor(datos, "Cabecera", "TotalBruto").toDouble(),
                               Valor(datos, "Cabecera", "TotalTara").toDouble(),
                               Valor(datos, "Cabecera", "TotalNeto").toDouble(),
                               0,
                               Valor(datos, "Cabecera", "TotalPrecio").toDouble(),
                               0};
    if (Recordset* detalle = datos.Item(QStringLiteral("Detalle"))) {
        for (detalle->MoveFirst(); !detalle->AlFinal(); detalle->MoveNext()) {
            QStringList fila;
            for (const Columna& c : m_columnas)
                fila << celda(c.numero, detalle->Valor(QString::fromLatin1(kCampos[c.numero - 1])));
            m_lineas << fila;
        }
        detalle->MoveFirst();
    }
    for (const Columna& c : m_columnas) {
        m_titulos << ::Texto(ColumnasAlbaran::TitulosColumna(c.numero));
        if (c.numero == 2)
            m_totales << ::Texto(IdTexto::Totales);
        else if (EsNumero(c.numero) && c.numero != 7) // a sum of prices means nothing
            m_totales << celda(c.numero, totales[c.numero - 1]);
        else
            m_totales << QString();
    }

    for (const char* linea : {"Linea1", "Linea2", "Linea3"})
        m_empresa << Texto(Valor(datos, "Empresa", linea));
    m_lateral = Texto(Valor(datos, "Empresa", "Nombre")) +
                " - N.I.F.: " + Texto(Valor(datos, "Empresa", "NIF"));
    m_albaran << ::Texto(IdTexto::AlbaranPesaje)
              << ::Texto(IdTexto::Fecha) + ": " +
                     Valor(datos, "Cabecera", "Fecha").toDate().toString(fecha)
              << ::Texto(IdTexto::NumAlbaran) + ": " +
                     Texto(Valor(datos, "Cabecera", "NumAlbaran"));
    for (const char* campo : {"CodCliente", "NomCliente", "Direccion1", "Direccion2"})
        m_cliente << Texto(Valor(datos, "Cabecera", campo));
    auto momento = [&](const char* campo) {
        return Valor(datos, "Cabecera", campo).toDateTime().toString(fecha + " HH:mm");
    };
    m_pieIzquierda = ::Texto(IdTexto::Actualizado) + ": " + momento("FechaModificacion") + "\n" +
                     ::Texto(IdTexto::Impreso) + ": " + momento("FechaImpresion");
    const QString operario = Texto(Valor(datos, "Cabecera", "NomOperario")).trimmed();
    if (!operario.isEmpty())
        m_pieCentro = ::Texto(IdTexto::Operario) + ": " + operario;

    m_nombrePdf = ::Texto(IdTexto::Albaran) + " " + Texto(Valor(datos, "Cabecera", "NumAlbaran")) +
                  " " + Valor(datos, "Cabecera", "Fecha").toDate().toString("yyyy-MM-dd") + ".pdf";

    for (const char* nombre : {"Logo.jpg", "Logo.gif"}) {
        const QString ruta = QDir(o.carpetaLogo).filePath(QString::fromLatin1(nombre));
        if (!o.carpetaLogo.isEmpty() && QFileInfo(ruta).isFile() && m_logo.load(ruta))
            break;
    }
}

// The fixed parts of every page.
void ListadoAlbaran::Fijas(Lienzo& l) const {
    if (!m_logo.isNull())
        l.p.drawImage(l.Rect(10, 10, 50, 25), m_logo);

    double y = 30;
    for (const QString& linea : m_empresa) {
        const double alto = l.AltoLinea(l.normal);
        l.Escribe(l.normal, l.Rect(kIzquierda, y, l.ancho - kIzquierda - 10, alto),
                  Qt::AlignLeft | Qt::AlignTop, linea);
        y += alto;
    }

    // The box: the note on the left, the customer on the right, 10 and 9 cm wide; it starts
    // 10 mm from the left to stay inside the right margin.
    const double margen = 2, x = 10, izquierda = 100, derecha = 90;
    const double altoTitulo = l.AltoLinea(l.titulo), alto = l.AltoLinea(l.normal);
    const double altoCaja = 2 * margen + std::max(altoTitulo + 2 * alto, m_cliente.size() * alto);
    y = 50;
    l.p.setPen(QPen(Qt::black, 0.3 * l.mm));
    l.p.setBrush(Qt::NoBrush);
    l.p.drawRect(l.Rect(x, y, izquierda, altoCaja));
    l.p.drawRect(l.Rect(x + izquierda, y, derecha, altoCaja));
    const int opciones = Qt::AlignLeft | Qt::AlignTop;
    l.Escribe(l.titulo, l.Rect(x + margen, y + margen, izquierda - 2 * margen, altoTitulo),
              opciones, m_albaran.value(0));
    for (int i = 1; i < m_albaran.size(); ++i)
        l.Escribe(l.normal,
                  l.Rect(x + margen, y + margen + altoTitulo + (i - 1) * alto,
                         izquierda - 2 * margen, alto),
                  opciones, m_albaran.at(i));
    for (int i = 0; i < m_cliente.size(); ++i)
        l.Escribe(l.normal,
                  l.Rect(x + izquierda + margen, y + margen + i * alto, derecha - 2 * margen, alto),
                  opciones, m_cliente.at(i));

    // Along the left edge, reading upwards from 150 mm, its letters 5 mm from the edge.
    l.p.save();
    l.p.setFont(l.pequena);
    l.p.translate(5 * l.mm + QFontMetricsF(l.pequena, l.p.device()).ascent(), 150 * l.mm);
    l.p.rotate(-90);
    l.p.drawText(QPointF(0, 0), m_lateral);
    l.p.restore();
}

void ListadoAlbaran::Pie(Lienzo& l, int pagina) const {
    const QRectF r = l.Rect(kIzquierda, l.alto - kAbajo + 4, l.ancho - kIzquierda - 10, kAltoPie);
    l.Escribe(l.pequena, r, Qt::AlignLeft | Qt::AlignTop, m_pieIzquierda);
    l.Escribe(l.pequena, r, Qt::AlignHCenter | Qt::AlignTop, m_pieCentro);
    l.Escribe(l.pequena, r, Qt::AlignRight | Qt::AlignTop,
              ::Texto(IdTexto::Pagina) + ": " + QString::number(pagina));
}

double ListadoAlbaran::AltoFila(const Lienzo& l, const QStringList& celdas, Estilo estilo) const {
    double alto = 0;
    for (int i = 0; i < m_columnas.size(); ++i)
        alto = std::max(alto, l.AltoCelda(l.Tabla(estilo), m_columnas.at(i).anchoMm - 2 * kRelleno,
                                          celdas.value(i)));
    return alto + 2 * kRelleno;
}

void ListadoAlbaran::Fila(Lienzo& l, double y, double alto, const QStringList& celdas,
                          Estilo estilo) const {
    double x = kIzquierda;
    l.p.setPen(QPen(Qt::black, 0.2 * l.mm));
    for (int i = 0; i < m_columnas.size(); ++i) {
        const Columna& c = m_columnas.at(i);
        const QRectF r = l.Rect(x, y, c.anchoMm, alto);
        l.p.setBrush(estilo == Cabecera ? QBrush(QColor(225, 225, 225)) : QBrush(Qt::NoBrush));
        l.p.drawRect(r);
        l.EscribeCelda(
            l.Tabla(estilo),
            r.adjusted(kRelleno * l.mm, kRelleno * l.mm, -kRelleno * l.mm, -kRelleno * l.mm),
            EsNumero(c.numero) ? Qt::AlignRight : Qt::AlignLeft, celdas.value(i));
        x += c.anchoMm;
    }
}

Resultado ListadoAlbaran::Dibuja(QPagedPaintDevice& dispositivo,
                                 const std::function<bool(int, int)>& antesDePagina) const {
    auto* impresora = dynamic_cast<QPrinter*>(&dispositivo);
    if (impresora)
        impresora->setFullPage(true);
    else
        dispositivo.setPageMargins(QMarginsF(), QPageLayout::Millimeter);
    QPainter p;
    if (!p.begin(&dispositivo))
        return Resultado::Fallo(Texto(IdTexto::DocumentoNoEmpieza));
    Lienzo l(p, dispositivo);

    // Lines go down the body while they fit; a page always takes at least one, and the totals
    // row follows the last line, on a page of its own when that one is full.
    const double fin = l.alto - kAbajo;
    const double altoCabecera = AltoFila(l, m_titulos, Cabecera);
    QList<double> altos;
    for (const QStringList& linea : m_lineas)
        altos << AltoFila(l, linea, Linea);
    QList<Pagina> paginas{{}};
    double y = kArriba + altoCabecera;
    for (int i = 0; i <= m_lineas.size(); ++i) {
        const double alto = i < m_lineas.size() ? altos.at(i) : AltoFila(l, m_totales, Totales);
        if (y + alto > fin && paginas.last().hasta > paginas.last().desde) {
            paginas.append({i, i, false});
            y = kArriba + altoCabecera;
        }
        y += alto;
        if (i < m_lineas.size())
            paginas.last().hasta = i + 1;
    }
    paginas.last().totales = true;

    for (int n = 0; n < paginas.size(); ++n) {
        if (antesDePagina && !antesDePagina(n + 1, int(paginas.size()))) {
            if (impresora)
                impresora->abort();
            p.end();
            return Resultado::Fallo(Texto(IdTexto::Cancelado));
        }
        if (n > 0 && !dispositivo.newPage())
            return Resultado::Fallo(Texto(IdTexto::PaginaNoEmpieza));
        Fijas(l);
        Pie(l, n + 1);
        const Pagina& pagina = paginas.at(n);
        y = kArriba;
        Fila(l, y, altoCabecera, m_titulos, Cabecera);
        y += altoCabecera;
        for (int i = pagina.desde; i < pagina.hasta; ++i) {
            Fila(l, y, altos.at(i), m_lineas.at(i), Linea);
            y += altos.at(i);
        }
        if (pagina.totales)
            Fila(l, y, AltoFila(l, m_totales, Totales), m_totales, Totales);
    }
    if (!p.end() || (impresora && impresora->printerState() == QPrinter::Error))
        return Resultado::Fallo(Texto(IdTexto::DocumentoNoAcaba));
    return {};
}

Resultado ListadoAlbaran::GuardaPdf(const QString& ruta) const {
    // Laid out in memory first: a failure leaves the file as it was.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter escritor(&pdf);
        escritor.setPageSize(QPageSize(QPageSize::A4));
        escritor.setTitle(QString::fromLatin1(NombreDocumento));
        escritor.setCreator(QStringLiteral("Pesix"));
        if (Resultado r = Dibuja(escritor); !r)
            return r;
    }
    QSaveFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly) || archivo.write(pdf.data()) != pdf.data().size() ||
        !archivo.commit())
        return Resultado::Fallo(archivo.errorString());
    return {};
}
