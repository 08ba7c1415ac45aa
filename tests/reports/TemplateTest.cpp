#include "reports/Template.h"

#include <functional>
#include <gtest/gtest.h>

using korvex::reports::Block;
using korvex::reports::parseTemplate;
using korvex::reports::ReportTemplate;
using korvex::reports::TemplateError;

namespace {

const char* const kName = "Reportes/Prueba.rpt";

QString refusal(const QByteArray& json) {
    try {
        parseTemplate(json, kName);
    } catch (const TemplateError& error) {
        return error.message();
    }
    return {};
}

QByteArray withBody(const QByteArray& body,
                    const QByteArray& data = R"({"items": "SELECT * FROM Presupuesto"})") {
    return R"({"korvexReport": 1, "data": )" + data + R"(, "body": [)" + body + "]}";
}

} // namespace

TEST(Template, ReadsPageFontsFormulasAndRepeatedColumns) {
    const ReportTemplate report = parseTemplate(R"~({
        "korvexReport": 1,
        "title": "CRONOGRAMA",
        "page": {"size": "Letter", "orientation": "landscape", "margins": {"left": 20, "top": 10}},
        "font": {"family": "Nimbus Sans, Arial", "size": 7.5},
        "data": {"crono": "SELECT * FROM Crono3", "grupos": {"from": "crono", "groupBy": ["Grupo"], "fields": ["n = count()"]}},
        "formulas": ["TotalMecanico = 0", "TotalManoObra = TotalMecanico"],
        "body": [{"type": "table", "data": "crono", "columns": [
            {"caption": "GRUPO", "value": "Grupo", "width": 30},
            {"id": "p", "caption": "{n}", "value": "field('Periodo' & n & 'P')", "format": "0.00", "sum": true,
             "repeat": {"name": "n", "from": 7, "to": 12}}
        ]}]
    })~",
                                                kName);
    EXPECT_EQ(report.pageSize, QPageSize::Letter);
    EXPECT_TRUE(report.landscape);
    EXPECT_DOUBLE_EQ(report.margins.left(), 20);
    EXPECT_DOUBLE_EQ(report.margins.top(), 10);
    EXPECT_DOUBLE_EQ(report.margins.right(), 12); // the default where none is given
    EXPECT_EQ(report.fontFamilies, QStringList({"Nimbus Sans", "Arial"}));
    EXPECT_DOUBLE_EQ(report.fontSize, 7.5);
    ASSERT_EQ(report.formulas.size(), 2u);
    EXPECT_TRUE(report.hasFormula("totalmanoobra"));
    ASSERT_EQ(report.data.size(), 2u);

    const Block& table = report.body.front();
    ASSERT_EQ(table.columns.size(), 7u);
    EXPECT_EQ(table.columns[1].id, "p7");
    EXPECT_EQ(table.columns[6].id, "p12");
    korvex::reports::VarScope scope;
    EXPECT_EQ(table.columns[6].caption.evaluate(scope).toText(), "12");
    EXPECT_EQ(table.columns[1].align, korvex::reports::Align::Right); // figures align right by default
}

TEST(Template, BrokenTemplatesAreRefusedWithFileLineAndProblem) {
    const QString syntax = refusal("{\n  \"korvexReport\": 1,\n  \"title\": \"X\"\n  \"body\": []\n}");
    EXPECT_TRUE(syntax.startsWith("La plantilla «Reportes/Prueba.rpt» no es válida")) << syntax.toStdString();
    EXPECT_TRUE(syntax.contains("línea 4")) << syntax.toStdString();
    EXPECT_TRUE(syntax.contains("falta una coma")) << syntax.toStdString();

    EXPECT_TRUE(
        refusal(R"({"title": "X", "body": []})").contains("no es una plantilla de reporte de Korvex"));
    EXPECT_TRUE(refusal("[1, 2]").contains("objeto JSON"));
    EXPECT_TRUE(refusal(R"({"korvexReport": 1, "body": []})").contains("ningún bloque"));

    const QString typo = refusal(withBody(R"({"type": "table", "data": "items", "colums": []})"));
    EXPECT_TRUE(typo.contains("body[0]: clave desconocida «colums»")) << typo.toStdString();

    const QString expression = refusal(withBody(
        R"({"type": "table", "data": "items", "columns": [{"value": "CodigoPres"}, {"value": "round(TotalPres, 2"}]})"));
    EXPECT_TRUE(expression.contains("body[0].columns[1].value")) << expression.toStdString();
    EXPECT_TRUE(expression.contains("falta «)»")) << expression.toStdString();

    EXPECT_TRUE(refusal(withBody(R"({"type": "table", "data": "otros", "columns": [{"value": "1"}]})"))
                    .contains("«otros», que no existe"));
    EXPECT_TRUE(refusal(withBody(R"({"type": "grafico"})")).contains("tipo de bloque desconocido «grafico»"));
    EXPECT_TRUE(refusal(withBody(R"({"type": "text", "text": 12})"))
                    .contains("se esperaba un texto y hay un número"));
    EXPECT_TRUE(
        refusal(withBody(R"({"type": "table", "data": "items", "columns": [{"value": "1", "sum": true}]})"))
            .contains("necesita \"id\""));
    EXPECT_TRUE(
        refusal(withBody(R"({"type": "text", "text": "x"})", R"({"a": {"from": "b"}, "b": {"from": "a"}})"))
            .contains("se lee a sí misma"));
    EXPECT_TRUE(refusal(R"({"korvexReport": 1, "page": {"size": "B5"}, "body": [{"type": "spacer"}]})")
                    .contains("tamaño de página desconocido «B5»"));
}
