#include "scale/ajustesbascula.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "scale/protocolobascula.h"
#include "scale/protocolousuario.h"

AjustesBascula AjustesBascula::De(const clsDatosApp& d) {
    AjustesBascula a;
    a.tipo = d.TipoBascula();
    a.linea = d.LineaBascula().trimmed();
    a.flujo = d.FlujoBascula().trimmed();
    a.tramaUsuario = d.TramaUsuario();
    a.estableUsuario = d.EstableUsuario();
    a.finTramaUsuario = d.FinTramaUsuario();
    a.peticionUsuario = d.PeticionUsuario();
    a.estabilidad.lecturas = qMax(1, d.EstableLecturas());
    a.estabilidad.ms = qMax(0, d.EstableMs());
    bool ok = false;
    const double margen = d.EstableMargen().trimmed().replace(',', '.').toDouble(&ok);
    a.estabilidad.margen = ok && margen >= 0 ? margen : -1.0;
    return a;
}

bool AjustesBascula::LeeLinea(const QString& texto, Linea& l) {
    const QStringList p = texto.split(',');
    if (p.size() != 4)
        return false;
    bool ok = false;
    const int bps = p[0].trimmed().toInt(&ok);
    if (!ok || bps < 50 || bps > 4000000)
        return false;
    const QString paridad = p[1].trimmed().toUpper();
    QSerialPort::Parity par;
    if (paridad == u"N")
        par = QSerialPort::NoParity;
    else if (paridad == u"E")
        par = QSerialPort::EvenParity;
    else if (paridad == u"O")
        par = QSerialPort::OddParity;
    else if (paridad == u"M")
        par = QSerialPort::MarkParity;
    else if (paridad == u"S")
        par = QSerialPort::SpaceParity;
    else
        return false;
    const int bits = p[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return false;
    const QString parada = p[3].trimmed();
    QSerialPort::StopBits stop;
    if (parada == u"1")
        stop = QSerialPort::OneStop;
    else if (parada == u"1.5")
        stop = QSerialPort::OneAndHalfStop;
    else if (parada == u"2")
        stop = QSerialPort::TwoStop;
    else
        return false;
    l.bps = bps;
    l.paridad = par;
    l.bits = QSerialPort::DataBits(bits);
    l.parada = stop;
    return true;
}

Resultado AjustesBascula::LineaEfectiva(const ProtocoloBascula& p, Linea& l) const {
    const QString texto = linea.isEmpty() ? QString::fromLatin1(p.linea) : linea;
    if (!LeeLinea(texto, l))
        return Resultado::Fallo(Texto(IdTexto::LineaBasculaNoValida).arg(texto));
    if (flujo.isEmpty()) {
        l.flujo = p.flujo;
        return Resultado::Exito();
    }
    bool ok = false;
    const int f = flujo.toInt(&ok);
    if (!ok || f < 0 || f > 2)
        return Resultado::Fallo(Texto(IdTexto::FlujoBasculaNoValido).arg(flujo));
    l.flujo = f;
    return Resultado::Exito();
}

Resultado AjustesBascula::Comprueba() const {
    const ProtocoloBascula* p = ProtocoloBascula::Busca(tipo);
    if (!p)
        return Resultado::Exito(); // a type without protocol reads nothing
    Linea l;
    if (const Resultado r = LineaEfectiva(*p, l); !r)
        return r;
    ProtocoloUsuario u;
    return tipo == 6 ? ProtocoloUsuario::Crea(tramaUsuario, estableUsuario, finTramaUsuario,
                                              peticionUsuario, u)
                     : Resultado::Exito();
}
