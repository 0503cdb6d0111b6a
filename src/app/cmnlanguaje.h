#pragma once

#include <QHash>
#include <QLocale>
#include <QString>

// The table of numbered interface texts: three blocks of the same ids, Spanish at offset 0,
// Catalan at 2000 and English at 4000. Windows take every text they show from here.
class cmnLanguaje {
public:
    // The text of `id` in the interface language, falling back to Spanish and then to the
    // empty text.
    static QString Texto(int id);
    // The same with an explicit language offset.
    static QString Texto(int id, int idioma);
    // The text of the raw id, without any offset; empty when the id does not exist.
    static QString TextoSinIdioma(int id);
    // The language names, in offset order: ids 0, 2000, 4000... while not empty.
    static QStringList Idiomas();
    // The locale of a language offset: its language as spoken in Spain, English as in the UK.
    static QLocale Locale(int idioma);

    // The interface language of the whole process, as the offset of its block; the registered
    // settings object sets it from its Idioma. Qt's own texts (standard buttons, file and print
    // dialogs) follow it where the system has Qt's translations for that language.
    static void PonIdioma(int idioma);
    static int IdiomaActual() { return s_idioma; }

private:
    static const QHash<int, QString>& Tabla();
    static void CargaTraduccionesQt(int idioma);
    static int s_idioma;
};

// Short form used by every window.
inline QString Texto(int id) {
    return cmnLanguaje::Texto(id);
}
