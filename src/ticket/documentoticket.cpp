#include "ticket/documentoticket.h"

#include "app/archivosalida.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
const QString kIniCampos = QStringLiteral("(#IniCampos)");
const QString kFinCampos = QStringLiteral("(#FinCampos)");
const QString kIniSeccion = QStringLiteral("(#IniSeccion)");
const QString kFinSeccion = QStringLiteral("(#FinSeccion)");
const QString kIniDetalle = QStringLiteral("(#IniDetalle;");
const QString kFinDetalle = QStringLiteral("(#FinDetalle;");
const char* const kAnsi = "windows-1252";

// File names compare as the platform's file system does.
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kMayusculasRuta = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kMayusculasRuta = Qt::CaseSensitive;
#endif

bool Empieza(const QString& linea, const QString& marca) {
    return linea.startsWith(marca, Qt::CaseInsensitive);
}

// Lines end with CR LF; a lone CR or LF ends a line too. The end of the last line is optional.
QStringList PartirLineas(const QString& texto) {
    QStringList lineas;
    qsizetype inicio = 0;
    const qsizetype n = texto.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = texto.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lineas.append(texto.mid(inicio, i - inicio));
        if (c == '\r' && i + 1 < n && texto.at(i + 1) == '\n')
            ++i;
        inicio = i + 1;
    }
    if (inicio < n)
        lineas.append(texto.mid(inicio));
    return lineas;
}
} // namespace

void DocumentoTicket::Vacia() {
    m_campos.Clear();
    m_secciones.Clear();
}

QString DocumentoTicket::DecodificaFichero(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder d(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
        return d(bytes.mid(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder d(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        return d(bytes.mid(3));
    }
    QStringDecoder d(kAnsi, QStringConverter::Flag::Stateless);
    if (!d.isValid())
        return QString::fromLatin1(bytes);
    return d(bytes);
}

Resultado DocumentoTicket::LeerFichero(const QString& ruta) {
    const QFileInfo info(ruta);
    if (!m_rutaFichero.isEmpty() && ruta.compare(m_rutaFichero, kMayusculasRuta) == 0 &&
        info.exists() && info.lastModified() == m_fechaFichero && info.size() == m_tamanoFichero)
        return Resultado::Exito();

    Vacia();
    // Whatever happens below, this document no longer matches any file until the read succeeds.
    m_rutaFichero.clear();
    m_fechaFichero = QDateTime();
    m_tamanoFichero = -1;
    if (!info.exists())
        return Resultado::Exito();

    QFile fichero(ruta);
    if (!fichero.open(QIODevice::ReadOnly))
        return Resultado::Fallo(QStringLiteral("%1: no se puede leer la plantilla (%2)")
                                    .arg(ruta, fichero.errorString()));
    const QByteArray bytes = fichero.readAll();
    fichero.close();
    if (Resultado leido = LeeLineas(PartirLineas(DecodificaFichero(bytes)), ruta); !leido)
        return leido;
    m_rutaFichero = ruta;
    m_fechaFichero = info.lastModified();
    m_tamanoFichero = info.size();
    return Resultado::Exito();
}

Resultado DocumentoTicket::LeeLineas(const QStringList& lineas, const QString& nombre) {
    Vacia();
    bool enCampos = false;
    DocumentoSecciones::Puntero abierta;
    auto falla = [&](int numero, const QString& motivo) {
        Vacia();
        return Resultado::Fallo(
            QStringLiteral("%1, línea %2: %3").arg(nombre).arg(numero).arg(motivo));
    };
    auto conSalto = [](const QString& linea) {
        return linea.endsWith(QLatin1String(MacroSaltoLinea), Qt::CaseInsensitive)
                   ? linea
                   : linea + QLatin1String(MacroSaltoLinea);
    };

    for (int i = 0; i < lineas.size(); ++i) {
        const QString& linea = lineas.at(i);
        const int numero = i + 1;
        if (linea.startsWith(QLatin1String("//")))
            continue;
        if (Empieza(linea, kIniCampos)) {
            abierta.reset();
            enCampos = true;
        } else if (Empieza(linea, kFinCampos) || Empieza(linea, kFinSeccion) ||
                   Empieza(linea, kFinDetalle)) {
            enCampos = false;
            abierta.reset();
        } else if (Empieza(linea, kIniSeccion)) {
            enCampos = false;
            abierta = m_secciones.Add(false);
        } else if (Empieza(linea, kIniDetalle)) {
            enCampos = false;
            abierta.reset();
            const qsizetype cierre = linea.indexOf(')');
            if (cierre < 0)
                return falla(numero, QStringLiteral("falta el \")\" tras el nombre de la tabla"));
            const QString tabla = linea.mid(kIniDetalle.size(), cierre - kIniDetalle.size());
            abierta = m_secciones.Add(true, tabla);
            if (!abierta)
                return falla(numero,
                             QStringLiteral("ya hay una sección de detalle sobre la tabla \"%1\"")
                                 .arg(tabla));
        } else if (enCampos) {
            auto campo = std::make_shared<DocumentoCampo>();
            if (const Resultado leido = campo->SetStrValores(linea); !leido)
                return falla(numero, leido.Error());
            m_campos.Agrega(campo, QString());
        } else {
            if (!abierta)
                abierta = m_secciones.Add(false);
            abierta->AddLinea(conSalto(linea));
        }
    }
    return Resultado::Exito();
}

QStringList DocumentoTicket::Lineas() const {
    QStringList lineas;
    lineas << kIniCampos;
    for (const DocumentoCampo& c : m_campos) {
        QString linea = c.Tabla() + ";" + c.Campo() + ";" + QString::number(c.Longitud()) + ";" +
                        c.Alineacion();
        if (c.FormatoNumerico() >= 0)
            linea += ";" + QString::number(c.FormatoNumerico());
        lineas << linea;
    }
    lineas << kFinCampos;
    for (const DocumentoSeccion& s : m_secciones) {
        lineas << (s.Detalle() ? kIniDetalle + s.Key() + ")" : kIniSeccion);
        lineas << s.Lineas();
        lineas << (s.Detalle() ? kFinDetalle + s.Key() + ")" : kFinSeccion);
    }
    return lineas;
}

Resultado DocumentoTicket::GrabarFichero(const QString& ruta, FormatoTexto formato) const {
    auto falla = [&](const QString& motivo) {
        return Resultado::Fallo(QStringLiteral("%1: %2").arg(ruta, motivo));
    };
    const QString texto = Lineas().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    QByteArray bytes;
    switch (formato) {
    case FormatoTexto::Ansi: {
        QStringEncoder e(kAnsi, QStringConverter::Flag::Stateless);
        if (!e.isValid())
            return falla(QStringLiteral("no se dispone de la página de códigos Windows-1252"));
        bytes = e(texto);
        if (e.hasError())
            return falla(QStringLiteral("la plantilla tiene caracteres que el formato de 8 bits "
                                        "no puede guardar"));
        break;
    }
    case FormatoTexto::Unicode: {
        QStringEncoder e(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
        bytes = QByteArray("\xFF\xFE") + QByteArray(e(texto));
        break;
    }
    case FormatoTexto::PorDefecto: {
        QStringEncoder e(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        bytes = QByteArray("\xEF\xBB\xBF") + QByteArray(e(texto));
        break;
    }
    }
    return ArchivoSalida::Guarda(ruta, bytes);
}
