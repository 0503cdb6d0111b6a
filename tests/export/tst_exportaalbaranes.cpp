// Export of a date range to the three file formats, over a fixed database, against golden files.
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "export/albaranesprueba.h"
#include "export/codificacionexportacion.h"
#include "export/exportaalbaranes.h"
#include "support/entornoprueba.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QTest>
#include <QXmlStreamReader>
#include <csignal>
#include <sys/resource.h>

using Resultado = ExportaAlbaranes::Resultado;

namespace {
QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing file " + ruta.toUtf8() + ">");
    return f.readAll();
}

QByteArray Golden(const QString& nombre) {
    return Lee(qEnvironmentVariable("PESIX_SOURCE_DIR") + "/tests/export/golden/" + nombre);
}

// Byte comparison that names the first differing line when it fails.
bool Iguales(const QByteArray& real, const QByteArray& esperado) {
    if (real == esperado)
        return true;
    const QList<QByteArray> a = real.split('\n'), b = esperado.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i)
        if (a.value(i) != b.value(i)) {
            qWarning("line %lld differs:\n  got      %s\n  expected %s", qlonglong(i + 1),
                     a.value(i).toHex(' ').constData(), b.value(i).toHex(' ').constData());
            break;
        }
    return false;
}

// (NumAlbaran, NumLinea) of every <Item> of an exported XML document.
QStringList Filas(const QByteArray& xml) {
    QStringList filas;
    QXmlStreamReader r(xml);
    QString numero;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"NumAlbaran")
            numero = r.readElementText();
        else if (r.isStartElement() && r.name() == u"NumLinea")
            filas << numero + "/" + r.readElementText();
    }
    if (r.hasError())
        filas << "XML error: " + r.errorString();
    return filas;
}

// A test's settings (list separator ";", decimal ","), database and fixed notes.
struct Mundo {
    EntornoPrueba env;
    clsDatosApp* datos = nullptr;
    Mundo() {
        kelRegistry::SaveAppString("\\Internacional", "sList", ";");
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        datos = &env.DatosConBase();
    }
    bool ConAlbaranes() { return albaranesprueba::Crea(datos->Conexion()); }
    QString Ruta(const QString& nombre) const { return env.Carpeta() + "/" + nombre; }
};
} // namespace

class tst_ExportaAlbaranes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }

    void golden_data() {
        QTest::addColumn<QDate>("desde");
        QTest::addColumn<QDate>("hasta");
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QString>("golden");
        const QDate d1(2026, 3, 1), d31(2026, 3, 31);
        QTest::newRow("txt") << d1 << d31 << "marzo.txt"
                             << "marzo.txt";
        QTest::newRow("csv") << d1 << d31 << "marzo.csv"
                             << "marzo.csv";
        QTest::newRow("xml") << d1 << d31 << "marzo.xml"
                             << "marzo.xml";
        QTest::newRow("txt swapped dates") << d31 << d1 << "marzo.txt"
                                           << "marzo.txt";
        QTest::newRow("csv swapped dates") << d31 << d1 << "marzo.csv"
                                           << "marzo.csv";
        QTest::newRow("xml swapped dates") << d31 << d1 << "marzo.xml"
                                           << "marzo.xml";
        QTest::newRow("upper-case CSV") << d1 << d31 << "MARZO.CSV"
                                        << "marzo.csv";
        QTest::newRow("mixed-case Txt") << d1 << d31 << "marzo.Txt"
                                        << "marzo.txt";
        QTest::newRow("mixed-case XmL") << d1 << d31 << "marzo.XmL"
                                        << "marzo.xml";
        const QDate e1(2025, 1, 1), e2(2025, 12, 31);
        QTest::newRow("empty txt") << e1 << e2 << "vacio.txt"
                                   << "vacio.txt";
        QTest::newRow("empty csv") << e1 << e2 << "vacio.csv"
                                   << "vacio.csv";
        QTest::newRow("empty xml") << e1 << e2 << "vacio.xml"
                                   << "vacio.xml";
    }
    void golden() {
        QFETCH(QDate, desde);
        QFETCH(QDate, hasta);
        QFETCH(QString, archivo);
        QFETCH(QString, golden);
        Mundo m;
        QVERIFY(m.ConAlbaranes());
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(desde, hasta, m.Ruta(archivo)), Resultado::Escrito);
        QVERIFY2(exporta.Error().isEmpty(), qPrintable(exporta.Error()));
        QVERIFY(Iguales(Lee(m.Ruta(archivo)), Golden(golden)));
        QCOMPARE(exporta.Filas(), golden.startsWith("vacio") ? 0 : 7);
    }

    // Which notes and lines a range takes, read back from the XML.
    void rango_data() {
        QTest::addColumn<QDate>("desde");
        QTest::addColumn<QDate>("hasta");
        QTest::addColumn<QStringList>("filas");
        QTest::newRow("one day, the first")
            << QDate(2026, 3, 1) << QDate(2026, 3, 1) << QStringList{"1/"};
        QTest::newRow("one day, the last")
            << QDate(2026, 3, 31) << QDate(2026, 3, 31) << QStringList{"4/1"};
        QTest::newRow("inside both bounds") << QDate(2026, 3, 2) << QDate(2026, 3, 30)
                                            << QStringList{"2/1", "10/1", "3/1", "3/2", "3/3"};
        QTest::newRow("February's last day")
            << QDate(2026, 2, 28) << QDate(2026, 2, 28) << QStringList{"1/1"};
        QTest::newRow("April's first, swapped")
            << QDate(2026, 4, 1) << QDate(2026, 3, 31) << QStringList{"4/1", "2/1", "2/2"};
    }
    void rango() {
        QFETCH(QDate, desde);
        QFETCH(QDate, hasta);
        QFETCH(QStringList, filas);
        Mundo m;
        QVERIFY(m.ConAlbaranes());
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(desde, hasta, m.Ruta("r.xml")), Resultado::Escrito);
        QCOMPARE(Filas(Lee(m.Ruta("r.xml"))), filas);
        QCOMPARE(exporta.Filas(), filas.size());
    }

    // A note whose date carries a time still belongs to its day; the last day a date can
    // have is a day like any other.
    void fechasLimite() {
        Mundo m;
        QSqlQuery q(m.datos->Conexion());
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras VALUES ('7', '2026-03-31 10:00:00', 'Ana',"
                       " 'C1', 'X', NULL, NULL, '2026-03-31 10:00:00', 0),"
                       " ('8', '9999-12-31', 'Ana', 'C1', 'X', NULL, NULL,"
                       " '2026-03-31 10:00:00', 0)"));
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(QDate(2026, 3, 31), QDate(2026, 3, 31), m.Ruta("h.xml")),
                 Resultado::Escrito);
        QCOMPARE(Filas(Lee(m.Ruta("h.xml"))), QStringList{"7/"});
        QCOMPARE(exporta.Exporta(QDate(2026, 1, 1), QDate(9999, 12, 31), m.Ruta("h.xml")),
                 Resultado::Escrito);
        QCOMPARE(Filas(Lee(m.Ruta("h.xml"))), (QStringList{"7/", "8/"}));
        QCOMPARE(exporta.Exporta(QDate(2026, 4, 1), QDate(2026, 4, 30), m.Ruta("h.xml")),
                 Resultado::Escrito);
        QVERIFY(Iguales(Lee(m.Ruta("h.xml")), Golden("vacio.xml")));
    }

    void extensionDesconocida_data() {
        QTest::addColumn<QString>("archivo");
        QTest::newRow("pdf") << "marzo.pdf";
        QTest::newRow("txt then more") << "marzo.txt.bak";
        QTest::newRow("no extension") << "marzo";
        QTest::newRow("three letters without dot") << "marzotxt";
        QTest::newRow("short") << "x.tx";
        QTest::newRow("empty") << "";
    }
    void extensionDesconocida() {
        QFETCH(QString, archivo);
        Mundo m;
        QVERIFY(m.ConAlbaranes());
        const QStringList antes = QDir(m.env.Carpeta()).entryList(QDir::Files);
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 31),
                                 archivo.isEmpty() ? QString() : m.Ruta(archivo)),
                 Resultado::ExtensionDesconocida);
        QCOMPARE(QDir(m.env.Carpeta()).entryList(QDir::Files), antes);
    }

    void fechaNoValida() {
        Mundo m;
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(QDate(), QDate(2026, 3, 31), m.Ruta("f.csv")),
                 Resultado::FechaNoValida);
        QVERIFY(!QFile::exists(m.Ruta("f.csv")));
    }

    void archivoNoEscribible_data() {
        QTest::addColumn<QString>("archivo");
        QTest::newRow("missing folder, csv") << "no/such/folder/m.csv";
        QTest::newRow("missing folder, xml") << "no/such/folder/m.xml";
        QTest::newRow("a folder named .txt") << "carpeta.txt";
    }
    void archivoNoEscribible() {
        QFETCH(QString, archivo);
        Mundo m;
        QVERIFY(m.ConAlbaranes());
        QVERIFY(QDir(m.env.Carpeta()).mkdir("carpeta.txt"));
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 31), m.Ruta(archivo)),
                 Resultado::ErrorArchivo);
        QVERIFY(!exporta.Error().isEmpty());
        QVERIFY(QFileInfo(m.Ruta("carpeta.txt")).isDir());
    }

    // A write that fails half-way (the file-size limit of the process) leaves the older file
    // as it was, and no temporary file behind.
    void escrituraFallidaConservaAnterior_data() {
        QTest::addColumn<QString>("archivo");
        QTest::newRow("csv") << "grande.csv";
        QTest::newRow("txt") << "grande.txt";
        QTest::newRow("xml") << "grande.xml";
    }
    void escrituraFallidaConservaAnterior() {
        QFETCH(QString, archivo);
        Mundo m;
        QSqlDatabase db = m.datos->Conexion();
        QVERIFY(db.transaction());
        QSqlQuery q(db);
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras VALUES ('1', '2026-03-01', 'Ana', 'C1',"
                       " 'Cliente', NULL, NULL, '2026-03-01 08:00:00', 0)"));
        QVERIFY(q.prepare("INSERT INTO AlbaranesDetalle VALUES ('1', '2026-03-01', ?, 'P1',"
                          " 'Producto con un nombre largo', 1, 10.5, 0.5, 10, 1.25, 12.5,"
                          " '08:00:00-01/03/2026')"));
        for (int i = 1; i <= 3000; ++i) {
            q.bindValue(0, i);
            QVERIFY(q.exec());
        }
        QVERIFY(db.commit());
        const QByteArray anterior = "older export\r\n";
        {
            QFile f(m.Ruta(archivo));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(anterior);
        }
        const QStringList antes = QDir(m.env.Carpeta()).entryList(QDir::Files);

        rlimit previo{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &previo) == 0);
        const auto senal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limite = previo;
        limite.rlim_cur = 64 * 1024;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limite) == 0);
        ExportaAlbaranes exporta(db);
        const Resultado r = exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 1), m.Ruta(archivo));
        setrlimit(RLIMIT_FSIZE, &previo);
        std::signal(SIGXFSZ, senal);

        QCOMPARE(r, Resultado::ErrorArchivo);
        QCOMPARE(Lee(m.Ruta(archivo)), anterior);
        QCOMPARE(QDir(m.env.Carpeta()).entryList(QDir::Files), antes);
        // The same export without the limit is well over it.
        QCOMPARE(exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 1), m.Ruta(archivo)),
                 Resultado::Escrito);
        QVERIFY(QFileInfo(m.Ruta(archivo)).size() > 64 * 1024);
    }

    // Separator of ".csv" comes from the settings; ".txt" always uses TAB.
    void separadores_data() {
        QTest::addColumn<QString>("sList");
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QByteArray>("inicio");
        QTest::newRow("csv with ','") << ","
                                      << "s.csv" << QByteArray("\"NumAlbaran\",\"Fecha\",");
        QTest::newRow("csv with '|'") << "|"
                                      << "s.csv" << QByteArray("\"NumAlbaran\"|\"Fecha\"|");
        QTest::newRow("txt ignores it") << "|"
                                        << "s.txt" << QByteArray("\"NumAlbaran\"\t\"Fecha\"\t");
    }
    void separadores() {
        QFETCH(QString, sList);
        QFETCH(QString, archivo);
        QFETCH(QByteArray, inicio);
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Internacional", "sList", sList);
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ".");
        clsDatosApp& d = env.DatosConBase();
        QVERIFY(albaranesprueba::Crea(d.Conexion()));
        ExportaAlbaranes exporta(d.Conexion());
        QCOMPARE(exporta.SeparadorListas(), sList);
        const QString ruta = env.Carpeta() + "/" + archivo;
        QCOMPARE(exporta.Exporta(QDate(2026, 3, 10), QDate(2026, 3, 10), ruta), Resultado::Escrito);
        const QByteArray b = Lee(ruta);
        QVERIFY2(b.startsWith(inicio), b.left(40).constData());
        const QString sep = archivo.endsWith("txt") ? "\t" : sList;
        const QByteArray fila = b.split('\n').value(1);
        QVERIFY2(fila.contains(QString("%1%2").arg(sep, "1250.5").toLatin1()), fila.constData());
    }

    // A decimal separator equal to the list separator would split numbers: they are quoted then.
    void numeroConSeparadorSeCita() {
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Internacional", "sList", ",");
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        clsDatosApp& d = env.DatosConBase();
        QVERIFY(albaranesprueba::Crea(d.Conexion()));
        ExportaAlbaranes exporta(d.Conexion());
        const QString ruta = env.Carpeta() + "/n.csv";
        QCOMPARE(exporta.Exporta(QDate(2026, 3, 10), QDate(2026, 3, 10), ruta), Resultado::Escrito);
        const QByteArray fila = Lee(ruta).split('\n').value(1);
        QVERIFY2(fila.contains(",2,\"1250,5\",\"2,25\",\"1248,25\",\"0,8\",\"998,6\","),
                 fila.constData());
    }

    // Values stored unlike their column's type come out the same in the text files (written
    // from the stored values) as in the XML (written from the general conversion).
    void valoresInusuales() {
        Mundo m;
        QSqlQuery q(m.datos->Conexion());
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras VALUES ('9', '2026-05-01', 123, 'C', NULL,"
                       " NULL, NULL, 'ayer', 5)"));
        QVERIFY(q.exec("INSERT INTO AlbaranesDetalle VALUES ('9', '2026-05-01', 2.5, 'P', 'x',"
                       " '7', 'n/a', 3, '4.5', NULL, -0.0, 'h')"));
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(QDate(2026, 5, 1), QDate(2026, 5, 1), m.Ruta("i.csv")),
                 Resultado::Escrito);
        QCOMPARE(exporta.Exporta(QDate(2026, 5, 1), QDate(2026, 5, 1), m.Ruta("i.xml")),
                 Resultado::Escrito);
        const QByteArray fila = Lee(m.Ruta("i.csv")).split('\n').value(1);
        QCOMPARE(fila, QByteArray("\"9\";01/05/2026;\"123\";\"C\";\"\";\"\";\"\";ayer;1;2,5;\"P\";"
                                  "\"x\";7;n/a;3;4,5;;0;\"h\"\r"));
        QStringList campos;
        for (QByteArray c : fila.chopped(1).split(';'))
            campos << QString::fromLatin1(c.startsWith('"') ? c.mid(1, c.size() - 2) : c);
        QStringList elementos;
        QXmlStreamReader r(Lee(m.Ruta("i.xml")));
        while (!r.atEnd())
            if (r.readNext() == QXmlStreamReader::StartElement && r.name() != u"Items" &&
                r.name() != u"Item")
                elementos << r.readElementText();
        QVERIFY(!r.hasError());
        QCOMPARE(campos, elementos);
    }

    void utf8APeticion() {
        Mundo m;
        QVERIFY(m.ConAlbaranes());
        ExportaAlbaranes exporta(m.datos->Conexion());
        exporta.SetCodificacion(CodificacionExportacion::Tipo::Utf8);
        QCOMPARE(exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 31), m.Ruta("u.csv")),
                 Resultado::Escrito);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString real = utf8(Lee(m.Ruta("u.csv")));
        QVERIFY(!utf8.hasError());
        QString esperado = CodificacionExportacion::Decodifica(
            Golden("marzo.csv"), CodificacionExportacion::Tipo::Windows1252);
        esperado.replace("Pimiento ?ód?", "Pimiento Łódź");
        QCOMPARE(real, esperado);
    }
};

QTEST_GUILESS_MAIN(tst_ExportaAlbaranes)
#include "tst_exportaalbaranes.moc"
