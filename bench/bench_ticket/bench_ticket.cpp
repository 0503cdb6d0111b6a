// bench_ticket: rendering legal but hostile ticket templates. Measured in the same run:
//   fields:  1,000 field definitions over 6,250 section lines, one placeholder each, rendered by
//            the renderer against a reference that replaces each line's one placeholder knowing
//            which field it is (the least work that gives the same ticket);
//   widest:  fields 32,767 characters wide repeated per record of a 1,000-record table, refused
//            by the renderer once the ticket passes its limit, against the reference of the
//            same template rendered over 7 records (just under the limit).
// The median of five rounds is taken. The last line is
// "fields_ratio=<renderer / reference> widest_ratio=<refusal / largest ticket>".
#include "db/dataset.h"
#include "db/recordsetmemoria.h"
#include "ticket/directprinthelper.h"
#include "ticket/documentoticket.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
double MedianaMs(const std::function<void()>& f) {
    QList<double> ms;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        ms.append(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms.at(2);
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int campos = 1000;
    const int lineas = 6250;

    // 1,000 fields of one table, one record; each line holds the placeholder of one field.
    QStringList plantilla{"(#IniCampos)"};
    auto tabla = std::make_shared<RecordsetMemoria>();
    QVariantList valores;
    for (int i = 0; i < campos; ++i) {
        plantilla << QStringLiteral("T;C%1;6;D").arg(i);
        tabla->AgregaCampo(QStringLiteral("C%1").arg(i), Recordset::Tipo::Texto);
        valores << QString::number(i);
    }
    tabla->AgregaRegistro(valores);
    tabla->MoveFirst();
    plantilla << "(#FinCampos)"
              << "(#IniSeccion)";
    for (int i = 0; i < lineas; ++i)
        plantilla << QStringLiteral("linea %1: %T;C%2%").arg(i).arg(i % campos);
    DocumentoTicket documento;
    if (!documento.LeeLineas(plantilla, QStringLiteral("campos")))
        return 1;
    Dataset datos;
    datos.Add(tabla, QStringLiteral("T"));
    DirectPrintHelper codigos;
    codigos.Add(QStringLiteral("(#LF)"), QStringLiteral("0A"), QStringLiteral("0D0A"), {});

    QString nuestro;
    const double msCampos =
        MedianaMs([&] { (void)codigos.Renderiza(documento, datos, true, {}, nuestro); });
    QString referencia;
    const double msReferencia = MedianaMs([&] {
        referencia.clear();
        const DocumentoSeccion& seccion = *documento.Secciones().Item(1);
        for (int i = 0; i < lineas; ++i) {
            QString l = seccion.Lineas().at(i);
            const DocumentoCampo& campo = *documento.Campos().Item(i % campos + 1);
            l.replace(campo.Codigo(), campo.ValorFormateado(valores.at(i % campos), {}));
            l.replace(QStringLiteral("(#LF)"), QStringLiteral("\n"));
            referencia += l;
        }
    });
    if (nuestro != referencia) {
        std::fprintf(stderr, "bench_ticket: the two renders differ\n");
        return 1;
    }

    // The widest fields repeated per record of a 1,000-record table.
    DocumentoTicket ancho;
    if (!ancho.LeeLineas({"(#IniCampos)", "D;C;32767;D", "(#FinCampos)", "(#IniDetalle;D)",
                          "%D;C%%D;C%%D;C%%D;C%", "(#FinDetalle;D)"},
                         QStringLiteral("ancho")))
        return 1;
    // The widest template rendered over that many records: whether it was refused, and the time.
    const auto anchoSobre = [&](int registros, bool& rechazado) {
        auto detalle = std::make_shared<RecordsetMemoria>();
        detalle->AgregaCampo(QStringLiteral("C"), Recordset::Tipo::Texto);
        for (int i = 0; i < registros; ++i)
            detalle->AgregaRegistro({QString::number(i)});
        Dataset datosAncho;
        datosAncho.Add(detalle, QStringLiteral("D"));
        return MedianaMs([&] {
            QString texto;
            rechazado = !codigos.Renderiza(ancho, datosAncho, true, {}, texto);
        });
    };
    bool rechazado = false;
    bool rechazadoSiete = true;
    const double msAncho = anchoSobre(1000, rechazado);
    const double msMayor = anchoSobre(7, rechazadoSiete);
    const bool cabe = !rechazadoSiete;
    if (!rechazado || !cabe) {
        std::fprintf(stderr, "bench_ticket: the widest template was not refused over 1,000 "
                             "records, or was over 7\n");
        return 1;
    }

    std::printf("fields: %d definitions, %d lines: renderer %.1f ms, reference %.1f ms\n", campos,
                lineas, msCampos, msReferencia);
    std::printf("widest: refused over 1,000 records in %.1f ms, rendered over 7 in %.1f ms\n",
                msAncho, msMayor);
    std::printf("fields_ratio=%.2f widest_ratio=%.2f\n", msCampos / msReferencia,
                msAncho / msMayor);
    return 0;
}
