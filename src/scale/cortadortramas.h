#pragma once

#include "scale/lectura.h"
#include "scale/protocolousuario.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Cuts scale frames out of the characters received from the scale's port and decodes each one
// with its protocol's decoder; bytes in, readings out, no I/O.
//
// How frames end comes from the protocol table: type 0 ends each frame with a carriage return;
// type 1 prints blocks of lines separated by CR LF and ended by three line feeds, the weight on
// the line that begins " WT"; the others as their row says. Every complete frame in the buffer
// is cut at once, in order, so a scale in continuous mode never gets ahead of the readings
// shown. What is left over (an incomplete frame) waits for more characters; it is bounded to
// LimiteBuffer characters, the oldest dropped first, so a line that never sends its terminator
// cannot grow without limit. A frame longer than any scale sends (LecturaMaxima) is not
// delivered: a MensajeDebug tells of it instead. A frame its decoder cannot read is counted and
// handed on as Ilegible, never as a weight.
class ProtocoloBascula;

class CortadorTramas {
public:
    static constexpr qsizetype LimiteBuffer = 64 * 1024;
    static constexpr qsizetype LecturaMaxima = 256;

    struct Salida {
        // Mensaje: a frame (type 0), the figure of a weight line (type 1) or a decoded frame
        // (the others), with its reading when it has one. MensajeDebug: a raw line of a type-1
        // block, or the report of a frame too long. Ilegible: a frame no decoder reads.
        enum class Clase { Mensaje, MensajeDebug, Ilegible };
        Clase clase = Clase::Mensaje;
        // The characters of the message when they are not its reading's frame (the figure of a
        // type-1 line, a frame no decoder reads, a report).
        QByteArray bytes;
        std::optional<Lectura> lectura = std::nullopt;
        // The message as text (the scale's characters are 8-bit text).
        QString Texto() const {
            return QString::fromLatin1(lectura && bytes.isNull() ? lectura->trama : bytes);
        }
        bool operator==(const Salida&) const = default;
    };

    // The messages of one call, in order: a view of the cutter's own list, valid until its
    // next call. One list, and the messages in it, serve every call, so a scale streaming fast
    // does not cost a new list and new messages for each few frames.
    class Salidas {
    public:
        Salidas(const Salida* inicio, qsizetype n) : m_inicio(inicio), m_n(n) {}
        const Salida* begin() const { return m_inicio; }
        const Salida* end() const { return m_inicio + m_n; }
        qsizetype size() const { return m_n; }
        bool isEmpty() const { return m_n == 0; }
        const Salida& at(qsizetype i) const { return m_inicio[i]; }
        // A copy that stays.
        QList<Salida> Lista() const { return QList<Salida>(begin(), end()); }

    private:
        const Salida* m_inicio;
        qsizetype m_n;
    };
    // Appends the characters and cuts every complete frame or block. A type no row of the
    // protocol table declares cuts nothing and leaves the buffer as it was.
    Salidas Procesa(qint32 tipoBascula, const QByteArray& datos);

    // The definition type 6 reads.
    void SetUsuario(const ProtocoloUsuario& usuario) {
        m_usuario = usuario;
        m_tipoUltima = -1;
    }

    const QByteArray& Buffer() const { return m_buffer; }
    // Forgets the incomplete frame.
    void Descarta() {
        m_buffer.clear();
        m_descartadosTrama = 0;
    }
    // Characters dropped from the front because the buffer went over its limit.
    qint64 Descartados() const { return m_descartados; }
    // Frames no decoder could read (type 0 and 1 frames included: they are still handed on).
    qint64 Ilegibles() const { return m_ilegibles; }

private:
    void CortaBloques(const ProtocoloBascula& p);
    void CortaToledo(const ProtocoloBascula& p);
    void CortaFinales(const ProtocoloBascula& p, FinTrama fin);
    // A frame decoded, or the report of one too long to be a frame (`longitud` counts
    // characters dropped from its front while it was incomplete).
    void Entrega(const ProtocoloBascula& p, QByteArrayView trama, qint64 longitud);
    void Limita();
    // The next message of this call: one of an earlier call's, made fresh, or a new one.
    Salida& Siguiente();

    ProtocoloUsuario m_usuario;
    QByteArray m_buffer;
    QList<Salida> m_salida;
    // How many of m_salida this call has given.
    qsizetype m_usadas = 0;
    qint64 m_descartados = 0;
    qint64 m_ilegibles = 0;
    // Characters dropped from the front of the frame now incomplete.
    qint64 m_descartadosTrama = 0;
    // The last frame decoded into a reading, with it, and its protocol: a scale at rest sends the
    // same frame again and again, and a decoder is a pure function of the frame, so a frame
    // equal to it takes its reading instead of being decoded anew.
    // While a call cuts, the last frame decoded is the reading of its message m_enSalida (-1:
    // m_ultima, kept from an earlier call).
    Lectura m_ultima;
    qsizetype m_enSalida = -1;
    // Its protocol; -1 while none is kept.
    qint32 m_tipoUltima = -1;
};
