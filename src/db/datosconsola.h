#pragma once

#include "app/resultado.h"

#include <memory>

class clsDatosApp;
class LineaComandos;

// What a console command reads: the settings of --settings and the existing database of
// --database (or the default one).
class DatosConsola {
public:
    // Opened read-only and left exactly as it is. A missing database is refused, never
    // created; one that lacks a table or column of the delivery notes is refused too.
    static Resultado Abre(const LineaComandos& linea, std::unique_ptr<clsDatosApp>& datos);
};
