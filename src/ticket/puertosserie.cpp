#include "ticket/puertosserie.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

QStringList PuertosSerie::Lista() {
    QStringList nombres;
    for (const QSerialPortInfo& puerto : QSerialPortInfo::availablePorts())
#ifdef Q_OS_WIN
        nombres << puerto.portName().toUpper();
#else
        nombres << puerto.portName();
#endif
    return nombres;
}

qint16 PuertosSerie::Numero(const QString& nombre) {
    static const QRegularExpression com(QStringLiteral("^COM(\\d{1,5})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tty(QStringLiteral("^(/dev/)?ttyS(\\d{1,5})$"));
    const QString n = nombre.trimmed();
    int numero = 0;
    if (const QRegularExpressionMatch m = com.match(n); m.hasMatch())
        numero = m.captured(1).toInt();
    else if (const QRegularExpressionMatch t = tty.match(n); t.hasMatch())
        numero = t.captured(2).toInt() + 1; // ttyS0 stands where COM1 does
    return numero <= 32767 ? qint16(numero) : qint16(0);
}
