#include "db/recordset.h"

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
