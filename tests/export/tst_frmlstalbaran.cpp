// The listing window's PDF button, answered as an operator would: a file named in the save
// dialog that is the database in use, or a FIFO, is refused with a message and left as it was.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/dataset.h"
#include "export/frmlstalbaran.h"
#include "masters/contestador.h"
#include "support/controles.h"
#include "support/entornoprueba.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <sys/stat.h>

class TestFrmLstAlbaran : public QObject {
    Q_OBJECT
private slots:
    void guardaPdf_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<int>("rechazo");
        QTest::newRow("the database") << "pesix.db" << IdTexto::SalidaEsBaseDatos;
        QTest::newRow("a FIFO") << "tubo.pdf" << IdTexto::SalidaNoEsArchivo;
        QTest::newRow("a new file") << "nuevo.pdf" << 0;
    }
    void guardaPdf() {
        QFETCH(QString, nombre);
        QFETCH(int, rechazo);
        EntornoPrueba env;
        env.DatosConBase();
        const QString ruta = env.Carpeta() + "/" + nombre;
        QCOMPARE(::mkfifo(qPrintable(env.Carpeta() + "/tubo.pdf"), 0600), 0);
        QFile base(env.ArchivoBaseDatos());
        QVERIFY(base.open(QIODevice::ReadOnly));
        const QByteArray antes = base.readAll();
        base.close();

        Contestador<QFileDialog> dialogo([&](QFileDialog* d) {
            // The name typed into its field and accepted as its button does: on a busy machine
            // the folder's listing, read late, could replace a name only selected, and a Return
            // key land in the name's completion list.
            d->selectFile(ruta);
            if (auto* campo = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                campo->setText(ruta);
            QMetaObject::invokeMethod(d, "accept");
        });
        QStringList mensajes;
        Contestador<QMessageBox> caja([&](QMessageBox* m) {
            if (QAbstractButton* si = m->button(QMessageBox::Yes)) // "replace it?"
                return si->click();
            mensajes << m->text();
            m->buttons().first()->click();
        });
        Contestador<frmLSTAlbaran> ventana([](frmLSTAlbaran* v) {
            QTest::mouseClick(Controles::Busca<QPushButton>(*v, "cmdGuardarPdf"), Qt::LeftButton);
            v->reject();
        });
        frmLSTAlbaran listado;
        listado.Display(Dataset());
        QCOMPARE(ventana.Veces(), 1);
        QCOMPARE(dialogo.Veces(), 1);
        if (rechazo == 0) {
            QCOMPARE(mensajes, QStringList());
            QVERIFY(QFile(ruta).open(QIODevice::ReadOnly) && QFile(ruta).size() > 0);
            return;
        }
        QCOMPARE(mensajes.size(), 1);
        QVERIFY2(mensajes.first().contains(Texto(rechazo).arg(ruta)), qPrintable(mensajes.first()));
        QVERIFY(base.open(QIODevice::ReadOnly));
        QCOMPARE(base.readAll(), antes);
        struct stat tubo {};
        QVERIFY(::lstat(qPrintable(env.Carpeta() + "/tubo.pdf"), &tubo) == 0 &&
                S_ISFIFO(tubo.st_mode));
    }
};

QTEST_MAIN(TestFrmLstAlbaran)
#include "tst_frmlstalbaran.moc"
