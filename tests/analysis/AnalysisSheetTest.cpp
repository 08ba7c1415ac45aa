// Editing rules of the analysis lines, without a window.
#include "analysis/AnalysisSheet.h"

#include <gtest/gtest.h>

using namespace korvex::analysis;

// Typing through the window (the mirror into transport, what a pick fills, where Enter goes) is
// the editor window's test; here the rules it leaves to the sheet.
TEST(AnalysisSheet, ConfirmedValuesAreFormattedPerColumnAndOnlyTypedColumnsTakeThem) {
    EXPECT_EQ(formatTypedValue(Kind::Material, 2, "1.234,5"), "1,234.500");
    EXPECT_EQ(formatTypedValue(Kind::Material, 2, ""), "0.000");
    EXPECT_EQ(formatTypedValue(Kind::Material, 2, "abc"), "0.000");
    EXPECT_EQ(formatTypedValue(Kind::Equipment, 4, "0,5"), "0.500");
    EXPECT_EQ(formatTypedValue(Kind::Labour, 5, ""), "0.00");
    // Descriptions, units and categories stay as typed, quotes and blanks included.
    EXPECT_EQ(formatTypedValue(Kind::Material, 0, "Hormigón f'c = 210 kg/cm2 "),
              "Hormigón f'c = 210 kg/cm2 ");
    EXPECT_EQ(formatTypedValue(Kind::Labour, 1, "3.5"), "3.5");

    AnalysisSheet sheet;
    EXPECT_FALSE(sheet.isModified());
    sheet.assign(Kind::Labour, {1, 0}, "Peón", "E2");
    EXPECT_EQ(sheet.lines(Kind::Labour).cell(1, 1), "E2");
    EXPECT_TRUE(sheet.isModified());
    sheet.assign(Kind::Material, {2, 3}, "99"); // a computed column
    sheet.assign(Kind::Transport, {2, 0}, "Arena");
    EXPECT_TRUE(sheet.lines(Kind::Material).isRowEmpty(2));
    EXPECT_TRUE(sheet.lines(Kind::Transport).isRowEmpty(2));
}

TEST(AnalysisSheet, InsertAndDeleteMoveMaterialAndTransportTogether) {
    AnalysisSheet sheet;
    sheet.assign(Kind::Material, {1, 0}, "Arena");
    sheet.assign(Kind::Material, {2, 0}, "Cemento");
    sheet.lines(Kind::Transport).setCell(2, 3, "1.50"); // a computed price travels with its line

    EXPECT_TRUE(sheet.insertLine(Kind::Material, 2));
    EXPECT_TRUE(sheet.lines(Kind::Material).isRowEmpty(2));
    EXPECT_TRUE(sheet.lines(Kind::Transport).isRowEmpty(2));
    EXPECT_EQ(sheet.lines(Kind::Material).description(3), "Cemento");
    EXPECT_EQ(sheet.lines(Kind::Transport).cell(3, 3), "1.50");

    EXPECT_TRUE(sheet.deleteLine(Kind::Material, 1));
    EXPECT_TRUE(sheet.lines(Kind::Material).isRowEmpty(1));
    EXPECT_EQ(sheet.lines(Kind::Material).description(2), "Cemento");
    EXPECT_EQ(sheet.lines(Kind::Transport).description(2), "Cemento");

    // The transport grid has no lines of its own to insert or delete.
    EXPECT_FALSE(sheet.insertLine(Kind::Transport, 1));
    EXPECT_FALSE(sheet.deleteLine(Kind::Transport, 2));
    EXPECT_EQ(sheet.lines(Kind::Transport).description(2), "Cemento");
}

TEST(AnalysisSheet, TablesGrowPastTheDesignRowsWithoutLosingLines) {
    AnalysisSheet sheet;
    LineTable& lines = sheet.lines(Kind::Labour);
    EXPECT_EQ(lines.rowCount(), kDesignRows);
    for (int row = 1; row <= kDesignRows; ++row)
        sheet.assign(Kind::Labour, {row, 0}, QString("Obrero %1").arg(row));
    EXPECT_EQ(lines.rowCount(), kDesignRows + 1); // a spare row to type the next line

    sheet.insertLine(Kind::Labour, 1);
    EXPECT_EQ(lines.lastUsedRow(), kDesignRows + 1);
    EXPECT_EQ(lines.description(kDesignRows + 1), QString("Obrero %1").arg(kDesignRows));

    sheet.assign(Kind::Labour, {70, 0}, "Maestro de obra");
    EXPECT_EQ(lines.rowCount(), 71);
    sheet.deleteLine(Kind::Labour, 70);
    EXPECT_EQ(lines.rowCount(), kDesignRows + 2);
    EXPECT_EQ(lines.lastUsedRow(), kDesignRows + 1);
}

TEST(AnalysisSheet, ConfirmingMovesThroughTheTypedColumnsOfEachKind) {
    EXPECT_EQ(nextTypedCell(Kind::Material, {3, 2}), (CellPosition{4, 0}));
    EXPECT_EQ(nextTypedCell(Kind::Labour, {1, 2}), (CellPosition{1, 5}));
    EXPECT_EQ(previousTypedCell(Kind::Labour, {1, 5}), (CellPosition{1, 2}));
    EXPECT_EQ(previousTypedCell(Kind::Equipment, {1, 4}), (CellPosition{1, 1}));
    EXPECT_EQ(previousTypedCell(Kind::Material, {1, 0}), (CellPosition{1, 0}));
}

TEST(AnalysisSheet, RepeatedResourcesAreFoundWithoutRegardToLetterCase) {
    AnalysisSheet sheet;
    sheet.assign(Kind::Material, {1, 0}, "Cemento");
    sheet.assign(Kind::Material, {1, 1}, "kg");
    sheet.assign(Kind::Material, {2, 0}, "Cemento");
    sheet.assign(Kind::Material, {2, 1}, "saco"); // another unit: another resource
    sheet.assign(Kind::Material, {4, 0}, "CEMENTO");
    sheet.assign(Kind::Material, {4, 1}, "KG");
    sheet.assign(Kind::Equipment, {1, 0}, "Volqueta");
    sheet.assign(Kind::Equipment, {2, 0}, "volqueta");
    sheet.assign(Kind::Equipment, {3, 0}, "volqueta");
    EXPECT_EQ(repeatedResources(sheet.lines(Kind::Material)), QStringList{"CEMENTO (KG)"});
    EXPECT_EQ(repeatedResources(sheet.lines(Kind::Equipment)), QStringList{"volqueta"});
    EXPECT_TRUE(repeatedResources(sheet.lines(Kind::Labour)).isEmpty());
}
