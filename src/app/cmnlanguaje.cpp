#include "app/cmnlanguaje.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <memory>

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

QLocale cmnLanguaje::Locale(int idioma) {
    if (idioma == 2000)
        return QLocale(QLocale::Catalan, QLocale::Spain);
    if (idioma == 4000)
        return QLocale(QLocale::English, QLocale::UnitedKingdom);
    return QLocale(QLocale::Spanish, QLocale::Spain);
}

void cmnLanguaje::PonIdioma(int idioma) {
    s_idioma = idioma;
    CargaTraduccionesQt(idioma);
}

void cmnLanguaje::CargaTraduccionesQt(int idioma) {
    // Qt's catalogue "qt" of a language brings those of its modules. English needs none: it is
    // the language Qt's texts are written in.
    static std::unique_ptr<QTranslator> traductor;
    static int cargado = -1;
    if (!QCoreApplication::instance() || idioma == cargado)
        return;
    cargado = idioma;
    traductor.reset();
    if (idioma != 0 && idioma != 2000)
        return;
    // Where the system keeps them, or beside the program as a Windows installation has them.
    for (const QString& carpeta :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
          QCoreApplication::applicationDirPath() + QStringLiteral("/translations")}) {
        auto t = std::make_unique<QTranslator>();
        if (t->load(Locale(idioma), QStringLiteral("qt"), QStringLiteral("_"), carpeta)) {
            QCoreApplication::installTranslator(t.get());
            traductor = std::move(t);
            return;
        }
    }
}
