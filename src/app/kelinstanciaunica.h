#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

// One running copy per user and settings file. The first copy holds a lock file and listens on
// a local socket; a later copy finds the lock taken, asks the running copy to come to the front
// and ends without touching anything else.
class kelInstanciaUnica : public QObject {
    Q_OBJECT
public:
    // `archivoAjustes` is the INI file in use, empty for the user's native settings.
    explicit kelInstanciaUnica(const QString& archivoAjustes, QObject* parent = nullptr);
    ~kelInstanciaUnica() override;

    // True when this is the only copy (it then listens for later ones). False when another copy
    // runs: that copy has been asked to show its main window.
    bool Adquiere();
    QString Nombre() const { return m_nombre; }

signals:
    // A later copy asked this one to bring its main window to the front.
    void ActivacionPedida();

private:
    QString m_nombre;
    std::unique_ptr<QLockFile> m_cerrojo;
    QLocalServer m_servidor;
};
