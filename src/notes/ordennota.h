#pragma once

#include "app/lineacomandos.h"

#include <QDate>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <optional>

class clsDatosApp;

// What every console command about one stored note reads first: the command word, the note's
// NUMBER and DATE (yyyy-mm-dd), the values that follow them, the common options, and the
// settings and database they name (opened read-only).
class OrdenNota {
public:
    // `valores` counts NUMBER and DATE too. Empty when all was read; otherwise the exit status,
    // the failure said on `errores`.
    static std::optional<int> Lee(const QStringList& argumentos, const QString& palabra,
                                  int valores, QStringList& leidos, QString& numero, QDate& fecha,
                                  std::unique_ptr<clsDatosApp>& datos, QTextStream& errores);
};
