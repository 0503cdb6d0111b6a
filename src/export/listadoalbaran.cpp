#include "export/listadoalbaran.h"

#include "app/archivosalida.h"
#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelstrings.h"
#include "app/repartocolumnas.h"
#include "db/dataset.h"
#include "notedata/columnasalbaran.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QIODevice>
#include <QMap>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {
// Page layout, in millimetres from the paper's edges.
constexpr double kIzquierda = 15, kArriba = 100, kAbajo = 20;
constexpr double kAnchoTabla = 180;
// Across a landscape A4 page, between the same margins (15 mm left, 10 mm right).
constexpr double kAnchoTablaApaisada = 272;
// The table's type: its size, then smaller sizes down to the least that still reads well on
// paper, first across the page and then, when the columns still do not fit, across a
// landscape page.
constexpr double kPuntosTabla[] = {8, 7.5, 7};
constexpr double kRelleno = 1; // inside a table cell, on every side
constexpr double kAltoPie = 12;
// Whatever the data and the settings hold, no text drawn is longer: a cell wraps within its
// column, and this many characters already fill a page's width several times.
constexpr qsizetype kLongitudTexto = 400;

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

QString Numero(const QVariant& v, int decimales, const QString& separador) {
    double x = v.toDouble();
    if (std::round(x * std::pow(10.0, decimales)) == 0)
        x = 0; // no "-0.000"
    return QString::number(x, 'f', decimales).replace('.', separador);
}

// A cell of the lines table as printed: weights with three decimals and the unit, other
// figures with two.
QString Celda(int columna, const QVariant& v, const QString& unidad, const QString& separador) {
    if (EsPeso(columna))
        return Numero(v, 3, separador) + (unidad.isEmpty() ? QString() : " " + unidad);
    return EsNumero(columna) ? Numero(v, 2, separador) : Texto(v);
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
    static QTextOption Ajuste(Qt::Alignment alineacion, QTextOption::WrapMode modo) {
        QTextOption o(alineacion | Qt::AlignTop);
        o.setWrapMode(modo);
        return o;
    }
    // Height in millimetres of a text in a box `w` millimetres wide.
    double AltoTexto(const QFont& f, double w, const QString& texto,
                     QTextOption::WrapMode modo) const {
        QTextLayout disposicion(texto, f, p.device());
        disposicion.setTextOption(Ajuste(Qt::AlignLeft, modo));
        int lineas = 0;
        disposicion.beginLayout();
        for (QTextLine l = disposicion.createLine(); l.isValid(); l = disposicion.createLine()) {
            l.setLineWidth(w * mm);
            ++lineas;
        }
        disposicion.endLayout();
        return std::max(lineas, 1) * AltoLinea(f);
    }
    void EscribeTexto(const QFont& f, const QRectF& r, Qt::Alignment alineacion,
                      const QString& texto, QTextOption::WrapMode modo) {
        p.setFont(f);
        p.drawText(r, texto, Ajuste(alineacion, modo));
    }

    QPainter& p;
    const double mm; // device units per millimetre
    const double ancho, alto;
    const QFont normal = Letra(10), titulo = Letra(13, true), pequena = Letra(8);
    QFont tabla = Letra(8), tablaNegrita = Letra(8, true);
    const QFont& Tabla(Estilo estilo) const { return estilo == Linea ? tabla : tablaNegrita; }
    Formato formato;
    // How a cell of a column wraps (see Formato).
    QTextOption::WrapMode Modo(Estilo estilo, int columna) const {
        if (formato.partePalabras)
            return QTextOption::WrapAtWordBoundaryOrAnywhere;
        return estilo == Cabecera || columna == 2 ? QTextOption::WordWrap : QTextOption::NoWrap;
    }
};

ListadoAlbaran::Opciones ListadoAlbaran::Opciones::De(const clsDatosApp& ajustes,
                                                      const QString& carpetaLogo) {
    Opciones o;
    for (int k = 1; k <= ColumnasAlbaran::Numero; ++k)
        o.columnasImpresas[k - 1] = ajustes.ColImpresas(k);
    o.unidad = ajustes.UnidadMedida();
    if (!ajustes.SeparadorDecimal().isEmpty())
        o.separadorDecimal = ajustes.SeparadorDecimal();
    if (!ajustes.SeparadorFecha().isEmpty())
        o.separadorFecha = ajustes.SeparadorFecha();
    o.carpetaLogo = carpetaLogo;
    o.protegidos = ArchivoSalida::DeBaseDatos(ajustes.BaseDatos());
    return o;
}

QList<ListadoAlbaran::Columna>
ListadoAlbaran::Columnas(const std::array<bool, ColumnasAlbaran::Numero>& impresas) {
    int suma = 0;
    for (int k = 1; k <= ColumnasAlbaran::Numero; ++k)
        suma += impresas[k - 1] ? ColumnasAlbaran::AnchosColumna(k) : 0;
    QList<Columna> columnas;
    for (int k = 1; k <= ColumnasAlbaran::Numero; ++k)
        if (impresas[k - 1])
            columnas.append({k, int(ColumnasAlbaran::AnchosColumna(k) * kAnchoTabla / suma)});
    return columnas;
}

ListadoAlbaran::Formato ListadoAlbaran::Disposicion(const QPaintDevice& dispositivo) const {
    const double mm = dispositivo.logicalDpiX() / 25.4;
    // A hair over the measured text, for the layout's rounding.
    constexpr double relleno = 2 * kRelleno + 0.3;
    int flexible = -1;
    for (int i = 0; i < m_columnas.size(); ++i)
        if (m_columnas.at(i).numero == 2)
            flexible = i;
    // Each column's least width (its title's widest word, its widest value, or for names
    // their widest word) and the width it would like (its share, or its widest value whole),
    // the lines read once for each type size tried.
    QMap<double, QList<RepartoColumnas::Columna>> medidasDe;
    const auto medidas = [&](double puntos) {
        if (const auto hecha = medidasDe.constFind(puntos); hecha != medidasDe.cend())
            return *hecha;
        const QFontMetricsF normal(Letra(puntos), &dispositivo),
            negrita(Letra(puntos, true), &dispositivo);
        const qsizetype n = m_columnas.size();
        QList<double> minimo(n, 0), entero(n, 0);
        const auto palabras = [&](qsizetype i, const QFontMetricsF& m, const QString& texto) {
            for (const QString& palabra : texto.split(' ', Qt::SkipEmptyParts))
                minimo[i] = std::max(minimo[i], m.horizontalAdvance(palabra));
        };
        const auto mide = [&](qsizetype i, const QFontMetricsF& m, const QString& texto) {
            entero[i] = std::max(entero[i], m.horizontalAdvance(texto));
            if (i == flexible)
                palabras(i, m, texto);
            else
                minimo[i] = std::max(minimo[i], entero[i]);
        };
        for (qsizetype i = 0; i < n; ++i)
            palabras(i, negrita, m_titulos.value(i));
        Recorre([&](const QStringList& linea) {
            for (qsizetype i = 0; i < n; ++i)
                mide(i, normal, linea.value(i));
        });
        QList<RepartoColumnas::Columna> columnas;
        for (qsizetype i = 0; i < n; ++i) {
            mide(i, negrita, m_totales.value(i));
            columnas.append({minimo[i] / mm + relleno,
                             std::max(m_columnas.at(i).anchoMm + 0.0, entero[i] / mm + relleno)});
        }
        return medidasDe[puntos] = columnas;
    };
    for (const bool apaisada : {false, true}) {
        const double total = apaisada ? kAnchoTablaApaisada : kAnchoTabla;
        for (const double puntos : kPuntosTabla) {
            const QList<double> anchos = RepartoColumnas::Reparte(medidas(puntos), total, flexible);
            if (RepartoColumnas::Cabe(anchos, total))
                return {puntos, apaisada, false, anchos};
        }
    }
    // A value wider than a page: the least size across a landscape page, the columns in
    // proportion to what they need.
    Formato f{std::end(kPuntosTabla)[-1], true, true, {}};
    const QList<RepartoColumnas::Columna> columnas = medidas(f.puntos);
    double suma = 0;
    for (const RepartoColumnas::Columna& c : columnas)
        suma += c.minimo;
    for (const RepartoColumnas::Columna& c : columnas)
        f.anchos << c.minimo * kAnchoTablaApaisada / suma;
    return f;
}

ListadoAlbaran::ListadoAlbaran(const Dataset& datos, const Opciones& o)
    : m_columnas(Columnas(o.columnasImpresas)), m_datos(datos),
      m_detalle(m_datos.Item(QStringLiteral("Detalle"))), m_unidad(o.unidad),
      m_separadorDecimal(o.separadorDecimal), m_protegidos(o.protegidos) {
    const QString fecha = "dd" + o.separadorFecha + "MM" + o.separadorFecha + "yyyy";
    const auto celda = [&o](int columna, const QVariant& v) {
        return Celda(columna, v, o.unidad, o.separadorDecimal);
    };

    // The totals are the note's own, as the data set carries them.
    const double totales[ColumnasAlbaran::Numero] = {
        0,
        0,
        0,
        Valor(datos, "Cabecera", "TotalBruto").toDouble(),
        Valor(datos, "Cabecera", "TotalTara").toDouble(),
        Valor(datos, "Cabecera", "TotalNeto").toDouble(),
        0,
        Valor(datos, "Cabecera", "TotalPrecio").toDouble(),
        0};
    const int manuales = Valor(datos, "Cabecera", "LineasManuales").toInt();
    if (m_detalle)
        m_detalle->MoveFirst();
    for (const Columna& c : m_columnas) {
        m_titulos << ::Texto(ColumnasAlbaran::TitulosColumna(c.numero));
        if (c.numero == 2)
            m_totales << ::Texto(IdTexto::Totales) +
                             (manuales > 0
                                  ? " \u00b7 " + ::Texto(IdTexto::LineasManuales).arg(manuales)
                                  : QString());
        else if (EsNumero(c.numero) && c.numero != 7) // a sum of prices means nothing
            m_totales << celda(c.numero, totales[c.numero - 1]);
        else
            m_totales << QString();
    }

    // A line whose values are empty is left out, and so is a label without its value.
    const auto lleno = [](const QString& t) { return !t.trimmed().isEmpty(); };
    for (const char* linea : {"Linea1", "Linea2", "Linea3"})
        if (const QString t = Texto(Valor(datos, "Empresa", linea)); lleno(t))
            m_empresa << t;
    QStringList lateral;
    if (const QString nombre = Texto(Valor(datos, "Empresa", "Nombre")); lleno(nombre))
        lateral << nombre;
    if (const QString nif = Texto(Valor(datos, "Empresa", "NIF")); lleno(nif))
        lateral << "N.I.F.: " + nif;
    m_lateral = lateral.join(" - ");
    // A void note and a copy say so in the title.
    QString titulo = ::Texto(IdTexto::AlbaranPesaje);
    for (const char* marca : {"Anulado", "Copia"})
        if (const QString t = Texto(Valor(datos, "Cabecera", marca)); lleno(t))
            titulo += " - " + t;
    m_albaran << titulo
              << ::Texto(IdTexto::Fecha) + ": " +
                     Valor(datos, "Cabecera", "Fecha").toDate().toString(fecha)
              << ::Texto(IdTexto::NumAlbaran) + ": " +
                     Texto(Valor(datos, "Cabecera", "NumAlbaran"));
    for (const char* campo : {"CodCliente", "NomCliente", "Direccion1", "Direccion2"})
        if (const QString t = Texto(Valor(datos, "Cabecera", campo)); lleno(t))
            m_cliente << t;
    QStringList pie;
    for (const auto& [texto, campo] : {std::pair{IdTexto::Actualizado, "FechaModificacion"},
                                       std::pair{IdTexto::Impreso, "FechaImpresion"}}) {
        const QDateTime momento = Valor(datos, "Cabecera", campo).toDateTime();
        if (momento.isValid())
            pie << ::Texto(texto) + ": " + momento.toString(fecha + " HH:mm");
    }
    m_pieIzquierda = pie.join('\n');
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

    const auto acota = [](QString& t) { t = kelStrings::Acotado(t, kLongitudTexto); };
    for (QStringList* textos : {&m_titulos, &m_totales, &m_empresa, &m_albaran, &m_cliente})
        std::for_each(textos->begin(), textos->end(), acota);
    for (QString* t : {&m_lateral, &m_pieIzquierda, &m_pieCentro})
        acota(*t);
}

QStringList ListadoAlbaran::LineaActual() const {
    QStringList fila;
    // A weight typed by hand carries its mark before the figure, as on screen.
    const QString marca = Texto(m_detalle->Valor(QStringLiteral("Manual")));
    for (const Columna& c : m_columnas) {
        const QString t = Celda(
            c.numero, m_detalle->Valor(QString::fromLatin1(ColumnasAlbaran::Campos[c.numero - 1])),
            m_unidad, m_separadorDecimal);
        fila << kelStrings::Acotado(c.numero == 4 && !marca.isEmpty() ? marca + ' ' + t : t,
                                    kLongitudTexto);
    }
    return fila;
}

void ListadoAlbaran::Recorre(const std::function<void(const QStringList&)>& cada) const {
    if (!m_detalle)
        return;
    for (m_detalle->MoveFirst(); !m_detalle->AlFinal(); m_detalle->MoveNext())
        cada(LineaActual());
    m_detalle->MoveFirst();
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
    // 10 mm from the left to stay inside the right margin. A text too long for its side wraps
    // (between words where it can); when the box would reach the table, its type gets smaller.
    const double margen = 2, x = 10, izquierda = 100, derecha = 90, arriba = 50;
    const auto modo = QTextOption::WrapAtWordBoundaryOrAnywhere;
    QFont titulo = l.titulo, normal = l.normal;
    QList<double> altosAlbaran, altosCliente;
    double altoCaja = 0;
    for (double escala = 1; escala >= 0.6; escala -= 0.1) {
        titulo.setPointSizeF(l.titulo.pointSizeF() * escala);
        normal.setPointSizeF(l.normal.pointSizeF() * escala);
        altosAlbaran.clear();
        altosCliente.clear();
        double albaran = 0, cliente = 0;
        for (int i = 0; i < m_albaran.size(); ++i)
            albaran += altosAlbaran.emplace_back(l.AltoTexto(
                i == 0 ? titulo : normal, izquierda - 2 * margen, m_albaran.at(i), modo));
        for (const QString& linea : m_cliente)
            cliente +=
                altosCliente.emplace_back(l.AltoTexto(normal, derecha - 2 * margen, linea, modo));
        altoCaja = 2 * margen + std::max(albaran, cliente);
        if (arriba + altoCaja <= kArriba - 2)
            break;
    }
    l.p.setPen(QPen(Qt::black, 0.3 * l.mm));
    l.p.setBrush(Qt::NoBrush);
    l.p.drawRect(l.Rect(x, arriba, izquierda, altoCaja));
    l.p.drawRect(l.Rect(x + izquierda, arriba, derecha, altoCaja));
    const auto columna = [&](double desde, double ancho, const QStringList& lineas,
                             const QList<double>& altos, bool conTitulo) {
        double arribaLinea = arriba + margen;
        for (int i = 0; i < lineas.size(); ++i) {
            l.EscribeTexto(conTitulo && i == 0 ? titulo : normal,
                           l.Rect(desde + margen, arribaLinea, ancho - 2 * margen, altos.at(i)),
                           Qt::AlignLeft, lineas.at(i), modo);
            arribaLinea += altos.at(i);
        }
    };
    columna(x, izquierda, m_albaran, altosAlbaran, true);
    columna(x + izquierda, derecha, m_cliente, altosCliente, false);

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
        alto =
            std::max(alto, l.AltoTexto(l.Tabla(estilo), l.formato.anchos.at(i) - 2 * kRelleno,
                                       celdas.value(i), l.Modo(estilo, m_columnas.at(i).numero)));
    return alto + 2 * kRelleno;
}

void ListadoAlbaran::Fila(Lienzo& l, double y, double alto, const QStringList& celdas,
                          Estilo estilo) const {
    double x = kIzquierda;
    l.p.setPen(QPen(Qt::black, 0.2 * l.mm));
    for (int i = 0; i < m_columnas.size(); ++i) {
        const Columna& c = m_columnas.at(i);
        const double ancho = l.formato.anchos.at(i);
        const QRectF r = l.Rect(x, y, ancho, alto);
        l.p.setBrush(estilo == Cabecera ? QBrush(QColor(225, 225, 225)) : QBrush(Qt::NoBrush));
        l.p.drawRect(r);
        l.EscribeTexto(
            l.Tabla(estilo),
            r.adjusted(kRelleno * l.mm, kRelleno * l.mm, -kRelleno * l.mm, -kRelleno * l.mm),
            EsNumero(c.numero) ? Qt::AlignRight : Qt::AlignLeft, celdas.value(i),
            l.Modo(estilo, c.numero));
        x += ancho;
    }
}

Resultado ListadoAlbaran::Dibuja(QPagedPaintDevice& dispositivo,
                                 const std::function<bool(int, int)>& antesDePagina) const {
    const Formato formato = Disposicion(dispositivo);
    dispositivo.setPageOrientation(formato.apaisada ? QPageLayout::Landscape
                                                    : QPageLayout::Portrait);
    auto* impresora = dynamic_cast<QPrinter*>(&dispositivo);
    if (impresora)
        impresora->setFullPage(true);
    else
        dispositivo.setPageMargins(QMarginsF(), QPageLayout::Millimeter);
    QPainter p;
    if (!p.begin(&dispositivo))
        return Resultado::Fallo(Texto(IdTexto::DocumentoNoEmpieza));
    Lienzo l(p, dispositivo);
    l.formato = formato;
    l.tabla = Letra(formato.puntos);
    l.tablaNegrita = Letra(formato.puntos, true);

    // Lines go down the body while they fit; a page always takes at least one, and the totals
    // row follows the last line, on a page of its own when that one is full. Only where each
    // page starts is kept: drawing reads the lines again.
    const double fin = l.alto - kAbajo;
    const double altoCabecera = AltoFila(l, m_titulos, Cabecera);
    const double altoTotales = AltoFila(l, m_totales, Totales);
    QList<Pagina> paginas{{}};
    double y = kArriba + altoCabecera;
    int lineas = 0;
    const auto coloca = [&](double alto, bool linea) {
        if (y + alto > fin && paginas.last().hasta > paginas.last().desde) {
            paginas.append({lineas, lineas, false});
            y = kArriba + altoCabecera;
        }
        y += alto;
        if (linea)
            paginas.last().hasta = ++lineas;
    };
    Recorre([&](const QStringList& linea) { coloca(AltoFila(l, linea, Linea), true); });
    coloca(altoTotales, false);
    paginas.last().totales = true;

    // The detail table back on its first record however drawing ends.
    struct AlPrincipio {
        Recordset* r;
        ~AlPrincipio() {
            if (r)
                r->MoveFirst();
        }
    } const rebobina{m_detalle};
    if (m_detalle)
        m_detalle->MoveFirst();
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
        for (int i = pagina.desde; i < pagina.hasta && m_detalle && !m_detalle->AlFinal(); ++i) {
            const QStringList linea = LineaActual();
            m_detalle->MoveNext();
            const double alto = AltoFila(l, linea, Linea);
            Fila(l, y, alto, linea, Linea);
            y += alto;
        }
        if (pagina.totales)
            Fila(l, y, altoTotales, m_totales, Totales);
    }
    if (!p.end() || (impresora && impresora->printerState() == QPrinter::Error))
        return Resultado::Fallo(Texto(IdTexto::DocumentoNoAcaba));
    return {};
}

namespace {
// What the PDF writer writes, straight into the file being written beside its place.
class HaciaArchivo : public QIODevice {
public:
    explicit HaciaArchivo(ArchivoSalida& archivo) : m_archivo(archivo) {
        open(QIODevice::WriteOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* datos, qint64 n) override {
        m_archivo.Escribe(QByteArrayView(datos, n));
        return m_archivo.Fallido() ? -1 : n;
    }

private:
    ArchivoSalida& m_archivo;
};
} // namespace

Resultado ListadoAlbaran::GuardaPdf(const QString& ruta) const {
    // Written beside its place as it is drawn, page after page: a failure leaves the file as
    // it was.
    ArchivoSalida archivo(ruta, m_protegidos);
    if (Resultado r = archivo.Abre(); !r)
        return r;
    {
        HaciaArchivo salida(archivo);
        QPdfWriter escritor(&salida);
        escritor.setPageSize(QPageSize(QPageSize::A4));
        escritor.setTitle(QString::fromLatin1(NombreDocumento));
        escritor.setCreator(QStringLiteral("Pesix"));
        if (Resultado r = Dibuja(escritor); !r) {
            // A write that failed (a full disk) says why better than the painter can.
            if (archivo.Fallido())
                return archivo.Confirma();
            archivo.Cancela();
            return r;
        }
    }
    return archivo.Confirma();
}
