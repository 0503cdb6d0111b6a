#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

class QFontMetrics;

// Named sets of pick-list column widths, shared by every pick list. A width list is the widths
// of the columns in twips as whole numbers joined by "|", column 0 first.
class kelColumnasBrowse {
public:
    // The stored sets: value name = set name, value data = width list.
    static QString Subclave() { return QStringLiteral("\\Pos\\kelBrowse\\Columnas"); }
    static QList<std::pair<QString, QString>> Conjuntos();
    // Stores a set; a blank name (after trimming) stores nothing and returns false. Slashes and
    // backslashes in the name become "-".
    static bool GuardaConjunto(const QString& nombre, const QString& lista);
    // The stored list of a set, empty when there is none.
    static QString ListaDe(const QString& nombre);

    static QString Lista(const QList<int>& anchosTwips);
    // The widths of a list, in twips rounded to whole numbers; at most `columnas` of them.
    static QList<int> Anchos(const QString& lista, int columnas);

    // The initial width of a column: the wider of its title and of `caracteres` letters "A" in
    // the given font, plus 300 twips. Pixels count as kelRegistry::TwipsPorPixel twips.
    static int AnchoInicial(const QFontMetrics& fuente, const QString& titulo, int caracteres);

    static int Twips(int pixeles);
    static int Pixeles(int twips);
};
