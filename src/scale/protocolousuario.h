#pragma once

#include "app/resultado.h"
#include "scale/fintrama.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <memory>

// A protocol the user defines (scale type 6) from four settings: a regular expression for one
// frame without its end, with the named group "peso" and the optional groups "unidad" and
// "estado"; the text of "estado" that means stable (several separated by "|"); the frame end ("CR",
// "LF", "CRLF" or "ETX", CR when empty); and the read request, with \r, \n and \xHH read as escapes
// (empty for a scale that streams).
//
// The expression is checked as the configuration window's QRegularExpression reads it, and
// frames are matched by the same engine (PCRE2, with the same options) on their bytes, so that
// a scale streaming fast does not cost a text and a match object for every frame. A definition
// and its copies are used from one thread.
class ProtocoloUsuario {
public:
    // The bytes of the frame each named group matched; empty when it matched nothing.
    struct Grupos {
        QByteArrayView peso;
        QByteArrayView unidad;
        QByteArrayView estado;
    };

    // An expression that never matches until Crea succeeds.
    ProtocoloUsuario();

    // Reads the four settings; fails, saying why, when the expression does not compile, lacks
    // the group "peso", or the frame end is none of the four.
    static Resultado Crea(const QString& trama, const QString& estable, const QString& fin,
                          const QString& peticion, ProtocoloUsuario& protocolo);

    // Matches one frame, its bytes read as Latin-1 text, anywhere in the frame; false when the
    // expression does not match.
    bool Lee(QByteArrayView trama, Grupos& grupos) const;
    // Whether the text of "estado" (blanks around it aside) means stable.
    bool EsEstable(QByteArrayView estado) const;
    FinTrama Fin() const { return m_fin; }
    const QByteArray& Peticion() const { return m_peticion; }
    // Whether the frames say whether the weight is stable (the expression has "estado").
    bool ConEstado() const { return m_conEstado; }

    // The text with \r, \n, \t, \\ and \xHH turned into their bytes; other characters as Latin-1.
    static QByteArray Escapes(const QString& texto);

private:
    struct Compilada;
    // Nothing until Crea succeeds: then nothing matches.
    std::shared_ptr<Compilada> m_compilada;
    QList<QByteArray> m_estable;
    FinTrama m_fin = FinTrama::CR;
    QByteArray m_peticion;
    bool m_conEstado = false;
};
