#pragma once

#include "db/recordset.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <QVariant>

// The text of a field value in an export file. One fixed form per type:
// - numbers: integers plainly; doubles with up to 15 significant digits, no thousands
//   separator, the decimal separator of the settings (SeparadorDecimal);
// - dates: day, month and year as numbers in the locale's short-date order and separators, two
//   digits for day and month and four for the year ("06/12/2026" in Spain, "12/06/2026" in the
//   United States); a locale whose short date is not all numbers gives "2026-12-06";
// - date-times: the date, a space and "HH:mm:ss";
// - booleans: "1" and "0";
// - null: the empty text.
class FormatoValores {
public:
    // Decimal separator and date order of the default locale.
    FormatoValores();
    FormatoValores(const QString& separadorDecimal, const QLocale& local);

    QString SeparadorDecimal() const { return m_separadorDecimal; }
    // The date form, in QDate::toString notation ("dd/MM/yyyy").
    QString FormatoFecha() const { return m_formatoFecha; }

    QString Texto(const QVariant& valor, Recordset::Tipo tipo) const;
    void Anexa(QString& destino, const QVariant& valor, Recordset::Tipo tipo) const;
    // The same forms in UTF-8, for bulk writers: a double, and a date (or date-time) stored as
    // "yyyy-MM-dd" ("yyyy-MM-dd HH:mm:ss"); false, with nothing appended, for other text.
    void AnexaDobleUtf8(QByteArray& destino, double v) const;
    bool AnexaFechaUtf8(QByteArray& destino, QByteArrayView almacenada, bool conHora) const;
    // A double's text as a server sends it ("-1248.25"), appended as AnexaDobleUtf8 would write
    // its value, when the text has that form already: plain digits, at most 15 of them, no zero
    // ending the fraction, not under 0.0001, not minus zero. False, with nothing appended,
    // otherwise.
    bool AnexaTextoDobleUtf8(QByteArray& destino, QByteArrayView texto) const;

private:
    void AnexaFecha(QString& destino, int anyo, int mes, int dia) const;
    void AnexaDoble(QString& destino, double v) const;
    template <typename D> void AnexaFechaEn(D& destino, int anyo, int mes, int dia) const;

    QString m_separadorDecimal;
    QString m_formatoFecha;
    // The numeric date form as three parts: order of day (d), month (M), year (y), and the texts
    // before, between and after them.
    char m_orden[3] = {'d', 'M', 'y'};
    QString m_literales[4];
    QByteArray m_separadorDecimalUtf8;
    QByteArray m_literalesUtf8[4];
};
