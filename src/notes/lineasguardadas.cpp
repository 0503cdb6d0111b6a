#include "notes/lineasguardadas.h"

#include "app/clsdatosapp.h"
#include "db/registropesadas.h"
#include "notedata/almacenalbaranes.h"
#include "notes/datasetalbaran.h"

namespace {
int Huella() {
    static const int i = int(DatasetAlbaran::CamposDetalle().size()) - 1;
    return i;
}
} // namespace

LineasGuardadas::LineasGuardadas(const Albaran& cabecera, const clsDatosApp& ajustes)
    : m_ajustes(ajustes), m_numero(cabecera.NumAlbaran), m_fecha(cabecera.Fecha),
      m_lineas(ajustes.Conexion(), AlmacenAlbaranes::ConsultaLineas(),
               AlmacenAlbaranes::ClaveLineas(cabecera.NumAlbaran, cabecera.Fecha)) {
    m_lineas.SetTablasEsquema({QStringLiteral("AlbaranesDetalle")});
}

int LineasGuardadas::NumCampos() const {
    return int(DatasetAlbaran::CamposDetalle().size());
}

QString LineasGuardadas::NombreCampo(int i) const {
    return i >= 0 && i < NumCampos() ? DatasetAlbaran::CamposDetalle().at(i).first : QString();
}

Recordset::Tipo LineasGuardadas::TipoCampo(int i) const {
    return i >= 0 && i < NumCampos() ? DatasetAlbaran::CamposDetalle().at(i).second : Tipo::Texto;
}

void LineasGuardadas::MoveFirst() {
    m_numLinea = 0;
    if (m_lineas.Abierto())
        m_lineas.MoveFirst();
    else
        (void)m_lineas.Abre(); // a failure leaves it at its end, and Error says why
    Lee();
}

void LineasGuardadas::MoveNext() {
    if (!m_lineas.Abierto() || m_lineas.AlFinal())
        return;
    m_lineas.MoveNext();
    Lee();
}

void LineasGuardadas::Lee() {
    m_fila = {};
    m_registro.clear();
    if (!m_lineas.Abierto() || !m_lineas.EnRegistro())
        return;
    ++m_numLinea;
    for (int c = 1; c <= LineasAlbaran::IdPesada; ++c)
        AlmacenAlbaranes::PonCelda(m_fila, c, m_lineas.Valor(c - 1), m_ajustes.SeparadorDecimal());
    m_registro =
        DatasetAlbaran::RegistroDetalle(m_numero, m_fecha, m_numLinea, m_fila, m_ajustes, false);
    m_conHuella = false;
}

QVariant LineasGuardadas::Valor(int i) const {
    if (i < 0 || i >= m_registro.size())
        return QVariant();
    if (i == Huella() && !m_conHuella) {
        m_conHuella = true;
        bool conPesada = false;
        const qint64 pesada = m_fila[LineasAlbaran::IdPesada - 1].toLongLong(&conPesada);
        if (conPesada)
            m_registro[i] = RegistroPesadas::Huella(m_ajustes.Conexion(), pesada);
    }
    return m_registro.at(i);
}
