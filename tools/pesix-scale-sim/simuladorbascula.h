#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// A scale on a pseudo-terminal. Type 0 answers the "S" + letter + CR commands with readings
// (the weight as text and a carriage return), on request or continuously; type 1 prints blocks
// of lines with a " WT" weight line, ended by three line feeds.
class SimuladorBascula : public QObject {
    Q_OBJECT
public:
    struct Opciones {
        int tipo = 0;
        double peso = 0.0; // load on the platform, in kg
        bool continua = false;
        int intervaloMs = 200;
        QString serie = QStringLiteral("VS-000123");
        QString enlace; // a symbolic link to the device, if wanted
    };

    explicit SimuladorBascula(const Opciones& o, QObject* parent = nullptr);
    ~SimuladorBascula() override;

    // Creates the pseudo-terminal; false with a message on standard error when it cannot.
    bool Inicia();
    QString Ruta() const { return m_ruta; }

    // One line of standard input: "peso 12.5", "continua", "peticion", "intervalo 100",
    // "imprime", "rafaga 10000", "tiempos", "estado", "salir".
    void OrdenConsola(const QString& linea);

    double Bruto() const { return m_peso - m_cero; }
    double Neto() const { return Bruto() - m_tara; }

signals:
    void Salir();

private:
    void LeePuerto();
    void LeeConsola();
    void Orden(char letra);
    void EnviaLectura(double kg);
    void EnviaBloque();
    void Envia(const QByteArray& datos);
    void VaciaSalida();
    // Waits while the terminal is full (a burst); false when nobody reads for a second.
    bool EnviaEsperando(const QByteArray& datos);
    void Tic();
    void PonContinua(bool si);
    void Rafaga(int n);
    void Tiempos();

    Opciones m_o;
    int m_maestro = -1;
    int m_esclavo = -1;
    QString m_ruta;
    double m_peso = 0.0;
    double m_cero = 0.0;
    double m_tara = 0.0;
    int m_impresos = 0;
    QList<qint64> m_tiempos; // when each reading of the last burst was sent
    QByteArray m_entrada;
    QByteArray m_consola;
    QSocketNotifier* m_avisoPuerto = nullptr;
    QSocketNotifier* m_avisoConsola = nullptr;
    QSocketNotifier* m_avisoSalida = nullptr;
    QByteArray m_salida; // output the terminal has not taken yet
    QTimer m_reloj;
};
