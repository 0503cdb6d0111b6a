#include "app/cmnlanguaje.h"

#include <QFile>
#include <QStringList>

int cmnLanguaje::s_idioma = 0;

const QHash<int, QString>& cmnLanguaje::Tabla() {
    // Lines "id<TAB>text", UTF-8; lines starting with '#' are comments.
    static const QHash<int, QString> tabla = [] {
        QHash<int, QString> t;
        QFile f(QStringLiteral(":/textos/textos.tsv"));
        if (!f.open(QIODevice::ReadOnly))
            return t;
        const QString todo = QString::fromUtf8(f.readAll());
        for (const QString& linea : todo.split('\n')) {
            QString l = linea;
            if (l.endsWith('\r'))
                l.chop(1);
            if (l.isEmpty() || l.startsWith('#'))
                continue;
            const qsizetype tab = l.indexOf('\t');
            if (tab <= 0)
                continue;
            bool ok = false;
            const int id = l.left(tab).toInt(&ok);
            if (ok)
                t.insert(id, l.mid(tab + 1));
        }
        return t;
    }();
    return tabla;
}

QString cmnLanguaje::Texto(int id) {
    return Texto(id, s_idioma);
}

QString cmnLanguaje::Texto(int id, int idioma) {
    const QHash<int, QString>& t = Tabla();
    auto it = t.constFind(idioma + id);
    if (it != t.constEnd())
        return *it;
    it = t.constFind(id);
    return it != t.constEnd() ? *it : QString();
}

QString cmnLanguaje::TextoSinIdioma(int id) {
    return Tabla().value(id);
}

QStringList cmnLanguaje::Idiomas() {
    QStringList lista;
    for (int p = 0;; ++p) {
        const QString nombre = TextoSinIdioma(p * 2000);
        if (nombre.isEmpty())
            break;
        lista << nombre;
    }
    return lista;
}

void cmnLanguaje::PonIdioma(int idioma) {
    s_idioma = idioma;
}
