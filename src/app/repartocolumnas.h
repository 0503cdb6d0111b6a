#pragma once

#include <QList>

// How a table's width is shared among its columns, in any unit. Each column has the least
// width its contents need (`minimo`) and the width it would like (`preferido`): every column
// gets its preferred width, never less than its minimum; when that is too wide for `total`,
// the excess is taken from the columns above their minimum, in proportion to what each has to
// spare; when it leaves room, the flexible column (an index, or -1 for none) takes the rest.
class RepartoColumnas {
public:
    struct Columna {
        double minimo = 0;
        double preferido = 0;
    };

    static QList<double> Reparte(const QList<Columna>& columnas, double total, int flexible);
    // Whether the widths fit in `total`: false when even the minimums are wider.
    static bool Cabe(const QList<double>& anchos, double total);
};
