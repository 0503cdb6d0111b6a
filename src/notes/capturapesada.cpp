#include "notes/capturapesada.h"

#include "app/idtextos.h"

#include <cmath>

void CapturaPesada::Recibida(const Lectura& lectura) {
    if (m_cambiada || !m_tomada || !lectura.EsPeso() || !lectura.hayPeso)
        return;
    // Half a step short of the steps, so that figures exactly that many steps apart count
    // whatever their binary rounding.
    const double limite = (PasosCambio - 0.5) * std::pow(10.0, -std::max(lectura.decimales, 0));
    if (std::fabs(lectura.peso) <= limite || std::fabs(lectura.peso - m_tomada->peso) >= limite)
        m_cambiada = true;
}

bool CapturaPesada::Fresca(const QDateTime& recibida, const QDateTime& ahora) const {
    if (!recibida.isValid())
        return false;
    if (m_ajustes.continuo)
        return recibida.msecsTo(ahora) <= m_ajustes.frescaMs;
    return m_pedida.isValid() && recibida >= m_pedida;
}

CapturaPesada::Decision CapturaPesada::Decide(const std::optional<Lectura>& ultima,
                                              const QDateTime& inicio,
                                              const QDateTime& ahora) const {
    const bool quedaTiempo = inicio.msecsTo(ahora) < m_ajustes.esperaMs;
    const auto espera = [quedaTiempo](Motivo m) {
        return Decision{quedaTiempo ? Veredicto::Espera : Veredicto::Rechaza, m};
    };
    if (!ultima || !ultima->EsPeso())
        return espera(Motivo::SinLectura);
    if (!Fresca(ultima->recibida, ahora))
        return espera(Motivo::Antigua);
    switch (ultima->estado) {
    case Lectura::Estado::SobreRango:
    case Lectura::Estado::BajoRango:
        return {Veredicto::Rechaza, Motivo::FueraDeRango};
    case Lectura::Estado::Error:
        return {Veredicto::Rechaza, Motivo::ErrorBascula};
    case Lectura::Estado::Movimiento:
        return espera(Motivo::Inestable);
    case Lectura::Estado::Estable:
    case Lectura::Estado::Desconocido:
        break;
    }
    if (!ultima->hayPeso)
        return {Veredicto::Rechaza, Motivo::SinLectura};
    if (m_ajustes.unaPorCarga && !m_cambiada)
        return {Veredicto::Rechaza, Motivo::MismaCarga};
    return {Veredicto::Toma, Motivo::Ninguno};
}

void CapturaPesada::Tomada(const Lectura& lectura) {
    m_tomada = lectura;
    m_cambiada = false;
}

RegistroPesadas::Entrada CapturaPesada::Entrada(const Lectura& lectura, const QString& puesto,
                                                qint32 tipoBascula) {
    RegistroPesadas::Entrada e;
    e.fechaHora = lectura.recibida;
    e.puesto = puesto;
    e.evento = RegistroPesadas::kPesada;
    e.tipoBascula = tipoBascula;
    if (lectura.hayPeso)
        e.peso = lectura.peso;
    e.decimales = lectura.decimales;
    e.unidad = lectura.unidad;
    e.estado = Lectura::NombreEstado(lectura.estado);
    e.bruto = Lectura::NombreTipo(lectura.tipo);
    e.trama = lectura.trama;
    return e;
}

Resultado CapturaPesada::Registra(QSqlDatabase db, const Lectura& lectura, const QString& puesto,
                                  qint32 tipoBascula, qint64& idPesada) {
    RegistroPesadas::Entrada e = Entrada(lectura, puesto, tipoBascula);
    if (Resultado r = RegistroPesadas::Anade(db, e); !r)
        return r;
    Tomada(lectura);
    idPesada = e.idPesada;
    return {};
}

int CapturaPesada::TextoMotivo(Motivo motivo) {
    switch (motivo) {
    case Motivo::Ninguno:
        break;
    case Motivo::SinLectura:
        return IdTexto::PesadaSinLectura;
    case Motivo::Antigua:
        return IdTexto::PesadaAntigua;
    case Motivo::Inestable:
        return IdTexto::PesadaInestable;
    case Motivo::FueraDeRango:
        return IdTexto::PesadaFueraRango;
    case Motivo::ErrorBascula:
        return IdTexto::PesadaErrorBascula;
    case Motivo::MismaCarga:
        return IdTexto::PesadaMismaCarga;
    }
    return IdTexto::EsperandoEstable;
}
