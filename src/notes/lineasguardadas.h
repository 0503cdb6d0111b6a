#pragma once

#include "db/recordset.h"
#include "db/recordsetconsulta.h"
#include "notedata/albaran.h"

#include <QVariantList>

class clsDatosApp;

// The "Detalle" table of a stored note's print data set (DatasetAlbaran) read from the
// database a line at a time: each record is the one DatasetAlbaran makes of the line as the
// note would load it, so that a note of any length is gone through in the same memory. Reading
// goes forward; MoveFirst reads from the first line again. A line's fingerprint is looked up
// only when it is asked for.
class LineasGuardadas : public Recordset {
public:
    // The lines of the note stored under the number and date of `cabecera`.
    LineasGuardadas(const Albaran& cabecera, const clsDatosApp& ajustes);

    // The cells of the current line, as the loaded note holds them.
    const FilaAlbaran& FilaActual() const { return m_fila; }
    // Why reading stopped early; empty when it did not.
    QString Error() const { return m_lineas.Error(); }

    int NumCampos() const override;
    QString NombreCampo(int i) const override;
    Tipo TipoCampo(int i) const override;
    bool AlPrincipio() const override { return m_lineas.AlPrincipio(); }
    bool AlFinal() const override { return m_lineas.AlFinal(); }
    void MoveFirst() override;
    void MoveNext() override;
    QVariant Valor(int i) const override;
    using Recordset::Valor;

private:
    void Lee();

    const clsDatosApp& m_ajustes;
    QString m_numero;
    QDate m_fecha;
    mutable RecordsetConsulta m_lineas;
    int m_numLinea = 0;
    FilaAlbaran m_fila;
    mutable QVariantList m_registro;
    mutable bool m_conHuella = false;
};
