#pragma once

#include "app/resultado.h"
#include "scale/fintrama.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// A protocol the user defines (scale type 6) from four settings: a regular expression for one
// frame without its end, with the named group "peso" and the optional groups "unidad" and
// "estado"; the text of "estado" that means stable (several separated by "|"); the frame end ("CR",
// "LF", "CRLF" or "ETX", CR when empty); and the read request, with \r, \n and \xHH read as escapes
// (empty for a scale that streams).
class ProtocoloUsuario {
public:
    // An expression that never matches until Crea succeeds.
    ProtocoloUsuario();

    // Reads the four settings; fails, saying why, when the expression does not compile, lacks
    // the group "peso", or the frame end is none of the four.
    static Resultado Crea(const QString& trama, const QString& estable, const QString& fin,
                          const QString& peticion, ProtocoloUsuario& protocolo);

    const QRegularExpression& Expresion() const { return m_expresion; }
    // Whether the text of "estado" means stable.
    bool EsEstable(QStringView estado) const { return m_estable.contains(estado.trimmed()); }
    FinTrama Fin() const { return m_fin; }
    const QByteArray& Peticion() const { return m_peticion; }
    // Whether the frames say whether the weight is stable (the expression has "estado").
    bool ConEstado() const { return m_conEstado; }

    // The text with \r, \n, \t, \\ and \xHH turned into their bytes; other characters as Latin-1.
    static QByteArray Escapes(const QString& texto);

private:
    QRegularExpression m_expresion;
    QStringList m_estable;
    FinTrama m_fin = FinTrama::CR;
    QByteArray m_peticion;
    bool m_conEstado = false;
};
