#include "ticket/salidatiquet.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "ticket/paginacodigos.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include <windows.h>
#include <winspool.h>
#else
#include <cups/cups.h>
#endif

namespace {

#ifdef Q_OS_UNIX
QString ErrorSistema() {
    return QString::fromLocal8Bit(std::strerror(errno));
}
#endif

#ifndef Q_OS_WIN
// A connection to the print system named by the environment (CUPS_SERVER, cupsSetServer).
http_t* ConectaSistemaImpresion() {
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 10000,
                        nullptr);
}

QString ErrorCups() {
    return QString::fromUtf8(cupsLastErrorString());
}
#endif

} // namespace

SalidaTiquet::SalidaTiquet(const clsDatosApp& ajustes)
    : m_tipo(ajustes.PuertoImpresoraTiquets()), m_nombre(ajustes.NombreImpresoraTiquets()),
      m_pagina(ajustes.PaginaCodigosTiquet()) {
    if (m_tipo == PuertoSerie)
        m_lineaSerieValida = LineaSerieConfigurada(ajustes, m_lineaSerie);
}

SalidaTiquet::~SalidaTiquet() = default;

void SalidaTiquet::Cancela() {
    if (!m_enviando)
        return;
    m_cancelado = true;
    if (m_puerto)
        m_puerto->Cancela();
    if (m_bucle)
        m_bucle->quit();
}

Resultado SalidaTiquet::EnviarTiquet(const QString& texto) {
    if (m_enviando)
        return Resultado::Fallo(Texto(IdTexto::TiquetEnviandose));
    m_enviando = true;
    m_cancelado = false;
    struct Fin {
        SalidaTiquet& s;
        ~Fin() { s.m_enviando = false; }
    } fin{*this};

    switch (m_tipo) {
    case PuertoParalelo:
        return EscribeDispositivo(PaginaCodigos::ABytes(texto, m_pagina));
    case ImpresoraSistema:
        return ImprimeDirecto(m_nombre, texto, m_pagina);
    case PuertoSerie:
        return EnviaSerie(PaginaCodigos::ABytes(texto, m_pagina));
    case NoDefinida:
        return Resultado::Fallo(Texto(IdTexto::SinImpresoraTiquets));
    default:
        return Resultado::Fallo(Texto(IdTexto::TipoImpresoraDesconocido).arg(m_tipo));
    }
}

QString SalidaTiquet::RutaDispositivo(const QString& nombre) {
    const QString n = nombre.trimmed();
    if (n.startsWith(QLatin1Char('/')))
        return n;
    static const QRegularExpression lpt(QStringLiteral("^LPT(\\d+):?$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = lpt.match(n);
    if (m.hasMatch() && m.captured(1).toInt() >= 1)
#ifdef Q_OS_WIN
        return QStringLiteral("\\\\.\\LPT%1").arg(m.captured(1).toInt());
#else
        return QStringLiteral("/dev/lp%1").arg(m.captured(1).toInt() - 1);
#endif
    return {};
}

QStringList SalidaTiquet::PuertosParalelo(const QString& carpeta) {
    // Devices lp0, lp1, ... of a folder, in number order.
    const auto impresoras = [](const QDir& dir) {
        static const QRegularExpression nombre(QStringLiteral("^lp(\\d+)$"));
        QList<std::pair<int, QString>> encontradas;
        for (const QString& e : dir.entryList(QDir::System | QDir::Files)) {
            const QRegularExpressionMatch m = nombre.match(e);
            if (m.hasMatch())
                encontradas.append({m.captured(1).toInt(), e});
        }
        std::sort(encontradas.begin(), encontradas.end());
        return encontradas;
    };
    QStringList puertos;
    for (const auto& [numero, archivo] : impresoras(QDir(carpeta)))
        puertos << QStringLiteral("LPT%1").arg(numero + 1);
    const QDir usb(carpeta + QStringLiteral("/usb"));
    for (const auto& [numero, archivo] : impresoras(usb))
        puertos << usb.filePath(archivo);
    return puertos;
}

Resultado SalidaTiquet::EscribeDispositivo(const QByteArray& bytes) {
    const QString ruta = RutaDispositivo(m_nombre);
    if (ruta.isEmpty())
        return Resultado::Fallo(Texto(IdTexto::PuertoSinDispositivo).arg(m_nombre));
#ifdef Q_OS_UNIX
    // An existing device only: a missing one is never created as a plain file.
    const int fd = ::open(QFile::encodeName(ruta).constData(),
                          O_WRONLY | O_NOCTTY | O_NONBLOCK | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return Resultado::Fallo(Texto(IdTexto::DispositivoNoSeAbre).arg(ruta, ErrorSistema()));
    qsizetype hecho = 0;
    QElapsedTimer sinProgreso;
    sinProgreso.start();
    Resultado resultado;
    while (hecho < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + hecho, size_t(bytes.size() - hecho));
        if (n > 0) {
            hecho += n;
            sinProgreso.restart();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            resultado =
                Resultado::Fallo(Texto(IdTexto::DispositivoNoSeEscribe).arg(ruta, ErrorSistema()));
            break;
        }
        // The device takes no more for now.
        const qint64 resta = EsperaDispositivoMs - sinProgreso.elapsed();
        if (resta <= 0) {
            resultado = Resultado::Fallo(
                Texto(IdTexto::DispositivoSinBytes).arg(ruta).arg(EsperaDispositivoMs / 1000));
            break;
        }
        if (!EsperaDispositivo(fd, int(qMin<qint64>(resta, 100)))) {
            resultado = Resultado::Fallo(Texto(IdTexto::Cancelado));
            break;
        }
    }
    if (::close(fd) != 0 && resultado)
        resultado =
            Resultado::Fallo(Texto(IdTexto::DispositivoNoSeEscribe).arg(ruta, ErrorSistema()));
    return resultado;
#else
    QFile dispositivo(ruta);
    if (!dispositivo.open(QIODevice::WriteOnly | QIODevice::ExistingOnly) ||
        dispositivo.write(bytes) != bytes.size() || !dispositivo.flush())
        return Resultado::Fallo(dispositivo.errorString());
    return Resultado::Exito();
#endif
}

bool SalidaTiquet::EsperaDispositivo(int fd, int ms) {
#ifdef Q_OS_UNIX
    if (!QCoreApplication::instance()) {
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, ms);
        return !m_cancelado;
    }
    QEventLoop bucle;
    QTimer reloj;
    reloj.setSingleShot(true);
    QObject::connect(&reloj, &QTimer::timeout, &bucle, &QEventLoop::quit);
    QSocketNotifier aviso(static_cast<qintptr>(fd), QSocketNotifier::Write);
    QObject::connect(&aviso, &QSocketNotifier::activated, &bucle, &QEventLoop::quit);
    QEventLoop* anterior = m_bucle;
    m_bucle = &bucle;
    reloj.start(ms);
    if (!m_cancelado)
        bucle.exec();
    m_bucle = anterior;
#else
    Q_UNUSED(fd);
    Q_UNUSED(ms);
#endif
    return !m_cancelado;
}

const QList<qint32>& SalidaTiquet::VelocidadesSerie() {
    static const QList<qint32> velocidades{300,   1200,  2400,  4800,  9600,
                                           14400, 19200, 38400, 57600, 115200};
    return velocidades;
}

Resultado SalidaTiquet::LineaSerieConfigurada(const clsDatosApp& datos,
                                              CommPort::Ajustes& ajustes) {
    const auto fuera = [](const char* ajuste, qint32 valor) {
        return Resultado::Fallo(
            Texto(IdTexto::AjusteSerieSinEntrada).arg(QLatin1String(ajuste)).arg(valor));
    };
    // Positions of the configuration window's lists.
    static const char paridades[] = {'E', 'O', 'N', 'M', 'S'};
    static const int bitsDatos[] = {4, 5, 6, 7, 8};
    static const CommPort::BitsParada paradas[] = {
        CommPort::BitsParada::Uno, CommPort::BitsParada::UnoYMedio, CommPort::BitsParada::Dos};
    static const CommPort::Flujo flujos[] = {CommPort::Flujo::Ninguno, CommPort::Flujo::Hardware,
                                             CommPort::Flujo::XonXoff};

    const qint32 bps = datos.CommTiquetBPS();
    if (bps < 0 || bps >= VelocidadesSerie().size())
        return fuera("CommTiquetBPS", bps);
    const qint32 paridad = datos.CommTiquetParidad();
    if (paridad < 0 || paridad >= qint32(std::size(paridades)))
        return fuera("CommTiquetParidad", paridad);
    const qint32 datosBits = datos.CommTiquetBitsDatos();
    if (datosBits < 0 || datosBits >= qint32(std::size(bitsDatos)))
        return fuera("CommTiquetBitsDatos", datosBits);
    const qint32 parada = datos.CommTiquetBitsParada();
    if (parada < 0 || parada >= qint32(std::size(paradas)))
        return fuera("CommTiquetBitsParada", parada);
    const qint32 flujo = datos.CommTiquetFlujo();
    if (flujo < 0 || flujo >= qint32(std::size(flujos)))
        return fuera("CommTiquetFlujo", flujo);

    ajustes.bps = VelocidadesSerie().at(bps);
    ajustes.paridad = paridades[paridad];
    ajustes.bitsDatos = bitsDatos[datosBits];
    ajustes.bitsParada = paradas[parada];
    ajustes.flujo = flujos[flujo];
    return Resultado::Exito();
}

Resultado SalidaTiquet::EnviaSerie(const QByteArray& bytes) {
    if (!m_lineaSerieValida)
        return m_lineaSerieValida;
    CommPort puerto;
    puerto.SetLineaSerie(m_lineaSerie);
    m_puerto = &puerto;
    QString error;
    bool bien = !puerto.OpenCommErr(m_nombre, error) && !puerto.WriteCommErr(bytes, error);
    QString errorCierre;
    if (puerto.CloseCommErr(errorCierre) && bien) {
        error = errorCierre;
        bien = false;
    }
    m_puerto = nullptr;
    return bien ? Resultado::Exito() : Resultado::Fallo(error);
}

#ifndef Q_OS_WIN

Resultado SalidaTiquet::ImprimeDirecto(const QString& impresora, const QString& texto,
                                       const QString& paginaCodigos) {
    if (impresora.trimmed().isEmpty())
        return Resultado::Fallo(QStringLiteral("No printer name"));
    const QByteArray bytes = PaginaCodigos::ABytes(texto, paginaCodigos);
    http_t* http = ConectaSistemaImpresion();
    if (!http)
        return Resultado::Fallo(QStringLiteral("The print system does not answer"));
    Resultado resultado;
    cups_dest_t* destino = cupsGetNamedDest(http, impresora.toUtf8().constData(), nullptr);
    if (!destino) {
        resultado = Resultado::Fallo(QStringLiteral("Unknown printer \"%1\"").arg(impresora));
    } else {
        const QByteArray cola(destino->name);
        const int trabajo = cupsCreateJob(http, cola.constData(), NombreTrabajo, 0, nullptr);
        if (trabajo <= 0) {
            resultado = Resultado::Fallo(ErrorCups());
        } else if (cupsStartDocument(http, cola.constData(), trabajo, NombreTrabajo,
                                     CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
            resultado = Resultado::Fallo(ErrorCups());
            cupsCancelJob2(http, cola.constData(), trabajo, 0);
        } else {
            const bool escrito = cupsWriteRequestData(http, bytes.constData(),
                                                      size_t(bytes.size())) == HTTP_STATUS_CONTINUE;
            const bool cerrado = cupsFinishDocument(http, cola.constData()) == IPP_STATUS_OK;
            if (!escrito || !cerrado) {
                resultado = Resultado::Fallo(ErrorCups());
                cupsCancelJob2(http, cola.constData(), trabajo, 0);
            }
        }
        cupsFreeDests(1, destino);
    }
    httpClose(http);
    return resultado;
}

int SalidaTiquet::EnumerarImpresoras(QList<QStringList>& impresoras) {
    impresoras.clear();
    http_t* http = ConectaSistemaImpresion();
    if (!http)
        return 0;
    cups_dest_t* destinos = nullptr;
    const int total = cupsGetDests2(http, &destinos);
    for (int i = 0; i < total; ++i) {
        const cups_dest_t& d = destinos[i];
        if (d.instance)
            continue; // instances are option sets of a printer already listed
        const auto opcion = [&](const char* nombre) {
            return QString::fromUtf8(cupsGetOption(nombre, d.num_options, d.options));
        };
        const int tipo = opcion("printer-type").toInt();
        const bool remota = (tipo & CUPS_PRINTER_REMOTE) != 0;
        QString servidor;
        if (remota)
            servidor = QUrl(opcion("printer-uri-supported")).host();
        // CUPS has no counterpart of the direct, bidirectional and queued attributes.
        QString atributos;
        if (d.is_default)
            atributos += QStringLiteral("default ");
        if (!remota)
            atributos += QStringLiteral("local ");
        else
            atributos += QStringLiteral("net ");
        if (opcion("printer-is-shared") == QLatin1String("true"))
            atributos += QStringLiteral("shared ");
        if (opcion("printer-state-reasons").contains(QLatin1String("offline")))
            atributos += QStringLiteral("offline ");
        impresoras.append({QString::fromUtf8(d.name), servidor, atributos});
    }
    cupsFreeDests(total, destinos);
    httpClose(http);
    return int(impresoras.size());
}

#else

Resultado SalidaTiquet::ImprimeDirecto(const QString& impresora, const QString& texto,
                                       const QString& paginaCodigos) {
    HANDLE h = nullptr;
    std::wstring nombre = impresora.toStdWString();
    if (!OpenPrinterW(nombre.data(), &h, nullptr))
        return Resultado::Fallo(QStringLiteral("Unknown printer \"%1\"").arg(impresora));
    const QByteArray bytes = PaginaCodigos::ABytes(texto, paginaCodigos);
    wchar_t documento[] = L"RAWPRN";
    DOC_INFO_1W info{documento, nullptr, nullptr};
    DWORD escritos = 0;
    const bool bien =
        StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&info)) && StartPagePrinter(h) &&
        WritePrinter(h, const_cast<char*>(bytes.constData()), DWORD(bytes.size()), &escritos) &&
        escritos == DWORD(bytes.size()) && EndPagePrinter(h) && EndDocPrinter(h);
    ClosePrinter(h);
    if (!bien)
        return Resultado::Fallo(QStringLiteral("The spooler did not take the job"));
    return Resultado::Exito();
}

int SalidaTiquet::EnumerarImpresoras(QList<QStringList>& impresoras) {
    impresoras.clear();
    DWORD necesario = 0;
    DWORD cuantas = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &necesario,
                  &cuantas);
    QByteArray memoria(qsizetype(necesario) + 1, '\0');
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4,
                       reinterpret_cast<LPBYTE>(memoria.data()), necesario, &necesario, &cuantas))
        return int(cuantas);
    const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(memoria.constData());
    static const std::pair<DWORD, const char*> palabras[] = {
        {4, "default "}, {2, "direct "}, {2048, "bidirectional "}, {64, "local "},
        {16, "net "},    {1, "queued "}, {8, "shared "},           {1024, "offline "}};
    for (DWORD i = 0; i < cuantas; ++i) {
        QString atributos;
        for (const auto& [bit, palabra] : palabras) {
            if (info[i].Attributes & bit)
                atributos += QLatin1String(palabra);
        }
        impresoras.append(
            {QString::fromWCharArray(info[i].pPrinterName),
             info[i].pServerName ? QString::fromWCharArray(info[i].pServerName) : QString(),
             atributos});
    }
    return int(cuantas);
}

#endif
