#include "scale/protocolobascula.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "scale/octetos.h"
#include "scale/protocolousuario.h"

#include <cstring>

namespace {
using E = Lectura::Estado;
using T = Lectura::Tipo;

QByteArrayView SinBlancos(QByteArrayView t) {
    qsizetype i = 0;
    qsizetype f = t.size();
    while (i < f && (t[i] == ' ' || t[i] == '\t'))
        ++i;
    while (f > i && (t[f - 1] == ' ' || t[f - 1] == '\t'))
        --f;
    return t.sliced(i, f - i);
}

QString Latin1(QByteArrayView t) {
    return QString::fromLatin1(t.data(), t.size());
}

// The unit as the scale names it; the usual ones are shared texts, made once.
QString Unidad(QByteArrayView t) {
    struct Usual {
        QByteArrayView bytes;
        QString texto;
    };
    static const Usual kUsuales[] = {{"kg", QStringLiteral("kg")}, {"g", QStringLiteral("g")},
                                     {"lb", QStringLiteral("lb")}, {"t", QStringLiteral("t")},
                                     {"oz", QStringLiteral("oz")}, {"Kg", QStringLiteral("Kg")},
                                     {"KG", QStringLiteral("KG")}, {"ct", QStringLiteral("ct")}};
    if (t.size() <= 2)
        for (const Usual& u : kUsuales)
            if (u.bytes.size() == t.size() &&
                std::memcmp(u.bytes.data(), t.data(), size_t(t.size())) == 0)
                return u.texto;
    return Latin1(t);
}

// A reply says nothing of a weight, whatever the frame began to say.
bool Respuesta(Lectura& l) {
    l.Olvida();
    l.clase = Lectura::Clase::Respuesta;
    return true;
}

// The figure and, after it, the unit. False when the text holds no figure.
bool CifraYUnidad(QByteArrayView t, Lectura& l) {
    qsizetype fin = 0;
    if (!ProtocoloBascula::LeeCifra(t, l.peso, l.decimales, fin))
        return false;
    l.hayPeso = true;
    l.unidad = Unidad(SinBlancos(t.sliced(fin)));
    return true;
}

// Type 0: the reading as the scale writes it, a figure and perhaps a unit; a frame that begins
// with no figure is a reply (a serial number); an empty one is no frame at all.
bool DecodificaTipo0(QByteArrayView trama, const ProtocoloUsuario&, Lectura& l) {
    if (SinBlancos(trama).isEmpty())
        return false;
    if (!CifraYUnidad(trama, l))
        return Respuesta(l);
    return true;
}

// Type 1: a printed " WT" line; the unit is the "Kg" that ends the figure.
bool DecodificaTipo1(QByteArrayView trama, const ProtocoloUsuario&, Lectura& l) {
    QByteArrayView figura;
    if (!ProtocoloBascula::FiguraLineaPeso(trama, figura))
        return false;
    qsizetype fin = 0;
    if (!ProtocoloBascula::LeeCifra(figura, l.peso, l.decimales, fin) ||
        !SinBlancos(figura.sliced(fin)).isEmpty())
        return false;
    l.hayPeso = true;
    l.unidad = QStringLiteral("kg");
    return true;
}

// MT-SICS level 0/1: "S S" stable or "S D" dynamic, the weight field and the unit; "S +" over
// range, "S -" under range, "S I" not executable now; "ES", "ET", "EL" errors. Replies of other
// commands ("Z A", "TAC A", "I4 A ...") are replies, not weights; a tare reply ("T S ...")
// also.
bool DecodificaMtSics(QByteArrayView trama, const ProtocoloUsuario&, Lectura& l) {
    const QByteArrayView t = SinBlancos(trama);
    if (Octetos::Igual(t, "ES") || Octetos::Igual(t, "ET") || Octetos::Igual(t, "EL")) {
        l.estado = E::Error;
        return true;
    }
    const qsizetype sp = Octetos::Busca(t, ' ');
    const QByteArrayView orden = sp < 0 ? t : t.first(sp);
    if (orden.isEmpty() || orden.size() > 4)
        return false;
    for (const char c : orden)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '@'))
            return false;
    if (!Octetos::Igual(orden, "S") && !Octetos::Igual(orden, "SI") &&
        !Octetos::Igual(orden, "SIR"))
        return Respuesta(l);
    if (sp < 0 || sp + 1 >= t.size())
        return false;
    const char estado = t[sp + 1];
    const QByteArrayView resto = t.sliced(sp + 2);
    switch (estado) {
    case 'S':
    case 'D':
        if (!CifraYUnidad(resto, l) || l.unidad.isEmpty())
            return false;
        l.estado = estado == 'S' ? E::Estable : E::Movimiento;
        return true;
    case '+':
        l.estado = E::SobreRango;
        return true;
    case '-':
        l.estado = E::BajoRango;
        return true;
    case 'I':
    case 'L':
        l.estado = E::Error;
        return true;
    default:
        return false;
    }
}

// Toledo continuous output: after STX, status words A, B and C, six weight digits and six tare
// digits. A bits 0-2 place the point (0: x100, 1: x10, 2: units, 3..7: 1..5 decimals); B bit 0
// net, bit 1 negative, bit 2 out of range, bit 3 in motion, bit 4 kg (else lb). The bits said
// always set differ between makers and are not looked at.
bool DecodificaToledo(QByteArrayView trama, const ProtocoloUsuario&, Lectura& l) {
    if (trama.size() != 16 || trama[0] != '\x02')
        return false;
    const QByteArrayView digitos = trama.sliced(4, 6);
    qint64 cuenta = 0;
    for (const char c : digitos) {
        if (c < '0' || c > '9')
            return false;
        cuenta = cuenta * 10 + (c - '0');
    }
    for (const char c : trama.sliced(10, 6))
        if (c < '0' || c > '9')
            return false;
    const int a = uchar(trama[1]);
    const int b = uchar(trama[2]);
    const int punto = a & 0x07;
    double valor = double(cuenta);
    if (punto == 0)
        valor *= 100;
    else if (punto == 1)
        valor *= 10;
    else
        for (int i = 2; i < punto; ++i)
            valor /= 10;
    l.decimales = punto > 2 ? punto - 2 : 0;
    const bool negativo = b & 0x02;
    l.peso = negativo ? -valor : valor;
    l.hayPeso = true;
    l.tipo = (b & 0x01) ? T::Neto : T::Bruto;
    l.unidad = (b & 0x10) ? QStringLiteral("kg") : QStringLiteral("lb");
    if (b & 0x04) {
        l.hayPeso = false;
        l.peso = 0.0;
        l.estado = negativo ? E::BajoRango : E::SobreRango;
    } else {
        l.estado = (b & 0x08) ? E::Movimiento : E::Estable;
    }
    return true;
}

// A&D standard format: "ST" stable, "US" unstable, "OL" out of range; then on indicators "GS",
// "NT" (or "TR", a tare, which is a reply); the signed weight with its point and the unit.
// "QT" (a count) and a lone ACK are replies; "EC,Exx" is an error.
bool DecodificaAnd(QByteArrayView trama, const ProtocoloUsuario&, Lectura& l) {
    const QByteArrayView t = SinBlancos(trama);
    if (Octetos::Igual(t, "\x06"))
        return Respuesta(l);
    if (Octetos::Empieza(t, "EC,")) {
        l.estado = E::Error;
        return true;
    }
    if (t.size() < 3 || t[2] != ',')
        return false;
    const QByteArrayView cabecera = t.first(2);
    QByteArrayView resto = t.sliced(3);
    if (Octetos::Igual(cabecera, "ST"))
        l.estado = E::Estable;
    else if (Octetos::Igual(cabecera, "US"))
        l.estado = E::Movimiento;
    else if (Octetos::Igual(cabecera, "OL"))
        l.estado = E::SobreRango;
    else if (Octetos::Igual(cabecera, "QT"))
        return Respuesta(l);
    else
        return false;
    if (resto.size() >= 3 && resto[2] == ',') {
        const QByteArrayView clase = resto.first(2);
        if (Octetos::Igual(clase, "GS"))
            l.tipo = T::Bruto;
        else if (Octetos::Igual(clase, "NT"))
            l.tipo = T::Neto;
        else if (Octetos::Igual(clase, "TR"))
            return Respuesta(l);
        else
            return false;
        resto = resto.sliced(3);
    }
    if (l.estado == E::SobreRango) {
        // The figure of an out-of-range frame is a row of nines or an exponent: only its sign
        // counts.
        if (SinBlancos(resto).startsWith('-'))
            l.estado = E::BajoRango;
        return true;
    }
    if (!CifraYUnidad(resto, l))
        return false;
    return true;
}

// SMA: status (Z centre of zero, O over, U under, E zero error, T tare error, blank), range
// digit, G/T/N, M in motion or blank, a blank, ten characters of weight (dashes on an error),
// three of unit. A tare frame ("T" in third place) is a reply.
bool DecodificaSma(QByteArrayView trama, const ProtocoloUsuario&, Lectura& l) {
    QByteArrayView t = trama;
    if (t.startsWith('\n'))
        t = t.sliced(1);
    if (t.size() < 15)
        return false;
    const char estado = t[0];
    const char rango = t[1];
    const char clase = t[2];
    const char movimiento = t[3];
    if (!(rango >= '0' && rango <= '9') && rango != ' ')
        return false;
    if (movimiento != 'M' && movimiento != ' ')
        return false;
    if (clase == 'G')
        l.tipo = T::Bruto;
    else if (clase == 'N')
        l.tipo = T::Neto;
    else if (clase == 'T')
        return Respuesta(l);
    else
        return false;
    switch (estado) {
    case ' ':
    case 'Z':
        l.estado = movimiento == 'M' ? E::Movimiento : E::Estable;
        break;
    case 'O':
        l.estado = E::SobreRango;
        break;
    case 'U':
        l.estado = E::BajoRango;
        break;
    case 'E':
    case 'T':
        l.estado = E::Error;
        break;
    default:
        return false;
    }
    const QByteArrayView peso = t.sliced(5, 10);
    const QByteArrayView unidad = t.sliced(15);
    l.unidad = Unidad(SinBlancos(unidad));
    if (l.estado == E::SobreRango || l.estado == E::BajoRango || l.estado == E::Error)
        return true; // no figure, or one that means nothing
    qsizetype fin = 0;
    if (!ProtocoloBascula::LeeCifra(peso, l.peso, l.decimales, fin) ||
        !SinBlancos(peso.sliced(fin)).isEmpty())
        return false;
    l.hayPeso = true;
    return true;
}

// Type 6: the user's expression; "peso" gives the figure, "unidad" the unit and "estado" the
// status (the user's stable text, or in motion).
bool DecodificaUsuario(QByteArrayView trama, const ProtocoloUsuario& u, Lectura& l) {
    ProtocoloUsuario::Grupos g;
    if (!u.Lee(trama, g) || g.peso.isEmpty())
        return false;
    qsizetype fin = 0;
    if (!ProtocoloBascula::LeeCifra(g.peso, l.peso, l.decimales, fin) ||
        !SinBlancos(g.peso.sliced(fin)).isEmpty())
        return false;
    l.hayPeso = true;
    if (!g.unidad.isEmpty())
        l.unidad = Unidad(g.unidad);
    if (u.ConEstado())
        l.estado = u.EsEstable(g.estado) ? E::Estable : E::Movimiento;
    return true;
}
} // namespace

const QList<ProtocoloBascula>& ProtocoloBascula::Tabla() {
    static const QList<ProtocoloBascula> tabla = {
        {0,
         "MARVI",
         IdTexto::NombreProtocolo0 + 0,
         "9600,N,8,2",
         XonXoff,
         FinTrama::CR,
         false,
         {"S0\r", "SN\r", "SB\r", "SF\r", "SC\r", "ST\r", "SD\r", "SS\r"},
         DecodificaTipo0},
        {1,
         "DOR",
         IdTexto::NombreProtocolo0 + 1,
         "9600,N,8,1",
         SinFlujo,
         FinTrama::Bloque,
         false,
         {"", "", "", "", "", "", "", ""},
         DecodificaTipo1},
        // Any command ends a running SIR; SI answers at once, with the status as it stands.
        {2,
         "MT-SICS",
         IdTexto::NombreProtocolo0 + 2,
         "9600,N,8,1",
         SinFlujo,
         FinTrama::CRLF,
         true,
         {"SI\r\n", "", "SI\r\n", "SIR\r\n", "Z\r\n", "T\r\n", "TAC\r\n", "I4\r\n"},
         DecodificaMtSics},
        {3,
         "Toledo continuo",
         IdTexto::NombreProtocolo0 + 3,
         "9600,E,7,1",
         SinFlujo,
         FinTrama::StxCr,
         true,
         {"", "", "", "", "", "", "", ""},
         DecodificaToledo},
        {4,
         "A&D",
         IdTexto::NombreProtocolo0 + 4,
         "2400,E,7,1",
         SinFlujo,
         FinTrama::CRLF,
         true,
         {"", "", "Q\r\n", "", "Z\r\n", "T\r\n", "", ""},
         DecodificaAnd},
        // Any command ends a running R (repeat).
        {5,
         "SMA",
         IdTexto::NombreProtocolo0 + 5,
         "9600,N,8,1",
         SinFlujo,
         FinTrama::LfCr,
         true,
         {"\nW\r", "", "\nW\r", "\nR\r", "\nZ\r", "\nT\r", "\nC\r", ""},
         DecodificaSma},
        {6,
         "Usuario",
         IdTexto::NombreProtocolo0 + 6,
         "9600,N,8,1",
         SinFlujo,
         FinTrama::CR,
         false,
         {"", "", "", "", "", "", "", ""},
         DecodificaUsuario},
    };
    return tabla;
}

const ProtocoloBascula* ProtocoloBascula::Busca(qint32 tipo) {
    for (const ProtocoloBascula& p : Tabla())
        if (p.tipo == tipo)
            return &p;
    return nullptr;
}

QString ProtocoloBascula::Nombre() const {
    return Texto(texto);
}

QByteArray ProtocoloBascula::Orden(qint32 codigo, const ProtocoloUsuario& usuario) const {
    if (codigo < 0 || codigo >= qint32(ordenes.size()))
        return QByteArray();
    if (tipo == 6)
        return codigo == OrdenLeer ? usuario.Peticion() : QByteArray();
    return QByteArray(ordenes[codigo]);
}

FinTrama ProtocoloBascula::Fin(const ProtocoloUsuario& usuario) const {
    return tipo == 6 ? usuario.Fin() : fin;
}

bool ProtocoloBascula::ConEstado(const ProtocoloUsuario& usuario) const {
    return tipo == 6 ? usuario.ConEstado() : conEstado;
}

bool ProtocoloBascula::LeeCifra(QByteArrayView t, double& valor, int& decimales, qsizetype& fin) {
    const char* const inicio = t.data();
    const char* const final = inicio + t.size();
    const char* c = inicio;
    while (c < final && (*c == ' ' || *c == '\t'))
        ++c;
    bool negativo = false;
    if (c < final && (*c == '-' || *c == '+')) {
        negativo = *c == '-';
        ++c;
        while (c < final && *c == ' ')
            ++c;
    }
    const char* const desde = c;
    // The digits as one integer, the point left out.
    quint64 entero = 0;
    const auto Digitos = [&] {
        const char* const d = c;
        while (c < final && uchar(*c - '0') < 10) {
            entero = entero * 10 + uchar(*c - '0');
            ++c;
        }
        return c - d;
    };
    qsizetype cifras = Digitos();
    int dec = 0;
    if (c < final && (*c == '.' || *c == ',')) {
        ++c;
        dec = int(Digitos());
        cifras += dec;
    }
    if (cifras == 0)
        return false;
    // Up to 15 digits the integer is exact in a double, and so is a power of ten up to 1e15:
    // their quotient is the correctly rounded value, as reading the text would give.
    static constexpr double kPotencias[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    double v = 0;
    if (cifras <= 15) {
        v = dec == 0 ? double(entero) : double(entero) / kPotencias[dec];
    } else {
        // More digits than a double holds exactly: the text is read as it stands.
        QByteArray numero(desde, c - desde);
        numero.replace(',', '.');
        bool ok = false;
        v = numero.toDouble(&ok);
        if (!ok)
            return false;
    }
    valor = negativo ? -v : v;
    decimales = dec;
    fin = c - inicio;
    return true;
}

bool ProtocoloBascula::FiguraLineaPeso(QByteArrayView linea, QByteArrayView& figura) {
    if (!Octetos::Empieza(linea, " WT"))
        return false;
    for (qsizetype k = 0; k + 3 <= linea.size(); ++k) {
        if (linea[k] == ' ' && (linea[k + 1] == 'K' || linea[k + 1] == 'k') &&
            (linea[k + 2] == 'G' || linea[k + 2] == 'g')) {
            // A unit that begins before the sixth character leaves no figure.
            if (k < 5)
                return false;
            // Only spaces are trimmed: other characters are the scale's.
            qsizetype i = 5;
            qsizetype f = k;
            while (i < f && linea[i] == ' ')
                ++i;
            while (f > i && linea[f - 1] == ' ')
                --f;
            figura = linea.sliced(i, f - i);
            return true;
        }
    }
    return false;
}
