// The splash window closing as an operator would close it, and the system information window
// copying its text.
#include "app/frminfosistema.h"
#include "app/frmmdsplash.h"
#include "support/controles.h"
#include "support/entornoprueba.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestFrmMDSplash : public QObject {
    Q_OBJECT
private slots:
    void cierra_data() {
        QTest::addColumn<QString>("donde"); // what is clicked, or "tecla"
        QTest::addColumn<bool>("tomaTeclado");
        QTest::newRow("clic en el marco") << "Frame1" << false;
        QTest::newRow("tecla") << "tecla" << true;
        QTest::newRow("tecla de la ventana de debajo") << "tecla" << false;
    }

    void cierra() {
        QFETCH(QString, donde);
        QFETCH(bool, tomaTeclado);
        EntornoPrueba env;
        env.Datos();
        QLineEdit debajo; // the window the splash stands over
        debajo.show();
        QVERIFY(QTest::qWaitForWindowActive(&debajo));
        QPointer<frmMDSplash> splash = frmMDSplash::Muestra(3, tomaTeclado);
        QVERIFY(splash->isVisible());
        QVERIFY(splash->windowFlags() & Qt::WindowStaysOnTopHint);
        // Shown again (the about command during start-up), it is the same window.
        QCOMPARE(frmMDSplash::Muestra(5, tomaTeclado), splash.data());
        QCOMPARE(splash->Timer.interval(), 5000);
        if (donde == "tecla")
            QTest::keyClick(splash, Qt::Key_7);
        else
            QTest::mouseClick(Controles::Busca<QWidget>(*splash, donde), Qt::LeftButton, {},
                              QPoint(2, 2));
        QTRY_VERIFY(!splash); // closed and gone
        // A key meant for the window beneath reaches it.
        QCOMPARE(debajo.text(), donde == "tecla" && !tomaTeclado ? QString("7") : QString());
    }

    void informacion() {
        EntornoPrueba env;
        env.Datos();
        frmInfoSistema w({"/datos/pesix.db", {"ttyS0", "ttyUSB0"}, {}});
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QGuiApplication::clipboard()->clear();
        QTest::mouseClick(w.cmdCopiar, Qt::LeftButton);
        const QString texto = QGuiApplication::clipboard()->text();
        // The program is identified by the SHA-256 of its file.
        QFile programa(QCoreApplication::applicationFilePath());
        QCryptographicHash huella(QCryptographicHash::Sha256);
        QVERIFY(programa.open(QIODevice::ReadOnly) && huella.addData(&programa));
        for (const QString& parte :
             {QString("/datos/pesix.db"), QString("ttyS0, ttyUSB0"), env.ArchivoAjustes(),
              QString(qVersion()), QString::fromLatin1(huella.result().toHex())})
            QVERIFY2(texto.contains(parte), qPrintable(parte));
        QCOMPARE(texto.count('\n'), 8);
    }
};

QTEST_MAIN(TestFrmMDSplash)
#include "tst_frmmdsplash.moc"
