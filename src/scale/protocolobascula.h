#pragma once

#include "scale/fintrama.h"
#include "scale/lectura.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <array>
#include <optional>

class ProtocoloUsuario;

// One scale protocol: a row of the table every part of the scale path reads (the cutter, the
// controller, the test window's buttons, the configuration window's list, the console reader
// and the simulator). Adding a protocol is adding a row and its decoder.
struct ProtocoloBascula {
    // Decodes one frame without its end into `lectura`, which starts as a fresh reading of that
    // frame (its bytes already in `trama`); false when the frame cannot be read (what `lectura`
    // then holds means nothing). Pure: no I/O, no state; the user's definition is read by type 6
    // only.
    using Decodificador = bool (*)(QByteArrayView trama, const ProtocoloUsuario& usuario,
                                   Lectura& lectura);

    // Flow control values, as FlujoBascula stores them.
    enum Flujo : qint32 { SinFlujo = 0, XonXoff = 1, RtsCts = 2 };

    qint32 tipo;        // the value of TipoBascula
    const char* nombre; // as the console commands print it
    qint32 texto;       // the text id of its name in the configuration window's list
    const char* linea;  // default line settings, "9600,N,8,1"; empty for the user's type
    qint32 flujo;       // default flow control
    FinTrama fin;       // for type 6 the user's
    // Whether the frames say whether the weight is stable; when not, the controller judges it.
    bool conEstado;
    // The request sent for each scale command code (the controller's Orden: 0 on request,
    // 1 net, 2 gross (read once), 3 continuous, 4 zero, 5 tare, 6 clear tare, 7 serial number);
    // empty where the protocol has none. Type 6 takes its read request from the user.
    std::array<const char*, 8> ordenes;
    Decodificador decodificaEn;

    // The frame decoded; nothing when it cannot be read.
    std::optional<Lectura> decodifica(QByteArrayView trama, const ProtocoloUsuario& usuario) const {
        std::optional<Lectura> l(std::in_place);
        l->Reinicia(trama);
        if (!decodificaEn(trama, usuario, *l))
            l.reset();
        return l;
    }

    // Code of the command that asks for one reading.
    static constexpr qint32 OrdenLeer = 2;

    static const QList<ProtocoloBascula>& Tabla();
    // The row of `tipo`; nullptr for a type no row declares.
    static const ProtocoloBascula* Busca(qint32 tipo);

    // Its name in the interface language.
    QString Nombre() const;
    // The bytes of command `codigo` (0..7); empty when the protocol has no such command.
    QByteArray Orden(qint32 codigo, const ProtocoloUsuario& usuario) const;
    // Whether the scale must be asked for each reading (false: it streams).
    bool Pregunta(const ProtocoloUsuario& usuario) const {
        return !Orden(OrdenLeer, usuario).isEmpty();
    }
    // The frame end, the user's for type 6.
    FinTrama Fin(const ProtocoloUsuario& usuario) const;
    // Whether the frames say whether the weight is stable.
    bool ConEstado(const ProtocoloUsuario& usuario) const;

    // The number at the start of `texto` (after blanks): an optional sign, blanks, digits with
    // one point or comma. `fin` receives the position after it. False when there are no digits.
    static bool LeeCifra(QByteArrayView texto, double& valor, int& decimales, qsizetype& fin);
    // The figure of a type-1 weight line: the line begins " WT" and holds " Kg" (any case); the
    // figure starts at the sixth character, blanks around it removed. False for other lines.
    static bool FiguraLineaPeso(QByteArrayView linea, QByteArrayView& figura);
};
