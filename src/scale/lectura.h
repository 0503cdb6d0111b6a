#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstring>

// One frame from the scale, decoded: a weight with what the scale said about it, or a reply that
// is not a weight (to zero or tare, a serial number). The raw bytes and the time they arrived
// go with it, so whoever takes the weight can keep proof of what the scale sent.
struct Lectura {
    enum class Clase { Peso, Respuesta };
    enum class Estado { Estable, Movimiento, SobreRango, BajoRango, Error, Desconocido };
    enum class Tipo { Bruto, Neto, Desconocido };

    Clase clase = Clase::Peso;
    // Whether the frame carried a figure (an over-range or error frame has none).
    bool hayPeso = false;
    double peso = 0.0;
    // Digits after the point as the scale sent them.
    int decimales = 0;
    // The unit as the scale names it ("kg", "g", "lb"); empty when the frame names none.
    QString unidad;
    Estado estado = Estado::Desconocido;
    Tipo tipo = Tipo::Desconocido;
    // The frame without its end, as received.
    QByteArray trama;
    // When the frame's last byte was read; set by the controller.
    QDateTime recibida;

    bool EsPeso() const { return clase == Clase::Peso; }
    // Back to a fresh reading of `frame` in its place, so that whoever reuses one (the cutter,
    // for every frame of a scale that streams) need not build and destroy a whole reading. The
    // frame's bytes are written over the previous frame's unless a copy of the reading shares
    // them.
    void Reinicia(QByteArrayView frame = {}) {
        Olvida();
        trama.resize(frame.size());
        if (!frame.isEmpty())
            std::memcpy(trama.data(), frame.data(), size_t(frame.size()));
        if (!recibida.isNull())
            recibida = QDateTime();
    }
    // Forgets what was decoded (a weight, with nothing said of it), keeping the frame and when it
    // arrived.
    void Olvida() {
        clase = Clase::Peso;
        hayPeso = false;
        peso = 0.0;
        decimales = 0;
        if (!unidad.isNull())
            unidad = QString();
        estado = Estado::Desconocido;
        tipo = Tipo::Desconocido;
    }
    // What `otra` says of its weight: everything but its frame and when it arrived.
    void TomaDecodificado(const Lectura& otra) {
        clase = otra.clase;
        hayPeso = otra.hayPeso;
        peso = otra.peso;
        decimales = otra.decimales;
        unidad = otra.unidad;
        estado = otra.estado;
        tipo = otra.tipo;
    }
    // The weight with a point and the decimals sent ("-12.50"); empty without a figure.
    QString Cifra() const;
    // The reading as the operator sees it: the figure with its unit, then the status in the
    // interface language when the weight is not stable (in motion, over or under range, error);
    // a reply, or a frame without figure or status, reads "no reading".
    QString Rotulo() const;
    // The frame as text, its control characters written as <STX>, <CR> or <xHH>.
    QString TramaLegible() const;
    // "stable", "motion", "overload", "underload", "error", "unknown".
    static QString NombreEstado(Estado e);
    // "gross", "net", "unknown".
    static QString NombreTipo(Tipo t);

    bool operator==(const Lectura&) const = default;
};
