#include "scale/cortadortramas.h"

#include "scale/protocolobascula.h"

namespace {
constexpr char kStx = '\x02';
constexpr char kEtx = '\x03';
// STX, three status words, six weight and six tare digits, then CR.
constexpr qsizetype kLargoToledo = 16;
} // namespace

const QList<CortadorTramas::Salida>& CortadorTramas::Procesa(qint32 tipoBascula,
                                                             const QByteArray& datos) {
    QList<Salida>& salida = m_salida;
    salida.clear();
    const ProtocoloBascula* p = ProtocoloBascula::Busca(tipoBascula);
    if (!p)
        return salida;
    m_buffer.append(datos);
    switch (const FinTrama fin = p->Fin(m_usuario)) {
    case FinTrama::Bloque:
        CortaBloques(salida, *p);
        break;
    case FinTrama::StxCr:
        CortaToledo(salida, *p);
        break;
    default:
        CortaFinales(salida, *p, fin);
        break;
    }
    Limita();
    return salida;
}

void CortadorTramas::Entrega(QList<Salida>& salida, const ProtocoloBascula& p, QByteArrayView trama,
                             qint64 longitud) {
    if (longitud > LecturaMaxima) {
        const QString inicio = QString::fromLatin1(trama.first(qMin<qsizetype>(trama.size(), 20)));
        salida.append({Salida::Clase::MensajeDebug,
                       QStringLiteral("Lectura de %1 caracteres descartada (más de %2): %3...")
                           .arg(longitud)
                           .arg(LecturaMaxima)
                           .arg(inicio)
                           .toLatin1()});
        return;
    }
    // Built in its place in the list, so that the reading is not moved from one copy to another.
    Salida& s = salida.emplaceBack();
    if (!p.decodificaEn(trama, m_usuario, s.lectura.emplace())) {
        s.lectura.reset();
        ++m_ilegibles;
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

void CortadorTramas::CortaFinales(QList<Salida>& salida, const ProtocoloBascula& p, FinTrama fin) {
    const char final = fin == FinTrama::ETX                             ? kEtx
                       : (fin == FinTrama::LF || fin == FinTrama::CRLF) ? '\n'
                                                                        : '\r';
    qsizetype inicio = 0;
    for (;;) {
        const qsizetype f = m_buffer.indexOf(final, inicio);
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
                const qsizetype lf = trama.lastIndexOf('\n');
                if (lf > 0)
                    trama = trama.sliced(lf); // what came before the frame's LF is not of it
            } else {
                while (!trama.isEmpty() && (trama.front() == '\n' || trama.front() == '\r'))
                    trama = trama.sliced(1);
            }
            if (trama.isEmpty() || trama == "\n")
                continue; // a bare line end between frames
        }
        Entrega(salida, p, trama, longitud);
    }
    m_buffer.remove(0, inicio);
}

void CortadorTramas::CortaToledo(QList<Salida>& salida, const ProtocoloBascula& p) {
    qsizetype inicio = 0;
    for (;;) {
        const qsizetype stx = m_buffer.indexOf(kStx, inicio);
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
        Entrega(salida, p, QByteArrayView(m_buffer).sliced(stx, kLargoToledo), kLargoToledo);
        inicio = stx + kLargoToledo + 1;
    }
    m_descartadosTrama = 0;
    m_buffer.remove(0, inicio);
}

void CortadorTramas::CortaBloques(QList<Salida>& salida, const ProtocoloBascula& p) {
    qsizetype inicio = 0;
    for (;;) {
        const qsizetype fin = m_buffer.indexOf("\n\n\n", inicio);
        if (fin < 0)
            break;
        const QByteArray bloque = m_buffer.sliced(inicio, fin - inicio);
        qsizetype desde = 0;
        // An empty block has no lines.
        for (bool hay = !bloque.isEmpty(); hay;) {
            const qsizetype crlf = bloque.indexOf("\r\n", desde);
            const QByteArray linea =
                bloque.sliced(desde, (crlf < 0 ? bloque.size() : crlf) - desde);
            salida.append({Salida::Clase::MensajeDebug, linea});
            QByteArrayView figura;
            if (ProtocoloBascula::FiguraLineaPeso(linea, figura)) {
                if (figura.size() > LecturaMaxima)
                    Entrega(salida, p, figura, figura.size());
                else
                    Entrega(salida, p, linea, figura.size());
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
