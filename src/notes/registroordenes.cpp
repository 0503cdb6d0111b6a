#include "notes/registroordenes.h"

#include "db/registropesadas.h"

#include <QDateTime>

const char* RegistroOrdenes::Evento(qint32 codigo) {
    switch (codigo) {
    case VeltaSC::OrdenPuestaCero:
        return RegistroPesadas::kCero;
    case VeltaSC::OrdenTarado:
        return RegistroPesadas::kTara;
    case VeltaSC::OrdenDestarado:
        return RegistroPesadas::kDestara;
    default:
        return nullptr;
    }
}

Resultado RegistroOrdenes::Registra(QSqlDatabase db, const QString& puesto, qint32 codigo,
                                    qint32 tipo, const QByteArray& bytes) {
    const char* evento = Evento(codigo);
    if (!evento)
        return {};
    RegistroPesadas::Entrada e;
    e.fechaHora = QDateTime::currentDateTime();
    e.puesto = puesto;
    e.evento = QString::fromLatin1(evento);
    e.tipoBascula = tipo;
    e.estado = Lectura::NombreEstado(Lectura::Estado::Desconocido);
    e.bruto = Lectura::NombreTipo(Lectura::Tipo::Desconocido);
    e.trama = bytes;
    return RegistroPesadas::Anade(db, e);
}

VeltaSC::AntesDeOrden RegistroOrdenes::Antes(QSqlDatabase db, const QString& puesto) {
    return [db, puesto](qint32 codigo, qint32 tipo, const QByteArray& bytes) {
        return Registra(db, puesto, codigo, tipo, bytes);
    };
}
