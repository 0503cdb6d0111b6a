#include "export/clsxmlexport.h"

#include "db/recordsetconsulta.h"

namespace {
const QString kDeclaracion = QStringLiteral("<?xml version=\"1.0\"?>");
const QString kFinLinea = QStringLiteral("\r\n");
constexpr qsizetype kBloque = 1 << 20; // bytes gathered before each write to the file

// Leading and trailing characters of code 32 or less removed.
QString Recortado(const QString& t) {
    qsizetype i = 0, j = t.size();
    while (i < j && t.at(i).unicode() <= 32)
        ++i;
    while (j > i && t.at(j - 1).unicode() <= 32)
        --j;
    return t.mid(i, j - i);
}

// Every space removed.
QString Compactado(const QString& t) {
    QString r = t;
    r.remove(u' ');
    return r;
}

// Characters XML 1.0 can carry, as text or as a character reference.
bool EsCaracterXml(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Calls f(code point, its text) for each character; an unpaired surrogate comes as 0xFFFF.
template <typename F> void PorCaracter(const QString& t, F f) {
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c.isHighSurrogate() && i + 1 < t.size() && t.at(i + 1).isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, t.at(i + 1)), QStringView(t).mid(i, 2));
            ++i;
        } else {
            f(c.isSurrogate() ? char32_t(0xFFFF) : char32_t(c.unicode()), QStringView(t).mid(i, 1));
        }
    }
}

bool EsValorEscribible(const QVariant& v) {
    if (!v.isValid() || v.isNull() || Recordset::TipoDeValor(v) != Recordset::Tipo::Texto)
        return true;
    const int id = v.metaType().id();
    return id == QMetaType::QString || id == QMetaType::QChar || id == QMetaType::QTime;
}
} // namespace

QString clsXMLExport::TextoError(int numero) {
    switch (numero) {
    case ErrRecordsetRequerido:
        return QStringLiteral("ADODB Recordset required");
    case ErrSinRecordset:
        return QStringLiteral("You must first set the CurrentRecordset property to an open and "
                              "connected ADODB.Recordset");
    case ErrRecordsetCerrado:
        return QStringLiteral("Recordset must be opened and connected to a Record Source");
    case ErrSinArchivo:
        return QStringLiteral("You need to specify a file name by setting the OutputFile property");
    case ErrArchivoInvalido:
        return QStringLiteral("Invalid file name");
    case ErrValorNoEscribible:
        return QStringLiteral("Value cannot be written to an XML file");
    case ErrCancelado:
        return QStringLiteral("Cancelled");
    default:
        return QString();
    }
}

clsXMLExport::clsXMLExport() = default;

bool clsXMLExport::Error(int numero, const QString& descripcion) {
    m_numeroError = numero;
    m_descripcionError = descripcion.isEmpty() ? TextoError(numero) : descripcion;
    return false;
}

void clsXMLExport::LimpiaError() {
    m_numeroError = 0;
    m_descripcionError.clear();
}

QString clsXMLExport::Escapa(const QString& texto, bool enAtributo) {
    QString r;
    r.reserve(texto.size());
    PorCaracter(texto, [&](char32_t c, QStringView s) {
        switch (c) {
        case u'&':
            r += u"&amp;";
            return;
        case u'<':
            r += u"&lt;";
            return;
        case u'>':
            r += u"&gt;";
            return;
        case u'\r':
            r += u"&#13;"; // a bare CR would be read back as LF
            return;
        }
        if (enAtributo) {
            switch (c) {
            case u'\'':
                r += u"&apos;";
                return;
            case u'"':
                r += u"&quot;";
                return;
            case u'\t':
                r += u"&#9;";
                return;
            case u'\n':
                r += u"&#10;";
                return;
            }
        }
        if (EsCaracterXml(c))
            r += s;
        else
            r += u'?';
    });
    return r;
}

QString clsXMLExport::EnCData(const QString& texto) {
    QString r;
    r.reserve(texto.size());
    PorCaracter(texto, [&](char32_t c, QStringView s) {
        if (EsCaracterXml(c))
            r += s;
        else
            r += u'?';
    });
    // "]]>" would end the section: the "]]" closes one section and the ">" opens the next.
    r.replace(QStringLiteral("]]>"), QStringLiteral("]]]]><![CDATA[>"));
    return "<![CDATA[" + r + "]]>";
}

bool clsXMLExport::SetCurrentRecordset(Recordset* registros) {
    LimpiaError();
    m_registros = registros;
    if (!registros)
        return Error(ErrRecordsetRequerido);
    return CompruebaRegistros();
}

bool clsXMLExport::CompruebaRegistros() {
    if (!m_registros)
        return Error(ErrSinRecordset);
    if (auto* consulta = dynamic_cast<RecordsetConsulta*>(m_registros)) {
        if (!consulta->Abierto() && !consulta->Abre())
            return Error(ErrRecordsetCerrado);
    }
    return true;
}

QString clsXMLExport::OutputFile() const {
    const bool conCarpeta = m_archivo.contains(u'\\') || m_archivo.contains(u'/');
    if (conCarpeta || m_directorio.isEmpty())
        return m_archivo;
    const bool conBarra = m_directorio.endsWith(u'\\') || m_directorio.endsWith(u'/');
    return m_directorio + (conBarra ? QString() : QStringLiteral("/")) + m_archivo;
}

void clsXMLExport::Anexa(const QString& texto) {
    m_cuerpo += texto.toUtf8();
    if (m_salida && m_cuerpo.size() >= kBloque)
        Vuelca();
}

void clsXMLExport::Vuelca() {
    m_salida->Escribe(m_cuerpo);
    m_cuerpo.truncate(0); // keeps its room for the next block
}

bool clsXMLExport::AbreSalida() {
    LimpiaError();
    const QString ruta = OutputFile();
    if (ruta.isEmpty())
        return Error(ErrSinArchivo);
    auto salida = std::make_unique<ArchivoSalida>(ruta, m_protegidos);
    if (const Resultado r = salida->Abre(); !r)
        return Error(ErrArchivoInvalido, r.Error());
    m_salida = std::move(salida);
    m_salida->Escribe((kDeclaracion + kFinLinea).toUtf8());
    Vuelca();
    return true;
}

void clsXMLExport::Clear() {
    m_cuerpo.clear();
}

int clsXMLExport::ElementosAbiertos() const {
    if (m_pila.size() == 1 && Recortado(m_pila.first()).isEmpty())
        return 0;
    return int(m_pila.size());
}

void clsXMLExport::TagStart(const QString& nombre) {
    const QString n = Compactado(nombre);
    if (Recortado(n).isEmpty())
        return; // "<>" would make the document unreadable
    if (!Recortado(m_pila.first()).isEmpty())
        m_pila.append(n);
    else
        m_pila.first() = n;
    QString t = "<" + n;
    for (const auto& [nombreAtributo, valor] : std::as_const(m_atributos))
        t += " " + nombreAtributo + "=" + valor;
    t += ">" + kFinLinea;
    Anexa(t);
}

void clsXMLExport::TagEnd() {
    if (ElementosAbiertos() == 0)
        return;
    Anexa("</" + Recortado(m_pila.last()) + ">" + kFinLinea);
    if (m_pila.size() > 1)
        m_pila.removeLast();
    else
        m_pila.first().clear();
}

void clsXMLExport::AddAttribute(const QString& nombre, const QString& valor) {
    for (const auto& a : std::as_const(m_atributos))
        if (a.first == nombre)
            return;
    m_atributos.append({nombre, "'" + Escapa(valor, true) + "'"});
}

void clsXMLExport::AnexaElemento(const QString& nombre, const QString& valor) {
    const QString n = Compactado(nombre);
    Anexa("<" + n + ">" + (m_cdata ? EnCData(valor) : Escapa(valor, false)) + "</" + n + ">" +
          kFinLinea);
}

bool clsXMLExport::AnexaCampo(int i) {
    const QVariant v = m_registros->Valor(i);
    if (!v.isValid() && !m_registros->EnRegistro())
        return false;
    if (!EsValorEscribible(v))
        return false;
    AnexaElemento(m_registros->NombreCampo(i), m_formato.Texto(v, m_registros->TipoCampo(i)));
    return true;
}

bool clsXMLExport::AddRow(const QString& etiquetaFila) {
    LimpiaError();
    if (!CompruebaRegistros() || !m_registros->EnRegistro())
        return false;
    const QString t = Recortado(etiquetaFila);
    const auto antes = m_atributos;
    QList<bool> enAtributo;
    for (int i = 0; i < m_registros->NumCampos(); ++i) {
        const QString nombre = m_registros->NombreCampo(i);
        enAtributo << m_camposAtributo.contains(nombre, Qt::CaseInsensitive);
        const QVariant v = m_registros->Valor(i);
        if (enAtributo.last() && !t.isEmpty() && !v.isNull() && EsValorEscribible(v))
            AddAttribute(Compactado(nombre), m_formato.Texto(v, m_registros->TipoCampo(i)));
    }
    if (!t.isEmpty())
        TagStart(t);
    m_atributos = antes;
    for (int i = 0; i < m_registros->NumCampos(); ++i)
        if (!enAtributo.at(i))
            AnexaCampo(i);
    if (!t.isEmpty())
        TagEnd();
    return true;
}

bool clsXMLExport::AddRecordset(const QString& etiquetaConjunto, const QString& etiquetaFila,
                                bool numerandoFilas) {
    LimpiaError();
    if (!CompruebaRegistros())
        return false;
    m_registros->MoveFirst();
    if (!m_registros->EnRegistro())
        return false;
    const bool conConjunto = !Recortado(etiquetaConjunto).isEmpty();
    if (conConjunto)
        TagStart(etiquetaConjunto);
    const auto apartados = m_atributos;
    m_atributos.clear();
    bool seguir = true;
    for (qint64 n = 1; seguir && !m_registros->AlFinal(); ++n) {
        AddRow(numerandoFilas ? etiquetaFila + QString::number(n) : etiquetaFila);
        seguir = !m_avance || m_avance(n);
        m_registros->MoveNext();
    }
    m_atributos = apartados;
    if (!seguir)
        return Error(ErrCancelado);
    if (conConjunto)
        TagEnd();
    return true;
}

bool clsXMLExport::AddField(const QString& nombreCampo, bool todosRegistros) {
    LimpiaError();
    if (!CompruebaRegistros())
        return false;
    const int i = m_registros->IndiceCampo(nombreCampo);
    if (i < 0)
        return false;
    if (!todosRegistros)
        return AnexaCampo(i);
    m_registros->MoveFirst();
    for (; !m_registros->AlFinal(); m_registros->MoveNext())
        AnexaCampo(i);
    return true;
}

bool clsXMLExport::AddDisconnectedField(const QString& nombre, const QVariant& valor) {
    LimpiaError();
    if (!EsValorEscribible(valor))
        return Error(ErrValorNoEscribible);
    QString texto;
    if (valor.metaType().id() == QMetaType::QTime && !valor.isNull())
        texto = valor.toTime().toString(u"HH:mm:ss");
    else
        texto = m_formato.Texto(valor, Recordset::TipoDeValor(valor));
    AnexaElemento(nombre, texto);
    return true;
}

QString clsXMLExport::XML() const {
    return kDeclaracion + kFinLinea + QString::fromUtf8(m_cuerpo);
}

bool clsXMLExport::PersistXML() {
    LimpiaError();
    if (m_salida) {
        while (ElementosAbiertos() > 0)
            TagEnd();
        m_cuerpo += kFinLinea.toUtf8();
        Vuelca();
        const Resultado escrito = m_salida->Confirma();
        m_salida.reset(); // an uncommitted file is discarded: the older one stays
        return escrito || Error(ErrArchivoInvalido, escrito.Error());
    }
    const QString ruta = OutputFile();
    if (ruta.isEmpty())
        return Error(ErrSinArchivo);
    ArchivoSalida archivo(ruta, m_protegidos);
    if (const Resultado r = archivo.Abre(); !r)
        return Error(ErrArchivoInvalido, r.Error());
    while (ElementosAbiertos() > 0)
        TagEnd();
    archivo.Escribe((kDeclaracion + kFinLinea).toUtf8());
    archivo.Escribe(m_cuerpo);
    archivo.Escribe(kFinLinea.toUtf8());
    if (const Resultado r = archivo.Confirma(); !r)
        return Error(ErrArchivoInvalido, r.Error());
    return true;
}
