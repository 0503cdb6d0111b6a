#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// A scale on a pseudo-terminal, speaking any protocol of the program's protocol table. Type 0
// answers the "S" + letter + CR commands with readings (the weight as text and a carriage
// return), on request or continuously; type 1 prints blocks of lines with a " WT" weight line,
// ended by three line feeds; 2 MT-SICS; 3 Toledo continuous output (it always streams); 4 A&D;
// 5 SMA; 6 a CAS-like "ST,GS,+  12.34kg" line for a user-defined protocol. The requests it
// understands are the table's. It answers only when the port is opened with its speed and stop
// bits (the protocol's unless given); on another line it sends what a scale then looks like:
// noise.
// Console orders change the scale's state: "movimiento" (the next readings wander, then
// settle), "sobrecarga", "bajorango", "normal", "error" (the next reply is an error reply).
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
        QString linea;  // "2400,E,7,1"; empty for the protocol's
    };
    enum class Estado { Normal, Sobrecarga, BajoRango };

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
    // A request of the table's protocols other than type 0: its command code, or -1.
    void Peticion(const QByteArray& peticion);
    void OrdenCodigo(int codigo);
    // The reading as the protocol writes it, with the state, any wandering and the line's
    // match applied.
    QByteArray Trama(double kg, bool neto);
    QByteArray TramaError() const;
    // Whether the port is set to the scale's line settings.
    bool LineaCorrecta() const;
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
    Estado m_estado = Estado::Normal;
    int m_movimiento = 0; // readings still wandering
    bool m_error = false; // the next reply is an error
    bool m_linea = false; // a line to check was understood
    int m_impresos = 0;
    QList<qint64> m_tiempos; // when each reading of the last burst was sent
    QByteArray m_entrada;
    QByteArray m_consola;
    QSocketNotifier* m_avisoPuerto = nullptr;
    QSocketNotifier* m_avisoConsola = nullptr;
    QSocketNotifier* m_avisoSalida = nullptr;
    QByteArray m_salida; // output the terminal has not taken yet
    QTimer m_reloj;
    int m_bps = 9600;
    int m_parada = 1;
};
