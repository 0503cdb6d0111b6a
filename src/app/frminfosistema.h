#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;

// What a support call needs to know of the station, in a window of the program's own, with a
// button that copies it as text. Where the system has an information tool of its own (Windows),
// that tool is started instead.
class frmInfoSistema : public QDialog {
    Q_OBJECT
public:
    // What the caller gathers from the layers above: the database file's full path or its
    // server, the serial ports and the print queues of the machine.
    struct Datos {
        QString baseDatos;
        QStringList puertosSerie;
        QStringList colasImpresion;
    };

    explicit frmInfoSistema(const Datos& datos, QWidget* parent = nullptr);

    // Starts the system's information tool, or shows this window modally where there is none.
    static void AbreInfoSistema(const Datos& datos, QWidget* parent = nullptr);
    // One "name: value" line each: program version, Qt version, operating system, database,
    // settings file, serial ports, print queues.
    static QString Texto(const Datos& datos);

    QPlainTextEdit* txtInfo = nullptr;
    QPushButton* cmdCopiar = nullptr;
    QPushButton* cmdAceptar = nullptr;

public slots:
    void done(int resultado) override;

private:
    static bool AbreHerramientaSistema();
};
