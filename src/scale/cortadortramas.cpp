#include "scale/cortadortramas.h"

#include "scale/octetos.h"
#include "scale/protocolobascula.h"

#include <cstring>

namespace {
constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';
// STX, three status words, six weight and six tare digits, then CR.
constexpr qsizetype kLargoToledo = 16;
constexpr qsizetype kSalidasGuardadas = 256;
} // namespace

CortadorTramas::Salidas CortadorTramas::Procesa(qint32 tipoBascula, const QByteArray& datos) {
    m_usadas = 0;
    // A burst of many frames leaves no more messages kept than a usual read needs.
    if (m_salida.size() > kSalidasGuardadas)
        m_salida.resize(kSalidasGuardadas);
    const ProtocoloBascula* p = ProtocoloBascula::Busca(tipoBascula);
    if (!p)
        return {m_salida.constData(), 0};
    m_buffer.append(datos);
    switch (const FinTrama fin = p->Fin(m_usuario)) {
    case FinTrama::Bloque:
        CortaBloques(*p);
        break;
    case FinTrama::StxCr:
        CortaToledo(*p);
        break;
    default:
        CortaFinales(*p, fin);
        break;
    }
    Limita();
    // The last reading decoded outlives this call's messages.
    if (m_enSalida >= 0) {
        const Lectura& l = *m_salida.at(m_enSalida).lectura;
        m_ultima.Reinicia(l.trama);
        m_ultima.TomaDecodificado(l);
        m_enSalida = -1;
    }
    return {m_salida.constData(), m_usadas};
}

CortadorTramas::Salida& CortadorTramas::Siguiente() {
    if (m_usadas == m_salida.size()) {
        ++m_usadas;
        return m_salida.emplaceBack();
    }
    Salida& s = m_salida[m_usadas++];
    s.clase = Salida::Clase::Mensaje;
    if (!s.bytes.isNull())
        s.bytes = QByteArray();
    return s;
}

void CortadorTramas::Entrega(const ProtocoloBascula& p, QByteArrayView trama, qint64 longitud) {
    if (longitud > LecturaMaxima) {
        const QString inicio = QString::fromLatin1(trama.first(qMin<qsizetype>(trama.size(), 20)));
        Salida& s = Siguiente();
        s.clase = Salida::Clase::MensajeDebug;
        s.bytes = QStringLiteral("Lectura de %1 caracteres descartada (más de %2): %3...")
                      .arg(longitud)
                      .arg(LecturaMaxima)
                      .arg(inicio)
                      .toLatin1();
        s.lectura.reset();
        return;
    }
    // Built in its place in the list, so that the reading is not moved from one copy to another.
    Salida& s = Siguiente();
    if (!s.lectura)
        s.lectura.emplace();
    s.lectura->Reinicia(trama);
    const Lectura& ultima = m_enSalida >= 0 ? *m_salida.at(m_enSalida).lectura : m_ultima;
    if (m_tipoUltima == p.tipo && ultima.trama.size() == trama.size() &&
        std::memcmp(ultima.trama.constData(), trama.data(), size_t(trama.size())) == 0) {
        s.lectura->TomaDecodificado(ultima);
    } else if (p.decodificaEn(trama, m_usuario, *s.lectura)) {
        m_enSalida = m_usadas - 1;
        m_tipoUltima = p.tipo;
    } else {
        s.lectura.reset();
        ++m_ilegibles;
        m_tipoUltima = -1;
        m_enSalida = -1;
    }
    if (p.tipo == 1) {
        // The figure of the weight line, as the text of the reading.
        QByteArrayView figura;
        ProtocoloBascula::FiguraLineaPeso(trama, figura);
        s.bytes = figura.toByteArray();
    } else if (!s.lectura) {
        // Type 0 hands on every frame as it came, readable or not.
        if (p.tipo != 0)
            s.clase = Salida::Clase::Ilegible;
        s.bytes = trama.toByteArray();
    }
}

void CortadorTramas::CortaFinales(const ProtocoloBascula& p, FinTrama fin) {
    const char final = fin == FinTrama::ETX                             ? kEtx
                       : (fin == FinTrama::LF || fin == FinTrama::CRLF) ? '\n'
                                                                        : '\r';
    qsizetype inicio = 0;
    for (;;) {
        const qsizetype f = Octetos::Busca(m_buffer, final, inicio);
        if (f < 0)
            break;
        QByteArrayView trama = QByteArrayView(m_buffer).sliced(inicio, f - inicio);
        const qint64 longitud = trama.size() + m_descartadosTrama;
        m_descartadosTrama = 0;
        inicio = f + 1;
        if (p.tipo != 0) {
            // The line end's other half, left over from the previous frame or sent by a scale
            // that ends its frames with both.
            if (fin == FinTrama::CRLF && trama.endsWith('\r'))
                trama.chop(1);
            if (fin == FinTrama::LfCr) {
                // What came before the frame's LF is not of it.
                qsizetype lf = trama.size() - 1;
                while (lf > 0 && trama[lf] != '\n')
                    --lf;
                if (lf > 0)
                    trama = trama.sliced(lf);
            } else {
                while (!trama.isEmpty() && (trama.front() == '\n' || trama.front() == '\r'))
                    trama = trama.sliced(1);
            }
            if (trama.isEmpty() || Octetos::Igual(trama, "\n"))
                continue; // a bare line end between frames
        }
        Entrega(p, trama, longitud);
    }
    m_buffer.remove(0, inicio);
}

void CortadorTramas::CortaToledo(const ProtocoloBascula& p) {
    qsizetype inicio = 0;
    for (;;) {
        const qsizetype stx = Octetos::Busca(m_buffer, kStx, inicio);
        if (stx < 0) {
            inicio = m_buffer.size(); // checksums and noise between frames
            break;
        }
        if (m_buffer.size() - stx < kLargoToledo + 1) {
            inicio = stx;
            break;
        }
        if (m_buffer.at(stx + kLargoToledo) != '\r') {
            // Not the start of a frame (a checksum that happens to be STX, noise).
            inicio = stx + 1;
            continue;
        }
        Entrega(p, QByteArrayView(m_buffer).sliced(stx, kLargoToledo), kLargoToledo);
        inicio = stx + kLargoToledo + 1;
    }
    m_descartadosTrama = 0;
    m_buffer.remove(0, inicio);
}

void CortadorTramas::CortaBloques(const ProtocoloBascula& p) {
    qsizetype inicio = 0;
    for (;;) {
        const qsizetype fin = Octetos::Busca(m_buffer, "\n\n\n", inicio);
        if (fin < 0)
            break;
        const QByteArrayView bloque = QByteArrayView(m_buffer).sliced(inicio, fin - inicio);
        qsizetype desde = 0;
        // An empty block has no lines.
        for (bool hay = !bloque.isEmpty(); hay;) {
            const qsizetype crlf = Octetos::Busca(bloque, "\r\n", desde);
            const QByteArrayView linea =
                bloque.sliced(desde, (crlf < 0 ? bloque.size() : crlf) - desde);
            Salida& debug = Siguiente();
            debug.clase = Salida::Clase::MensajeDebug;
            debug.bytes = linea.toByteArray();
            debug.lectura.reset();
            QByteArrayView figura;
            if (ProtocoloBascula::FiguraLineaPeso(linea, figura)) {
                if (figura.size() > LecturaMaxima)
                    Entrega(p, figura, figura.size());
                else
                    Entrega(p, linea, figura.size());
            }
            hay = crlf >= 0;
            desde = crlf + 2;
        }
        m_descartadosTrama = 0;
        inicio = fin + 3;
    }
    m_buffer.remove(0, inicio);
}

void CortadorTramas::Limita() {
    const qsizetype sobra = m_buffer.size() - LimiteBuffer;
    if (sobra > 0) {
        m_buffer.remove(0, sobra);
        m_descartados += sobra;
        m_descartadosTrama += sobra;
    }
}
