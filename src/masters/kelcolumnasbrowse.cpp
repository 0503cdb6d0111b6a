#include "masters/kelcolumnasbrowse.h"

#include "app/kelnumerics.h"
#include "app/kelregistry.h"
#include "app/kelstrings.h"

#include <QFontMetrics>
#include <cmath>

QList<std::pair<QString, QString>> kelColumnasBrowse::Conjuntos() {
    QList<std::pair<QString, QString>> conjuntos;
    kelRegistry::EnumValor valor;
    for (valor.Indice = 0; kelRegistry::EnumAppValue(Subclave(), valor); ++valor.Indice)
        conjuntos.append({valor.Nombre, kelStrings::HastaNulo(valor.Datos)});
    return conjuntos;
}

bool kelColumnasBrowse::GuardaConjunto(const QString& nombre, const QString& lista) {
    QString n = nombre.trimmed();
    if (n.isEmpty())
        return false;
    // The store takes "/" and "\" as key separators: a name holding one would be stored where
    // the list never finds it.
    n.replace('/', '-').replace('\\', '-');
    return kelRegistry::SaveAppString(Subclave(), n, lista);
}

QString kelColumnasBrowse::ListaDe(const QString& nombre) {
    return kelRegistry::GetAppString(Subclave(), nombre);
}

QString kelColumnasBrowse::Lista(const QList<int>& anchosTwips) {
    QStringList partes;
    for (int a : anchosTwips)
        partes << QString::number(a);
    return partes.join('|');
}

QList<int> kelColumnasBrowse::Anchos(const QString& lista, int columnas) {
    QList<int> anchos;
    if (lista.isEmpty() || columnas <= 0)
        return anchos;
    const QStringList partes = lista.split('|');
    for (int i = 0; i < partes.size() && i < columnas; ++i)
        anchos << int(std::lround(kelNumerics::Val(partes.at(i))));
    return anchos;
}

int kelColumnasBrowse::AnchoInicial(const QFontMetrics& fuente, const QString& titulo,
                                    int caracteres) {
    const int titulos = fuente.horizontalAdvance(titulo);
    const int letras = caracteres > 0 ? fuente.horizontalAdvance(QString(caracteres, 'A')) : 0;
    return Twips(std::max(titulos, letras)) + 300;
}

int kelColumnasBrowse::Twips(int pixeles) {
    return pixeles * kelRegistry::TwipsPorPixel;
}

int kelColumnasBrowse::Pixeles(int twips) {
    return int(std::lround(double(twips) / kelRegistry::TwipsPorPixel));
}
