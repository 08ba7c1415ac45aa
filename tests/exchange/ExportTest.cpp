// "korvex export-xlsx": the sample project's workbook, read back with the program's own reader,
// holds the figures of the batch commands to the cent, with formulas on the totals.
#include "SpreadsheetsFixture.h"
#include "engine/Numbers.h"

#include <QDir>

using namespace korvex;
using exchange::Table;
using exchange::TableRow;
using korvex::testing::CommandRun;
using korvex::testing::SampleProject;

namespace {

double number(const QString& shown) {
    return engine::ConvertirNumeroOCero(shown);
}

const TableRow* findRow(const Table& table, int col, const QString& text, int from = 0) {
    for (std::size_t i = std::size_t(from); i < table.rows.size(); ++i) {
        if (table.rows[i].cell(col).asText() == text)
            return &table.rows[i];
    }
    return nullptr;
}

class Export : public SampleProject {
protected:
    void SetUp() override {
        SampleProject::SetUp();
        path = root.root() + "/Ejemplo.xlsx";
        const CommandRun exported = run({"export-xlsx", "Ejemplo", path});
        ASSERT_EQ(exported.code, 0) << exported.err.toStdString();
    }
    QString path;
};

} // namespace

TEST_F(Export, BudgetSheetHoldsTheBudgetCommandsFiguresUnderItsGroups) {
    const Table budget = sheet(path, "Presupuesto");
    int items = 0;
    for (const QStringList& line : lines({"budget", "Ejemplo"})) {
        if (line.size() == 7) {
            const TableRow* row = findRow(budget, 1, line[1]);
            ASSERT_TRUE(row) << line[1].toStdString();
            EXPECT_EQ(row->cell(0).asText(), line[0]);
            EXPECT_EQ(row->cell(2).text, line[2]);
            for (int col : {4, 5, 6}) {
                EXPECT_EQ(row->cell(col).kind, exchange::TableCell::Kind::Number);
                EXPECT_DOUBLE_EQ(row->cell(col).number, number(line[col])) << line.join(' ').toStdString();
            }
            ++items;
            continue;
        }
        const QString& caption = line[0];
        const TableRow* row = findRow(budget, 2, caption);
        ASSERT_TRUE(row) << caption.toStdString();
        EXPECT_DOUBLE_EQ(row->cell(6).number, number(line[1])) << caption.toStdString();
        if (caption == "Subtotal" || caption == "Total") {
            EXPECT_TRUE(row->cell(6).formula.startsWith("SUM(G")) << row->cell(6).formula.toStdString();
        }
    }
    EXPECT_EQ(items, 15);
    // Items sit under their group, and each group ends with its own total.
    const TableRow* group = findRow(budget, 2, "Estructura de hormigón armado");
    ASSERT_TRUE(group);
    const TableRow* groupTotal = findRow(budget, 2, "Total Estructura de hormigón armado");
    ASSERT_TRUE(groupTotal);
    EXPECT_TRUE(groupTotal->cell(7).formula.startsWith("SUM(G")) << groupTotal->cell(7).formula.toStdString();
    EXPECT_GT(groupTotal->cell(7).number, 0);
}

TEST_F(Export, ListsAnalysesScheduleFormulaAndCrewAgreeWithTheirCommands) {
    const QList<std::pair<QString, QString>> kinds = {{"materiales", "Materiales"},
                                                      {"equipo", "Equipo"},
                                                      {"mano", "Mano de obra"},
                                                      {"transporte", "Transporte"}};
    for (const auto& [kind, name] : kinds) {
        const Table list = sheet(path, name);
        const QList<QStringList> shown = lines({"lists", "Ejemplo", kind});
        ASSERT_EQ(int(list.rows.size()), shown.size()) << name.toStdString();
        for (int i = 2; i < shown.size() - 1; ++i) {
            const QStringList& line = shown[i];
            EXPECT_EQ(list.rows[std::size_t(i)].cell(0).text, line[0]);
            for (int col = line.size() - 3; col < line.size(); ++col)
                EXPECT_DOUBLE_EQ(list.rows[std::size_t(i)].cell(col).number, number(line[col]))
                    << line.join(' ').toStdString();
        }
        const exchange::TableCell& total = list.rows.back().cells.back();
        EXPECT_DOUBLE_EQ(total.number, number(shown.back().last())) << name.toStdString();
        EXPECT_TRUE(total.formula.startsWith("SUM(")) << name.toStdString();
    }

    const Table analyses = sheet(path, "Análisis");
    for (const auto& [code, item] :
         QList<std::pair<QString, QString>>{{"501001", "1.01"}, {"503002", "3.02"}}) {
        const TableRow* start = findRow(analyses, 3, item);
        ASSERT_TRUE(start) << item.toStdString();
        const int from = int(start - analyses.rows.data());
        for (const QStringList& line : lines({"analysis", "Ejemplo", code, item})) {
            if (line.size() != 2 || !(line[0].startsWith("Subtotal") || line[0].startsWith("COSTOS") ||
                                      line[0].startsWith("OTROS") || line[0].startsWith("PRECIO") ||
                                      line[0].startsWith("E. Herr")))
                continue;
            const TableRow* row = findRow(analyses, 0, line[0], from);
            ASSERT_TRUE(row) << line[0].toStdString();
            EXPECT_DOUBLE_EQ(row->cell(6).number, number(line[1]))
                << item.toStdString() << line[0].toStdString();
            if (number(line[1]) != 0 && (line[0].startsWith("Subtotal") || line[0] == "PRECIO UNITARIO")) {
                EXPECT_TRUE(row->cell(6).formula.startsWith("SUM(")) << line[0].toStdString();
            }
        }
    }

    const Table schedule = sheet(path, "Cronograma");
    bool inPercentages = false;
    int checked = 0;
    for (const QStringList& line : lines({"schedule", "Ejemplo"})) {
        inPercentages = inPercentages || line[0] == "Crono3";
        if (!inPercentages || line.size() < 13 || line[0] == "Grupo")
            continue;
        const TableRow* row = findRow(schedule, 0, line[0]);
        ASSERT_TRUE(row) << line[0].toStdString();
        for (int p = 1; p <= 2; ++p)
            EXPECT_DOUBLE_EQ(row->cell(2 + p).number, line[p].toDouble()) << line[0].toStdString() << p;
        ++checked;
    }
    EXPECT_EQ(checked, 2);
    const TableRow* cumulative = findRow(schedule, 0, "TOTAL ACUMULADO");
    ASSERT_TRUE(cumulative);
    EXPECT_GT(cumulative->cell(4).number, cumulative->cell(3).number);

    const QList<std::pair<QStringList, QString>> tables = {{{"formula", "Ejemplo"}, "Fórmula"},
                                                           {{"crew", "Ejemplo"}, "Cuadrilla"}};
    for (const auto& [command, name] : tables) {
        const Table t = sheet(path, name);
        const QList<QStringList> shown = lines(command);
        ASSERT_GE(shown.size(), 3) << name.toStdString();
        for (const QStringList& line : shown) {
            const TableRow* row = findRow(t, 0, line[0]);
            ASSERT_TRUE(row) << line[0].toStdString();
            EXPECT_DOUBLE_EQ(row->cell(2).number, number(line[line.size() - 2]))
                << line.join(' ').toStdString();
            EXPECT_DOUBLE_EQ(row->cell(3).number, number(line.last())) << line.join(' ').toStdString();
            if (line[0] == "Total") {
                EXPECT_TRUE(row->cell(2).formula.startsWith("SUM(C")) << name.toStdString();
            }
        }
    }
    const Table formulaSheet = sheet(path, "Fórmula");
    const TableRow* written = findRow(formulaSheet, 0, "Fórmula:");
    ASSERT_TRUE(written);
    EXPECT_TRUE(written->cell(1).text.startsWith("Pr = Po (")) << written->cell(1).text.toStdString();
}

TEST_F(Export, SheetChoiceAndRefusals) {
    const QString only = root.root() + "/dos.xlsx";
    ASSERT_EQ(run({"export-xlsx", "Ejemplo", only, "--sheets", "cuadrilla,Presupuesto"}).code, 0);
    EXPECT_EQ(sheet(only, {}).sheetNames, (QStringList{"Presupuesto", "Cuadrilla"}));

    const CommandRun badSheet = run({"export-xlsx", "Ejemplo", only, "--sheets", "presupuesto,gastos"});
    EXPECT_EQ(badSheet.code, 2);
    EXPECT_TRUE(badSheet.err.startsWith("Hoja no válida: gastos")) << badSheet.err.toStdString();

    const CommandRun noFolder = run({"export-xlsx", "Ejemplo", root.root() + "/no/hay/libro.xlsx"});
    EXPECT_EQ(noFolder.code, 1);
    EXPECT_TRUE(noFolder.err.startsWith("No se pudo escribir el archivo")) << noFolder.err.toStdString();

    store::Database db = root.open(folder);
    db.execute("DELETE FROM Proyecto");
    const CommandRun noHeader = run({"export-xlsx", "Ejemplo", root.root() + "/sin.xlsx"});
    EXPECT_EQ(noHeader.code, 1);
    EXPECT_FALSE(QFile::exists(root.root() + "/sin.xlsx"));
}
