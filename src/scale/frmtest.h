#pragma once

#include "scale/veltasc.h"

#include <QDialog>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;

// The scale test window: choose a serial port, connect, press any of the eight scale commands
// and watch the readings arrive: the reading as decoded, the raw frame it came in and how many
// frames could not be read. A service window opened with /TEST; its captions are fixed
// Spanish texts and it does not keep its position.
class frmTest : public QDialog {
    Q_OBJECT
public:
    explicit frmTest(QWidget* parent = nullptr);
    ~frmTest() override;

    // Scale command code sent by each of the eight command buttons.
    static constexpr std::array<qint32, 8> CodigosComando = {
        VeltaSC::OrdenLecturaContinua, VeltaSC::OrdenLecturaPeticion, VeltaSC::OrdenPesoNeto,
        VeltaSC::OrdenPesoBruto,       VeltaSC::OrdenPuestaCero,      VeltaSC::OrdenTarado,
        VeltaSC::OrdenDestarado,       VeltaSC::OrdenNumeroSerie};

    // The number of a port from its name's fourth character on: COM1 gives 1, COM12 gives 12,
    // 0 when no number stands there.
    static qint16 NumeroPuerto(const QString& nombre);

    VeltaSC& VeltaSC1() { return m_veltaSC1; }
    bool Conectado() const { return m_conectado; }

protected:
    void closeEvent(QCloseEvent* e) override;

public slots:
    void reject() override;

private:
    void CargaPuertos();
    void Conecta();
    void Desconecta();
    void PonEstado(bool conectado);
    void AlPerderPuerto(const QString& error);
    // A frame arrived: the raw bytes beside what they were decoded into.
    void AlLeer(const Lectura& lectura);
    void AlIlegible(const QString& trama);

    VeltaSC m_veltaSC1;
    QComboBox* m_cboPuertos = nullptr;
    std::array<QPushButton*, 2> m_cmdConectar{};
    std::array<QPushButton*, 8> m_cmdComando{};
    QLabel* m_label1 = nullptr;
    QLabel* m_lblTrama = nullptr;
    QLabel* m_lblIlegibles = nullptr;
    bool m_conectado = false;
};
