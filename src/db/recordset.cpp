#include "db/recordset.h"

Recordset::Tipo Recordset::TipoDeValor(const QVariant& valor) {
    switch (valor.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return Tipo::Entero;
    case QMetaType::Double:
    case QMetaType::Float:
        return Tipo::Doble;
    case QMetaType::QDate:
        return Tipo::Fecha;
    case QMetaType::QDateTime:
        return Tipo::FechaHora;
    case QMetaType::Bool:
        return Tipo::Booleano;
    default:
        return Tipo::Texto;
    }
}

int Recordset::IndiceCampo(const QString& nombre) const {
    for (int i = 0; i < NumCampos(); ++i)
        if (NombreCampo(i).compare(nombre, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant Recordset::Valor(const QString& nombre) const {
    const int i = IndiceCampo(nombre);
    return i < 0 ? QVariant() : Valor(i);
}
