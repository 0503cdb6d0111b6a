#include "scale/cortadortramas.h"

namespace {
// The scale's characters are 8-bit text.
QString ComoTexto(QByteArrayView bytes) {
    return QString::fromLatin1(bytes.data(), bytes.size());
}

// Leading and trailing spaces removed (only spaces: other characters are the scale's).
QByteArrayView SinEspacios(QByteArrayView t) {
    qsizetype i = 0;
    qsizetype f = t.size();
    while (i < f && t[i] == ' ')
        ++i;
    while (f > i && t[f - 1] == ' ')
        --f;
    return t.sliced(i, f - i);
}

// Position of " Kg" in the line, the letters compared without regard to case; -1 if absent.
qsizetype BuscaKg(QByteArrayView linea) {
    for (qsizetype k = 0; k + 3 <= linea.size(); ++k) {
        if (linea[k] == ' ' && (linea[k + 1] == 'K' || linea[k + 1] == 'k') &&
            (linea[k + 2] == 'G' || linea[k + 2] == 'g'))
            return k;
    }
    return -1;
}

// The figure of a type-1 weight line: the line begins " WT" and holds " Kg"; the figure starts
// at the sixth character. A unit that begins before it leaves no figure and the line is not
// taken as a reading.
bool LineaPeso(QByteArrayView linea, QByteArrayView& lectura) {
    if (!linea.startsWith(" WT"))
        return false;
    const qsizetype k = BuscaKg(linea);
    if (k < 5)
        return false;
    lectura = SinEspacios(linea.sliced(5, k - 5));
    return true;
}
} // namespace

QList<CortadorTramas::Salida> CortadorTramas::Procesa(qint32 tipoBascula, const QByteArray& datos) {
    QList<Salida> salida;
    if (tipoBascula != 0 && tipoBascula != 1)
        return salida;
    m_buffer.append(datos);
    if (tipoBascula == 0)
        CortaTipo0(salida);
    else
        CortaTipo1(salida);
    Limita();
    return salida;
}

void CortadorTramas::Entrega(QList<Salida>& salida, QByteArrayView lectura, qint64 longitud) {
    if (longitud <= LecturaMaxima) {
        salida.append({Salida::Clase::Mensaje, ComoTexto(lectura)});
        return;
    }
    salida.append({Salida::Clase::MensajeDebug,
                   QStringLiteral("Lectura de %1 caracteres descartada (más de %2): %3...")
                       .arg(longitud)
                       .arg(LecturaMaxima)
                       .arg(ComoTexto(lectura.first(qMin<qsizetype>(lectura.size(), 20))))});
}

void CortadorTramas::CortaTipo0(QList<Salida>& salida) {
    qsizetype inicio = 0;
    for (;;) {
        const qsizetype cr = m_buffer.indexOf('\r', inicio);
        if (cr < 0)
            break;
        Entrega(salida, QByteArrayView(m_buffer).sliced(inicio, cr - inicio),
                cr - inicio + m_descartadosTrama);
        m_descartadosTrama = 0;
        inicio = cr + 1;
    }
    m_buffer.remove(0, inicio);
}

void CortadorTramas::CortaTipo1(QList<Salida>& salida) {
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
            salida.append({Salida::Clase::MensajeDebug, ComoTexto(linea)});
            QByteArrayView lectura;
            if (LineaPeso(linea, lectura))
                Entrega(salida, lectura, lectura.size());
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
