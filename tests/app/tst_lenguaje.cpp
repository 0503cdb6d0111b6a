// The interface text table in its three languages, and the message boxes that show it.
#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelmensaje.h"
#include "app/kelregistry.h"
#include "masters/contestador.h"
#include "support/controles.h"
#include "support/entornoprueba.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {
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
    // Every Spanish id in the other two blocks, with the same accelerators and value marks, and
    // nothing more; the lists split by the code that reads them keep their parts in each.
    void cadaIdEnLosTresIdiomas() {
        for (int id = 0; id < 2000; ++id) {
            const QString es = cmnLanguaje::TextoSinIdioma(id);
            for (int offset : {2000, 4000}) {
                const QString t = cmnLanguaje::TextoSinIdioma(offset + id);
                QVERIFY2(t.isEmpty() == es.isEmpty() && t.count('&') == es.count('&') &&
                             Marcadores(t) == Marcadores(es),
                         QByteArray::number(offset + id));
            }
        }
        for (int offset : {0, 2000, 4000}) {
            QCOMPARE(cmnLanguaje::TextoSinIdioma(offset + 181).split(',').size(), 7);
            const QStringList zoom = cmnLanguaje::TextoSinIdioma(offset + 187).split('|');
            QCOMPARE(zoom.size(), 4);
            for (const QString& z : zoom)
                QCOMPARE(z.count('&'), 1);
        }
    }

    // The texts of the language chosen; a language without its block speaks Spanish. Qt's own
    // dialogs speak it too, where the system has Qt's translations.
    void idiomaElegido() {
        EntornoPrueba env;
        clsDatosApp& d = env.Datos();
        d.SetIdioma(6000);
        QCOMPARE(Texto(180), cmnLanguaje::TextoSinIdioma(180));
        d.SetIdioma(4000);
        QCOMPARE(Texto(0), cmnLanguaje::TextoSinIdioma(4000)); // the language's name
        kelRegistry::SaveAppString("\\Configuracion", "Idioma", "2000");
        const clsDatosApp& catalan = env.Datos();
        QCOMPARE(catalan.Idioma(), 2000);
        QCOMPARE(Texto(180), cmnLanguaje::TextoSinIdioma(2180));
        QCOMPARE(Texto(999), QString()); // an id that does not exist
        QFileDialog dialogo(nullptr, QString(), env.Carpeta());
        dialogo.setOption(QFileDialog::DontUseNativeDialog);
        const auto* etiqueta = Controles::Busca<QLabel>(dialogo, "lookInLabel");
        const auto* botones = Controles::Busca<QDialogButtonBox>(dialogo, "buttonBox");
        QVERIFY(etiqueta && botones && botones->button(QDialogButtonBox::Cancel));
        QCOMPARE(etiqueta->text(), QString("Cerca a:"));
        QCOMPARE(botones->button(QDialogButtonBox::Cancel)->text(), QString("Cancel·la"));
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

    // A box with a short text is still wide enough for its title, in a question or a message.
    void titulos_data() {
        QTest::addColumn<bool>("pregunta");
        QTest::newRow("message") << false;
        QTest::newRow("question") << true;
    }
    void titulos() {
        QFETCH(bool, pregunta);
        EntornoPrueba env;
        env.Datos();
        const QString titulo =
            Texto(IdTexto::ExportacionAlbaranes) + " - " + Texto(IdTexto::ConfiguracionImpresora);
        int ancho = 0;
        Contestador<QMessageBox> operador([&](QMessageBox* caja) {
            ancho = caja->width();
            QTest::keyClick(caja, Qt::Key_Escape);
        });
        if (pregunta)
            kelMensaje::Pregunta(nullptr, titulo, "?");
        else
            kelMensaje::Aviso(nullptr, titulo, "?");
        QCOMPARE(operador.Veces(), 1);
        QVERIFY2(ancho >= kelMensaje::AnchoTitulo(QApplication::font(), titulo),
                 qPrintable(QString::number(ancho)));
        QVERIFY(kelMensaje::AnchoTitulo(QApplication::font(), titulo) >
                QFontMetrics(QApplication::font()).horizontalAdvance(titulo));
    }
};

QTEST_MAIN(TestLenguaje)
#include "tst_lenguaje.moc"
