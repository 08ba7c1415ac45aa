#include "exchange/Bc3Budget.h"

#include "Bc3Fixtures.h"

#include <gtest/gtest.h>

namespace korvex::exchange {
namespace {

Bc3Budget plan(const QString& text) {
    const Bc3ReadResult read = readBc3(text.toUtf8());
    EXPECT_TRUE(read.ok) << read.message.toStdString();
    return planBc3Budget(read.document);
}

// Code, number, group and quantity of an item, for comparing in one line.
QString summary(const PlannedItem& item) {
    return QStringList{item.code, item.item, item.group, QString::number(item.quantity)}.join(' ');
}

const PlannedLine* findLine(const PlannedItem& item, LineKind kind, const QString& description) {
    for (const PlannedLine& line : item.lines)
        if (line.kind == kind && line.description == description)
            return &line;
    return nullptr;
}

TEST(Bc3Budget, ExampleChapterItemMeasurementAndIndirectCost) {
    const Bc3Budget budget = plan(testing::exampleBc3());
    ASSERT_TRUE(budget.ok) << budget.message.toStdString();
    EXPECT_EQ(budget.projectName, QStringLiteral("Casa comunal"));
    ASSERT_EQ(budget.groups.size(), 1u);
    EXPECT_EQ(budget.groups[0].name + " " + budget.groups[0].description, "01 Hormigones");
    ASSERT_EQ(budget.items.size(), 1u);
    const PlannedItem& item = budget.items[0];
    EXPECT_EQ(summary(item), "H210 1.1 01 12.5");
    EXPECT_EQ(item.statedPrice, 102.38);
    // Every item ends with the same percentage: it is the project's indirect cost, not a line.
    EXPECT_EQ(budget.indirectConcept, QStringLiteral("%CI"));
    EXPECT_DOUBLE_EQ(budget.costosIndirectos, 20);
    ASSERT_EQ(item.lines.size(), 3u);
    EXPECT_EQ(item.lines[0].kind, LineKind::Material);
    EXPECT_EQ(item.lines[0].quantity, 7.2);
    EXPECT_EQ(item.lines[1].kind, LineKind::Labour);
    EXPECT_EQ(item.lines[1].workers, 1);
    EXPECT_EQ(item.lines[1].quantity, 8);
    EXPECT_EQ(item.lines[1].price, 3.6);
    EXPECT_EQ(item.lines[2].kind, LineKind::Transport); // the material's mirror at price 0
    EXPECT_EQ(item.lines[2].description, item.lines[0].description);
    EXPECT_EQ(item.lines[2].price, 0);
}

const char* const kTree = "~V||FIEBDC-3/2004|P||ANSI|\n"
                          "~C|R##||Raíz|0||0|\n"
                          "~C|C1#||Uno|0||0|\n"
                          "~C|C2#||Dos|0||0|\n"
                          "~C|C21#||Dos punto uno|0||0|\n"
                          "~D|R##|C1\\1\\1\\C2\\1\\1\\C1\\1\\1\\|\n"
                          "~D|C1#|P1\\1\\3\\|\n"
                          "~D|C2#|C21\\1\\1\\P1\\2\\5\\|\n"
                          "~D|C21#|P2\\1\\4\\|\n"
                          "~C|P1|m3|Partida uno|34.79||0|\n"
                          "~C|AUX|m3|Mortero|0||0|\n"
                          "~D|P1|AUX\\1\\0.5\\PEON\\1\\2\\%MA\\1\\0.1\\|\n"
                          "~D|AUX|CEM\\1\\8\\ARENA\\1\\1.1\\%AUX\\1\\0.02\\|\n"
                          "~C|P2|u|Partida dos|5||0|\n"
                          "~C|CEM|kg|Cemento|0.1||3|\n"
                          "~C|ARENA|m3|Arena|20||3|\n"
                          "~C|PEON|h|Peón|10||1|\n"
                          "~C|%MA|%|Medios auxiliares|10||0|\n"
                          "~C|%AUX|%|Pequeño material|2||0|\n"
                          "~M|C2\\P1|2\\2\\|7||\n";

TEST(Bc3Budget, TreePlacesConceptOncePerPlaceAndFlattensNestedPercentages) {
    const Bc3Budget budget = plan(QString::fromUtf8(kTree));
    ASSERT_TRUE(budget.ok) << budget.message.toStdString();
    // C1 listed twice is one group.
    ASSERT_EQ(budget.groups.size(), 2u);
    EXPECT_EQ(budget.groups[0].name, QStringLiteral("C1"));
    EXPECT_EQ(budget.groups[1].name, QStringLiteral("C2"));
    EXPECT_EQ(budget.groups[1].order, 2);
    QStringList items;
    for (const PlannedItem& item : budget.items)
        items << summary(item);
    EXPECT_EQ(items, QStringList({"P1 1.1 C1 3", "P2 2.1.1 C2 4", "P1 2.2 C2 7", "P1 3.1 C1 3"}));
    // P2 does not end with a percentage: no indirect cost, the percentages stay lines.
    EXPECT_TRUE(budget.indirectConcept.isEmpty());
    const PlannedItem& p1 = budget.items[0];
    ASSERT_EQ(p1.lines.size(), 9u); // 5 lines and 4 transport mirrors
    EXPECT_DOUBLE_EQ(findLine(p1, LineKind::Material, QStringLiteral("Cemento"))->quantity, 4);
    EXPECT_DOUBLE_EQ(findLine(p1, LineKind::Material, QStringLiteral("Arena"))->quantity, 0.55);
    // 2 % of the mortar's lines (0.4 + 11) per half m3, then 10 % of everything before it.
    const PlannedLine* aux = findLine(p1, LineKind::Material, QStringLiteral("Pequeño material"));
    ASSERT_NE(aux, nullptr);
    EXPECT_EQ(aux->unit, QStringLiteral("%"));
    EXPECT_EQ(aux->price, 1);
    EXPECT_NEAR(aux->quantity, 0.228, 1e-12);
    EXPECT_NEAR(findLine(p1, LineKind::Material, QStringLiteral("Medios auxiliares"))->quantity, 3.1628,
                1e-12);
    EXPECT_EQ(findLine(p1, LineKind::Labour, QStringLiteral("Peón"))->quantity, 2);
    // A basic concept listed by a chapter is an item priced by itself.
    const PlannedItem& p2 = budget.items[1];
    ASSERT_EQ(p2.lines.size(), 2u);
    EXPECT_EQ(p2.lines[0].price, 5);
    EXPECT_EQ(p2.lines[0].quantity, 1);
}

TEST(Bc3Budget, UnmarkedChaptersAndPriceBases) {
    const Bc3Budget unmarked =
        plan(QStringLiteral("~V||FIEBDC-3/95|P|\n"
                            "~C|OBRA||Obra|0||0|\n~C|CAP1||Capítulo uno|0||0|\n"
                            "~C|SUB||Sub|0||0|\n~D|OBRA|CAP1\\1\\1\\|\n"
                            "~D|CAP1|SUB\\1\\1\\X\\1\\2\\|\n~D|SUB|Y\\1\\3\\|\n"
                            "~C|X|m2|X|1||0|\n~D|X|MAT\\1\\1\\|\n"
                            "~C|Y|m2|Y|2||0|\n~D|Y|MAT\\1\\2\\|\n~C|MAT|kg|Mat|1||3|\n"));
    ASSERT_TRUE(unmarked.ok) << unmarked.message.toStdString();
    EXPECT_EQ(unmarked.projectName, QStringLiteral("Obra"));
    EXPECT_FALSE(unmarked.priceBase);
    ASSERT_EQ(unmarked.groups.size(), 1u);
    EXPECT_EQ(unmarked.groups[0].name, QStringLiteral("CAP1"));
    ASSERT_EQ(unmarked.items.size(), 2u);
    EXPECT_EQ(summary(unmarked.items[0]), "Y 1.1.1 CAP1 3");
    EXPECT_EQ(unmarked.items[1].item, QStringLiteral("1.2"));

    const Bc3Budget base =
        plan(QStringLiteral("~V||FIEBDC-3/2004|P|Banco|UTF-8|\n"
                            "~C|U1|m3|Unidad 1|10||0|\n~D|U1|AUX\\1\\2\\MAT\\1\\1\\|\n"
                            "~C|AUX|m3|Aux|2||0|\n~D|AUX|MAT\\1\\2\\|\n"
                            "~C|U2|m2|Unidad 2|3||0|\n~D|U2|MAT\\1\\3\\|\n~C|MAT|kg|Mat|1||3|\n"));
    ASSERT_TRUE(base.ok) << base.message.toStdString();
    EXPECT_TRUE(base.priceBase);
    EXPECT_TRUE(base.groups.empty());
    EXPECT_EQ(base.projectName, QStringLiteral("Banco"));
    ASSERT_EQ(base.items.size(), 2u);
    EXPECT_EQ(summary(base.items[0]), "U1 1  1");
    EXPECT_EQ(base.items[0].lines[0].quantity, 5); // 2 x 2 through the auxiliary, plus 1: merged
    EXPECT_EQ(base.items[1].item, QStringLiteral("2"));
}

TEST(Bc3Budget, ChapterAndItemOfTheSameNameStayApart) {
    const Bc3Budget budget =
        plan(QStringLiteral("~V||FIEBDC-3/2004|\n~C|R##||R|0||0|\n~D|R|01#\\1\\1\\|\n"
                            "~D|01#|01\\1\\2\\|\n~C|01#||Capítulo|0||0|\n"
                            "~C|01|m|Partida 01|3||0|\n~D|01|M\\1\\3\\|\n~C|M|u|M|1||3|\n"));
    ASSERT_TRUE(budget.ok) << budget.message.toStdString();
    ASSERT_EQ(budget.groups.size(), 1u);
    EXPECT_EQ(budget.groups[0].description, QStringLiteral("Capítulo"));
    ASSERT_EQ(budget.items.size(), 1u);
    EXPECT_EQ(budget.items[0].description, QStringLiteral("Partida 01"));
    EXPECT_EQ(summary(budget.items[0]), "01 1.1 01 2");
    EXPECT_EQ(budget.items[0].lines[0].quantity, 3);
}

TEST(Bc3Budget, SharedResourceKeyAtTwoPricesKeepsApartByCode) {
    const Bc3Budget budget = plan(QStringLiteral("~V||FIEBDC-3/2004|P||ANSI|\n~C|C#||C|0||0|\n"
                                                 "~D|C#|A\\1\\1\\B\\1\\1\\|\n"
                                                 "~C|A|u|A|1||0|\n~D|A|K1\\1\\1\\K2\\1\\1\\K3\\1\\1\\|\n"
                                                 "~C|B|u|B|1||0|\n~D|B|K2\\1\\1\\|\n"
                                                 "~C|K1|kg|Cemento|7||3|\n~C|K2|kg|Cemento|8||3|\n"
                                                 "~C|K3|kg|Cemento|7||3|\n"));
    ASSERT_TRUE(budget.ok) << budget.message.toStdString();
    const PlannedItem& a = budget.items[0];
    EXPECT_EQ(a.lines[0].description, QStringLiteral("Cemento"));
    EXPECT_EQ(a.lines[1].description, QStringLiteral("Cemento (K2)"));
    EXPECT_EQ(a.lines[2].description, QStringLiteral("Cemento")); // same key, same price: one resource
    EXPECT_TRUE(budget.warnings.isEmpty());

    // A component without its ~C is priced 0 and named in a warning.
    const Bc3Budget missing = plan(QStringLiteral("~V||FIEBDC-3/2004|\n~C|C#||C|0||0|\n~D|C#|A\\1\\1\\|\n"
                                                  "~C|A|u|A|1||0|\n~D|A|K9\\1\\2\\|\n"));
    ASSERT_TRUE(missing.ok);
    EXPECT_EQ(missing.items[0].lines[0].description, QStringLiteral("K9"));
    EXPECT_EQ(missing.items[0].lines[0].price, 0);
    EXPECT_EQ(missing.warnings,
              QStringList{QStringLiteral("1 conceptos sin registro ~C, importados a precio 0: K9")});
    EXPECT_EQ(budget.items[1].lines[0].description, QStringLiteral("Cemento (K2)"));
}

TEST(Bc3Budget, CyclesDepthAndSizeAreRefusedNamingTheRecord) {
    const Bc3Budget cycle =
        plan(QStringLiteral("~V||FIEBDC-3/2004|\n~C|C#||C|0||0|\n~D|C#|A\\1\\1\\|\n"
                            "~C|A|u|A|1||0|\n~D|A|B\\1\\1\\|\n~C|B|u|B|1||0|\n~D|B|A\\1\\2\\|\n"));
    EXPECT_FALSE(cycle.ok);
    EXPECT_EQ(cycle.message,
              QStringLiteral(
                  "Registro 7 (~D) del archivo BC3: la descomposición de «B» vuelve a contener «A» (ciclo)"));

    const Bc3Budget chapters = plan(QStringLiteral("~V||FIEBDC-3/2004|\n~C|R##||R|0||0|\n~D|R##|C1\\1\\1\\|\n"
                                                   "~C|C1#||C1|0||0|\n~C|C2#||C2|0||0|\n~D|C1#|C2\\1\\1\\|\n"
                                                   "~D|C2#|C1\\1\\1\\|\n"));
    EXPECT_FALSE(chapters.ok);
    EXPECT_EQ(chapters.message,
              QStringLiteral("Registro 7 (~D) del archivo BC3: el capítulo «C1» se contiene a sí mismo"));

    QString deep = QStringLiteral("~V||FIEBDC-3/2004|\n~C|C#||C|0||0|\n~D|C#|A0\\1\\1\\|\n~C|M|u|M|1||3|\n");
    for (int i = 0; i < 40; ++i)
        deep += QStringLiteral("~C|A%1|u|A|1||0|\n~D|A%1|A%2\\1\\1\\|\n").arg(i).arg(i + 1);
    deep += QStringLiteral("~C|A40|u|A|1||0|\n~D|A40|M\\1\\1\\|\n");
    const Bc3Budget tooDeep = plan(deep);
    EXPECT_FALSE(tooDeep.ok);
    EXPECT_TRUE(tooDeep.message.endsWith(QStringLiteral("la descomposición tiene más de 32 niveles")))
        << tooDeep.message.toStdString();

    // A diamond of auxiliaries would multiply its lines at every level: the line bound stops it.
    QString wide = QStringLiteral("~V||FIEBDC-3/2004|\n~C|C#||C|0||0|\n~D|C#|A0\\1\\1\\|\n~C|M|u|M|1||3|\n");
    for (int i = 0; i < 30; ++i)
        wide += QStringLiteral("~C|A%1|u|A|1||0|\n~D|A%1|A%2\\1\\1\\A%2\\1\\1\\|\n").arg(i).arg(i + 1);
    wide += QStringLiteral("~C|A30|u|A|1||0|\n~D|A30|M\\1\\1\\|\n");
    const Bc3Budget tooWide = plan(wide);
    EXPECT_FALSE(tooWide.ok);
    EXPECT_TRUE(
        tooWide.message.endsWith(QStringLiteral("la partida tiene más de 10000 líneas al descomponerla")))
        << tooWide.message.toStdString();

    const Bc3Budget nothing = plan(QStringLiteral("~V||FIEBDC-3/2004|\n~C|A|u|A|1||0|\n~C|B|u|B|1||0|\n"));
    EXPECT_FALSE(nothing.ok);
    EXPECT_TRUE(nothing.message.startsWith(QStringLiteral("El archivo BC3 no tiene partidas que importar")));
}

} // namespace
} // namespace korvex::exchange
