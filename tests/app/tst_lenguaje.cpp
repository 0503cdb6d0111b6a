// The interface text table in its three languages.
#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/kelmensaje.h"
#include "app/kelregistry.h"
#include "masters/contestador.h"
#include "support/entornoprueba.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {
QList<int> IdsEspanol() {
    QList<int> ids;
    for (int id = 0; id < 2000; ++id)
        if (!cmnLanguaje::TextoSinIdioma(id).isEmpty())
            ids << id;
    return ids;
}
QStringList Marcadores(const QString& t) {
    QStringList m;
    auto it = QRegularExpression("%[ds]").globalMatch(t);
    while (it.hasNext())
        m << it.next().captured();
    return m;
}
} // namespace

class TestLenguaje : public QObject {
    Q_OBJECT

private slots:
    void cadaIdEnLosTresIdiomas() {
        const QList<int> ids = IdsEspanol();
        for (int offset : {2000, 4000}) {
            for (int id : ids) {
                const QString es = cmnLanguaje::TextoSinIdioma(id);
                const QString t = cmnLanguaje::TextoSinIdioma(offset + id);
                const QByteArray que = QByteArray::number(offset + id);
                QVERIFY2(!t.isEmpty(), que);
                QVERIFY2(t.count('&') == es.count('&'), que);
                QVERIFY2(Marcadores(t) == Marcadores(es), que);
            }
            // Nothing beyond the Spanish ids in the block.
            for (int id = 0; id < 2000; ++id)
                if (!ids.contains(id))
                    QVERIFY2(cmnLanguaje::TextoSinIdioma(offset + id).isEmpty(),
                             QByteArray::number(offset + id));
        }
    }

    void textosFijos() {
        QCOMPARE(cmnLanguaje::TextoSinIdioma(264), QString("Albarán existente, ¿sobreescribir?"));
        for (int offset : {0, 2000, 4000}) {
            QCOMPARE(cmnLanguaje::TextoSinIdioma(offset + 181).split(',').size(), 7);
            const QStringList zoom = cmnLanguaje::TextoSinIdioma(offset + 187).split('|');
            QCOMPARE(zoom.size(), 4);
            for (const QString& z : zoom)
                QCOMPARE(z.count('&'), 1);
        }
    }

    void idiomaElegido_data() {
        QTest::addColumn<int>("idioma");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("idEsperado");
        QTest::newRow("catalán") << 2000 << 180 << 2180;
        QTest::newRow("inglés") << 4000 << 180 << 4180;
        QTest::newRow("castellano") << 0 << 180 << 180;
        QTest::newRow("sin ese bloque") << 6000 << 180 << 180;
        QTest::newRow("nombre del idioma") << 4000 << 0 << 4000;
        QTest::newRow("id que no existe da vacío") << 2000 << 999 << 2999;
    }
    void idiomaElegido() {
        QFETCH(int, idioma);
        QFETCH(int, id);
        QFETCH(int, idEsperado);
        EntornoPrueba env;
        clsDatosApp& d = env.Datos();
        d.SetIdioma(idioma);
        QCOMPARE(Texto(id), cmnLanguaje::TextoSinIdioma(idEsperado));
        QCOMPARE(Texto(id).isEmpty(), id == 999);
    }

    // Qt's own dialogs speak the interface language of the settings, where the system has Qt's
    // translations; English is what Qt is written in.
    void dialogosDeQt_data() {
        QTest::addColumn<QString>("idioma");
        QTest::addColumn<QString>("verEn");
        QTest::addColumn<QString>("cancelar");
        QTest::newRow("castellano") << "0"
                                    << "Ver en:"
                                    << "Cancelar";
        QTest::newRow("catalán") << "2000"
                                 << "Cerca a:"
                                 << "Cancel·la";
        QTest::newRow("inglés") << "4000"
                                << "Look in:"
                                << "Cancel";
    }
    void dialogosDeQt() {
        QFETCH(QString, idioma);
        QFETCH(QString, verEn);
        QFETCH(QString, cancelar);
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Configuracion", "Idioma", idioma);
        env.Datos();
        QFileDialog dialogo(nullptr, QString(), env.Carpeta());
        dialogo.setOption(QFileDialog::DontUseNativeDialog);
        const auto* etiqueta = dialogo.findChild<QLabel*>("lookInLabel");
        const auto* botones = dialogo.findChild<QDialogButtonBox*>("buttonBox");
        QVERIFY(etiqueta && botones && botones->button(QDialogButtonBox::Cancel));
        QCOMPARE(etiqueta->text(), verEn);
        QCOMPARE(botones->button(QDialogButtonBox::Cancel)->text(), cancelar);
    }

    // Message boxes: the program's buttons in the interface language; Escape answers Cancel,
    // or No where there is no Cancel.
    void preguntas_data() {
        QTest::addColumn<bool>("conCancelar");
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("respuesta");
        using R = kelMensaje::Respuesta;
        QTest::newRow("Intro") << true << int(Qt::Key_Return) << int(R::Si);
        QTest::newRow("Escape") << true << int(Qt::Key_Escape) << int(R::Cancelar);
        QTest::newRow("Escape sin cancelar") << false << int(Qt::Key_Escape) << int(R::No);
    }
    void preguntas() {
        QFETCH(bool, conCancelar);
        QFETCH(int, tecla);
        QFETCH(int, respuesta);
        EntornoPrueba env;
        env.Datos().SetIdioma(2000);
        QStringList botones;
        Contestador<QMessageBox> operador([&](QMessageBox* caja) {
            for (QAbstractButton* b : caja->buttons())
                botones << b->text();
            QTest::keyClick(caja, Qt::Key(tecla));
        });
        QCOMPARE(int(kelMensaje::Pregunta(nullptr, "Pesix", "?", conCancelar)), respuesta);
        botones.sort();
        QCOMPARE(botones.join('|'), conCancelar ? "&Cancel·la|&No|&Sí" : "&No|&Sí");
    }

    void listaDeIdiomas() {
        QCOMPARE(cmnLanguaje::Idiomas(), QStringList({"Castellano", "Català", "English"}));
    }
};

QTEST_MAIN(TestLenguaje)
#include "tst_lenguaje.moc"
