#include "ProjectData.h"

#include "engine/Demo.h"
#include "store/ProjectFolders.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace korvex::testing {

void insert(store::Database& db, const QString& table, const QStringList& fields,
            const QVariantList& values) {
    QStringList marks;
    for (int i = 0; i < fields.size(); ++i)
        marks.append(QStringLiteral("?"));
    db.execute(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, fields.join(", "), marks.join(", ")),
        values);
}

void writeHeader(store::Database& db, bool iva, double indirectos, double otros, bool tools) {
    insert(db, "Proyecto",
           {"Institucion", "Proyecto", "ubicacion", "oferente", "CostosIndirectos", "OtrosIndirectos",
            "Elaborado", "fecha", "Ciudad", "IVA", "Herramienta"},
           {"Municipio de Prueba", "Aulas escolares", "Barrio Centro", "Constructora Andina", indirectos,
            otros, "Ing. Ana Pérez", "01/02/2024", "Quito", iva, tools});
}

void writeItem(store::Database& db, const QString& code, const QString& item, const QString& description,
               double quantity, const QString& group, double storedPrice) {
    insert(db, "Presupuesto",
           {"CodigoPres", "ItemPres", "DescripcionPres", "UnidadPres", "CantidadPres", "GruposPres",
            "TotalPres"},
           {code, item, description, "m3", quantity, group.isEmpty() ? QVariant() : QVariant(group),
            storedPrice});
}

void writeMaterial(store::Database& db, const QString& code, const QString& item, const QString& description,
                   double quantity, double price) {
    insert(db, "Materiales",
           {"CodigoPres", "ItemPres", "DescripcionMat", "UnidadMat", "CantidadMat", "PrecioUniMat"},
           {code, item, description, "u", quantity, price});
    insert(db, "Transporte",
           {"CodigoPres", "ItemPres", "DescripcionTran", "UnidadTran", "CantidadTran", "PrecioTran"},
           {code, item, description, "u", quantity, 0.0});
}

void writeLabour(store::Database& db, const QString& code, const QString& item, const QString& description,
                 const QString& category, double hours, double yield, double wage) {
    insert(db, "ManoObra",
           {"CodigoPres", "ItemPres", "DescripcionMan", "CategoriaMan", "HorasMan", "RendimientoMan",
            "SalarioMan"},
           {code, item, description, category, hours, yield, wage});
}

void writeEquipment(store::Database& db, const QString& code, const QString& item, const QString& description,
                    double hours, double yield, double cost) {
    insert(db, "Maquinaria",
           {"CodigoPres", "ItemPres", "DescripcionMaq", "HorasMaq", "RendimientoMaq", "CostoMaq"},
           {code, item, description, hours, yield, cost});
}

QString sampleProjectWithSchedules(const QString& root) {
    const auto made = engine::CrearProyectoEjemplo(root, QStringLiteral("Muestra"));
    if (!made.ok)
        throw std::runtime_error(made.message.toStdString());
    store::Database db = store::Database::openProject(made.folder);
    store::Transaction transaction(db);
    struct Period {
        const char* group;
        int period;
        int weeks;
        double percent;
    };
    const Period periods[] = {{"PRELIMINARES", 1, 2, 100},
                              {"MOVIMIENTO DE TIERRAS", 1, 2, 40},
                              {"MOVIMIENTO DE TIERRAS", 2, 4, 60},
                              {"ESTRUCTURA", 2, 3, 30},
                              {"ESTRUCTURA", 3, 4, 70},
                              {"MAMPOSTERIA", 4, 4, 50},
                              {"MAMPOSTERIA", 5, 4, 50},
                              {"INSTALACIONES", 6, 2, 100},
                              {"ACABADOS", 8, 4, 60},
                              {"ACABADOS", 9, 2, 40}};
    int order = 0;
    QString last;
    for (const Period& p : periods) {
        if (last != QLatin1String(p.group)) {
            ++order;
            last = QLatin1String(p.group);
        }
        insert(db, "DetalleGrupo", {"Grupo", "PeriodoGru", "SemanasGru", "PorcentajeGru", "OrdenGru"},
               {p.group, p.period, p.weeks, p.percent, order});
    }
    auto items = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    int n = 0;
    for (; !items.eof(); items.moveNext(), ++n) {
        const double quantity = items.number("CantidadPres");
        QVariantList values{items.text("CodigoPres"), items.text("ItemPres")};
        for (int column = 0; column < 6; ++column)
            values.append(column == n % 5       ? QVariant(quantity / 2)
                          : column == n % 5 + 1 ? QVariant(quantity / 2)
                                                : QVariant());
        insert(db, "CronoValores",
               {"CronoCodigo", "CronoItem", "Crono30C", "Crono60C", "Crono90C", "Crono120C", "Crono150C",
                "Crono180C"},
               values);
    }
    insert(db, "SimbolosMat", {"Simbolo", "DescripcionMat", "UnidadMat", "PorcentajeSimb"},
           {"C", "Cemento Portland", "saco", 40.0});
    insert(db, "SimbolosMat", {"Simbolo", "DescripcionMat", "UnidadMat", "PorcentajeSimb"},
           {"B", "Mano de Obra", "", 60.0});
    insert(db, "SimbolosMat", {"Simbolo", "DescripcionMat", "UnidadMat", "PorcentajeSimb"},
           {"", "Agua", "m3", 0.0});
    insert(db, "SimbolosDesc", {"Simbolo", "DescripcionSim", "TotalSimb", "PorcentajeTot"},
           {"B", "Mano de obra", 600.0, 0.6});
    insert(db, "SimbolosDesc", {"Simbolo", "DescripcionSim", "TotalSimb", "PorcentajeTot"},
           {"C", "Cemento", 400.0, 0.4});
    transaction.commit();
    return made.folder;
}

QString allText(const reports::ReportDocument& document) {
    QStringList texts;
    for (const reports::Page& page : document.pages)
        texts += page.textList();
    return texts.join(QLatin1Char('\n'));
}

reports::ReportResult printReport(const char* button, const QString& folder, const QString& root,
                                  std::vector<reports::Notice>* notices) {
    const reports::ReportButton* found = reports::findReportButton(QString::fromLatin1(button));
    if (!found)
        throw std::runtime_error(button);
    const reports::PreparedReport prepared = reports::prepareReport(*found, folder, root);
    if (notices)
        *notices = prepared.notices;
    return reports::runReport(prepared.request);
}

QString printedText(const char* button, const QString& folder, const QString& root) {
    const reports::ReportResult result = printReport(button, folder, root);
    return result.ok ? allText(result.document) : result.message;
}

QStringList missingFrom(const QString& printed, const QStringList& texts) {
    QStringList missing;
    for (const QString& text : texts) {
        if (!printed.contains(text))
            missing << text;
    }
    return missing;
}

void expectNothingOverflows(const reports::ReportDocument& document) {
    for (std::size_t p = 0; p < document.pages.size(); ++p) {
        for (const reports::TextItem& text : document.pages[p].texts) {
            ASSERT_GE(text.baseline.x(), text.cell.left() - 1)
                << text.text.toStdString() << " page " << p + 1;
            ASSERT_LE(text.baseline.x() + text.width, text.cell.right() + 1)
                << text.text.toStdString() << " page " << p + 1;
        }
    }
}

} // namespace korvex::testing
