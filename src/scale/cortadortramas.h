#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Cuts scale readings out of the characters received from the scale's port.
//
// Type 0 sends one reading per frame ended by a carriage return. Type 1 prints blocks of lines
// separated by CR LF and ended by three line feeds; the weight is on the line that begins " WT".
// Every complete frame or block in the buffer is cut at once, in order, so a scale in continuous
// mode never gets ahead of the readings shown. What is left over (an incomplete frame) waits for
// more characters; it is bounded to LimiteBuffer characters, the oldest dropped first, so a line
// that never sends its terminator cannot grow without limit. A reading longer than any scale
// sends (LecturaMaxima) is not delivered: a MensajeDebug tells of it instead.
class CortadorTramas {
public:
    static constexpr qsizetype LimiteBuffer = 64 * 1024;
    static constexpr qsizetype LecturaMaxima = 256;

    struct Salida {
        enum class Clase { Mensaje, MensajeDebug };
        Clase clase;
        QString texto;
        bool operator==(const Salida&) const = default;
    };

    // Appends the characters and cuts every complete frame (type 0) or block (type 1).
    // Any other type cuts nothing and leaves the buffer as it was.
    QList<Salida> Procesa(qint32 tipoBascula, const QByteArray& datos);

    const QByteArray& Buffer() const { return m_buffer; }
    // Characters dropped from the front because the buffer went over its limit.
    qint64 Descartados() const { return m_descartados; }

private:
    void CortaTipo0(QList<Salida>& salida);
    void CortaTipo1(QList<Salida>& salida);
    // A reading, or the report of one too long to be a reading (`longitud` counts characters
    // dropped from its front while it was incomplete).
    static void Entrega(QList<Salida>& salida, QByteArrayView lectura, qint64 longitud);
    void Limita();

    QByteArray m_buffer;
    qint64 m_descartados = 0;
    // Characters dropped from the front of the frame now incomplete.
    qint64 m_descartadosTrama = 0;
};
