// The query forms the rest of the system writes, run against a small project.
#include "store/Dialect.h"

#include "TestProject.h"
#include "store/Database.h"

#include <gtest/gtest.h>
#include <map>

using korvex::store::Database;
using korvex::store::RecordSet;
using korvex::store::StoreError;
using korvex::testing::TempRoot;

namespace {

QStringList column(RecordSet rs, const QString& field) {
    QStringList values;
    for (; !rs.eof(); rs.moveNext())
        values << rs.text(field);
    return values;
}

QStringList rows(RecordSet rs) {
    QStringList out;
    const QStringList names = rs.fieldNames();
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (const QString& n : names)
            fields << rs.text(n);
        out << fields.join('|');
    }
    return out;
}

class Dialect : public ::testing::Test {
protected:
    TempRoot root;
    Database db = root.open(root.newProject("Fixture"));

    void SetUp() override {
        korvex::store::Transaction t(db);
        const char* items[][4] = {
            {"A", "1", "Excavación", "10"}, {"A", "2", "Hormigón", "2.5"}, {"B", "1", "Pintura", "0"}};
        for (const auto& i : items)
            db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, CantidadPres) VALUES "
                       "(?, ?, ?, ?)",
                       {i[0], i[1], i[2], i[3]});
        const QString mat = "INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, "
                            "CantidadMat, PrecioUniMat) VALUES (?, ?, ?, ?, ?, ?)";
        db.execute(mat, {"A", "1", "Cemento", "saco", 2.0, 8.0});
        db.execute(mat, {"a", "2", "CEMENTO", "Saco", 3.0, 8.0}); // same resource, other letter case
        db.execute(mat, {"A", "2", "Cemento", "saco", 1.0, 9.0}); // same resource, another price
        db.execute(mat, {"A", "2", "Arena", "m3", 0.5, 12.0});
        db.execute(mat, {"Z", "9", "Arena", "m3", 100.0, 12.0}); // item not in the budget
        const QString maq = "INSERT INTO Maquinaria (CodigoPres, ItemPres, DescripcionMaq, HorasMaq, "
                            "RendimientoMaq, CostoMaq) VALUES ('A', ?, 'Retroexcavadora', ?, ?, 40)";
        db.execute(maq, {"1", 1, 0.5});
        db.execute(maq, {"2", 2, 0.25});
        db.execute("INSERT INTO ManoObra (CodigoPres, ItemPres, DescripcionMan, CategoriaMan, HorasMan, "
                   "RendimientoMan, SalarioMan) VALUES ('A', '1', 'Peón', 'E2', 2, 0.5, 3.5)");
        const QString symbol =
            "INSERT INTO SimbolosMat (Simbolo, DescripcionMat, PorcentajeSimb) VALUES (?, ?, ?)";
        for (const auto& [code, description, percent] : std::vector<std::tuple<QString, QString, double>>{
                 {"C", "Cemento", 10}, {"C", "Cal", 5.5}, {"", "Arena", 3}, {"A", "Acero", 7}})
            db.execute(symbol, {code, description, percent});
        t.commit();
    }

    int count(const QString& sql, const QVariantList& params = {}) {
        return db.openRecordSet(sql, params).recordCount();
    }
    QStringList column(const QString& sql, const QString& field) {
        return ::column(db.openRecordSet(sql), field);
    }
    QStringList rows(const QString& sql) { return ::rows(db.openRecordSet(sql)); }
};

TEST_F(Dialect, SelectWithConditionsOrderAndTolerances) {
    // The forms as the windows concatenate them, blanks and letter case as they come.
    EXPECT_EQ(column("SELECT * FROM Materiales WHERE CodigoPres = 'A' and ItemPres = '2'", "DescripcionMat"),
              QStringList({"CEMENTO", "Cemento", "Arena"}));
    EXPECT_EQ(column("SELECT * FROM Materiales WHERE Codigopres = 'a' and Itempres = '2' "
                     "ORDER BY DescripcionMat, PrecioUniMat",
                     "PrecioUniMat"),
              QStringList({"12", "8", "9"}));
    EXPECT_EQ(column("SELECT* FROM materiales WHERE CodigoPres = 'A' and Itempres = '2'and "
                     "DescripcionMat = 'arena' and UnidadMat = 'M3'ORDER BY CodigoPres ",
                     "CantidadMat"),
              QStringList({"0.5"}));
    EXPECT_EQ(column("   SELECT  PrecioUniMat   FROM  Materiales  WHERE DescripcionMat = "
                     "'Arena' and UnidadMat = 'm3'",
                     "preciounimat"),
              QStringList({"12", "12"}));
    RecordSet fields = db.openRecordSet(
        "SELECT DescripcionMan,CategoriaMan, SalarioMan FROM ManoOBra WHERE DescripcionMan = 'PEÓN'");
    EXPECT_EQ(fields.fieldNames(), QStringList({"DescripcionMan", "CategoriaMan", "SalarioMan"}));
    EXPECT_DOUBLE_EQ(fields.number("salarioman"), 3.5);
    // Numeric comparison and the budget order.
    EXPECT_EQ(column("SELECT * FROM presupuesto WHERE cantidadpres > 0 ORDER BY indice", "ItemPres"),
              QStringList({"1", "2"}));
    EXPECT_EQ(column("SELECT * FROM Presupuesto ORDER BY Indice DESC", "DescripcionPres"),
              QStringList({"Pintura", "Hormigón", "Excavación"}));
}

TEST_F(Dialect, LikeAndDistinct) {
    EXPECT_EQ(
        rows("SELECT DISTINCT DescripcionMat, UnidadMat FROM Materiales WHERE DescripcionMat like 'cem*'")
            .size(),
        1);
    EXPECT_EQ(rows("SELECT DISTINCT DescripcionMat, UnidadMat FROM Materiales WHERE DescripcionMat like '*'")
                  .size(),
              2);
    EXPECT_EQ(column("SELECT DISTINCT DescripcionMaq FROM Maquinaria WHERE DescripcionMaq like 'RETRO*'",
                     "DescripcionMaq"),
              QStringList({"Retroexcavadora"}));
    EXPECT_EQ(
        column("SELECT DISTINCT DescripcionMan,CategoriaMan FROM ManoObra WHERE DescripcionMan like 'pe?n'",
               "CategoriaMan"),
        QStringList({"E2"}));
    // "%" and "_" are ordinary characters of the dialect.
    EXPECT_EQ(count("SELECT * FROM Materiales WHERE DescripcionMat like '%'"), 0);

    // Grouped lists come out in ascending order of the grouped fields, letter case folded.
    EXPECT_EQ(rows(" SELECT DISTINCTROW   DescripcionMat, UnidadMat FROM Materiales GROUP "
                   "BY  DescripcionMat, UnidadMat"),
              QStringList({"Arena|m3", "Cemento|saco"}));
    db.execute("UPDATE Presupuesto SET GruposPres = 'Obra gris' WHERE ItemPres = '1'");
    EXPECT_EQ(column("SELECT DISTINCTROW(GruposPres) FROM Presupuesto GROUP BY GruposPres", "GruposPres"),
              QStringList({"", "Obra gris"}));
}

TEST_F(Dialect, SumHavingAndAlias) {
    EXPECT_EQ(rows("SELECT SimbolosMat.Simbolo, Sum(SimbolosMat.PorcentajeSimb) AS SumaDePorcentajeSimb "
                   " From SimbolosMat GROUP BY SimbolosMat.Simbolo HAVING Simbolo <> ''"),
              QStringList({"A|7", "C|15.5"}));
}

TEST_F(Dialect, DerivedTableTotals) {
    RecordSet mat = db.openRecordSet(
        "SELECT Materiales.DescripcionMat, Materiales.UnidadMat, Sum(Materiales.Cantidadmat * "
        "Presupuesto.CantidadPres) AS TotalMat, Materiales.PrecioUniMat "
        " FROM [SELECT Materiales.DescripcionMat, Materiales.UnidadMat, Materiales.CantidadMat, "
        "Materiales.PrecioUniMat, Presupuesto.CantidadPres FROM Materiales INNER JOIN Presupuesto ON "
        "(Materiales.ItemPres = Presupuesto.ItemPres) AND (Materiales.CodigoPres = Presupuesto.CodigoPres)]. "
        "AS [%$##@_Alias] "
        " GROUP BY Materiales.DescripcionMat, Materiales.Unidadmat, Materiales.PrecioUniMat ");
    EXPECT_EQ(mat.fieldNames(), QStringList({"DescripcionMat", "UnidadMat", "TotalMat", "PrecioUniMat"}));
    // Cemento at 8 is used by two items (2 x 10 + 3 x 2.5), at 9 it is another record; the Arena
    // line of an item outside the budget does not count.
    std::map<QString, double> totals;
    for (; !mat.eof(); mat.moveNext())
        totals[mat.text("DescripcionMat").toLower() + "@" + mat.text("PrecioUniMat")] =
            mat.number("TotalMat");
    EXPECT_EQ(totals.size(), 3u);
    EXPECT_DOUBLE_EQ(totals["cemento@8"], 27.5);
    EXPECT_DOUBLE_EQ(totals["cemento@9"], 2.5);
    EXPECT_DOUBLE_EQ(totals["arena@12"], 1.25);

    RecordSet maq = db.openRecordSet(
        "SELECT Maquinaria.DescripcionMaq, SUM(Maquinaria.RendimientoMaq * Maquinaria.HorasMaq * "
        "Presupuesto.CantidadPres) AS TotalMaq, Maquinaria.CostoMaq "
        " FROM [SELECT Maquinaria.RendimientoMaq, Maquinaria.DescripcionMaq, Maquinaria.HorasMaq, "
        "Maquinaria.CostoMaq, Presupuesto.CantidadPres "
        " FROM Presupuesto INNER JOIN Maquinaria ON (Presupuesto.ItemPres = Maquinaria.ItemPres) AND "
        "(Presupuesto.CodigoPres = Maquinaria.CodigoPres)]. AS [%$##@_Alias] "
        " GROUP BY Maquinaria.DescripcionMaq, Maquinaria.CostoMaq");
    ASSERT_EQ(maq.recordCount(), 1);
    EXPECT_DOUBLE_EQ(maq.number("TotalMaq"), 0.5 * 1 * 10 + 0.25 * 2 * 2.5);

    RecordSet man = db.openRecordSet(
        " SELECT ManoObra.DescripcionMan, ManoObra.CategoriaMan, SUM(ManoObra.RendimientoMan * "
        "ManoObra.HorasMan*Presupuesto.CantidadPres) AS TotalMan, ManoObra.SalarioMan "
        " FROM [SELECT ManoObra.RendimientoMan , ManoObra.DescripcionMan, ManoObra.CategoriaMan, "
        "ManoObra.HorasMan, ManoObra.SalarioMan, Presupuesto.CantidadPres "
        " FROM ManoObra INNER JOIN Presupuesto ON (ManoObra.ItemPres = Presupuesto.ItemPres) AND "
        "(ManoObra.CodigoPres = Presupuesto.CodigoPres)]. AS [%$##@_Alias] "
        " GROUP BY ManoObra.DescripcionMan, ManoObra.CategoriaMan, ManoObra.SalarioMan ");
    ASSERT_EQ(man.recordCount(), 1);
    EXPECT_DOUBLE_EQ(man.number("TotalMan"), 10.0);
    EXPECT_EQ(man.text("DescripcionMan"), "Peón");
}

TEST_F(Dialect, DerivedTableColumnsNamedAfterTheirFields) {
    // Both tables give the derived table a CodigoPres ("a" in Materiales, "A" in Presupuesto for
    // the line of quantity 3): each qualified name reaches its own table's column, and the
    // record set names the columns after the fields, not after the alias, with their table where
    // two share a name.
    const QString inner =
        " FROM [SELECT Materiales.CodigoPres, Presupuesto.CodigoPres, Materiales.CantidadMat, "
        "Presupuesto.CantidadPres FROM Materiales INNER JOIN Presupuesto ON "
        "(Materiales.ItemPres = Presupuesto.ItemPres) AND (Materiales.CodigoPres = "
        "Presupuesto.CodigoPres)]. AS [%$##@_Alias] WHERE Materiales.CantidadMat = 3";
    EXPECT_EQ(rows("SELECT Presupuesto.CodigoPres, Materiales.CantidadMat" + inner), QStringList({"A|3"}));
    EXPECT_EQ(rows("SELECT Materiales.CodigoPres, Presupuesto.CantidadPres" + inner), QStringList({"a|2.5"}));
    EXPECT_EQ(db.openRecordSet("SELECT Materiales.CodigoPres, Presupuesto.CodigoPres" + inner).fieldNames(),
              QStringList({"Materiales.CodigoPres", "Presupuesto.CodigoPres"}));
    const QStringList joined =
        db.openRecordSet("SELECT * FROM [SELECT * FROM Materiales INNER JOIN Presupuesto ON "
                         "Materiales.ItemPres = Presupuesto.ItemPres]. AS X")
            .fieldNames();
    EXPECT_TRUE(joined.contains("Materiales.ItemPres") && joined.contains("Presupuesto.ItemPres"))
        << joined.join(' ').toStdString();
    // Unqualified, the name could be either column.
    EXPECT_THROW(db.openRecordSet("SELECT CodigoPres" + inner), StoreError);
    // A sum without a name of its own gets the engine's usual one.
    EXPECT_EQ(db.openRecordSet("SELECT Sum(Materiales.CantidadMat)" + inner).fieldNames(),
              QStringList({"Expr1000"}));
}

TEST_F(Dialect, DeleteInsertUpdate) {
    EXPECT_EQ(db.execute("DELETE * FROM Materiales WHERE CodigoPres = 'A' and ItemPres = '2'"), 3);
    EXPECT_EQ(db.execute("delete from Materiales where DescripcionMat = 'ARENA'"), 1);
    EXPECT_EQ(count("SELECT * FROM Materiales"), 1);
    EXPECT_EQ(
        db.execute(
            "UPDATE Materiales SET PrecioUniMat = '1.234,5', UnidadMat = 'bolsa' WHERE CodigoPres = 'a'"),
        1);
    RecordSet rs = db.openRecordSet("SELECT * FROM Materiales");
    EXPECT_DOUBLE_EQ(rs.number("PrecioUniMat"), 1234.5);
    EXPECT_EQ(rs.text("UnidadMat"), "bolsa");
    EXPECT_EQ(db.execute("DELETE * FROM Presupuesto"), 3);
    // A quote inside a literal is written doubled.
    db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres) VALUES ('C', '1', 'Tubo "
               "1/2\" d''agua')");
    EXPECT_EQ(
        column("SELECT * FROM Presupuesto WHERE DescripcionPres = 'TUBO 1/2\" D''AGUA'", "DescripcionPres"),
        QStringList({"Tubo 1/2\" d'agua"}));
    EXPECT_EQ(db.execute("UPDATE Presupuesto SET CantidadPres = CantidadPres + 1, TotalPres = 2 * 3"), 1);
    EXPECT_DOUBLE_EQ(db.openRecordSet("SELECT TotalPres FROM Presupuesto").number("TotalPres"), 6);
}

TEST_F(Dialect, QuotesInEveryKindOfValue) {
    const QString code = "C'1";
    const QString item = "1\"";
    const QString text = "Tubo 1/2\" PVC d'agua";
    db.execute(
        "INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, GruposPres) VALUES (?, ?, ?, ?)",
        {code, item, text, "Grupo 'A'"});
    db.execute(
        "INSERT INTO ManoObra (CodigoPres, ItemPres, DescripcionMan, CategoriaMan) VALUES (?, ?, ?, ?)",
        {code, item, "Maestro d'obra", "E'2"});
    RecordSet rs =
        db.openRecordSet("SELECT * FROM Presupuesto WHERE CodigoPres = ? and ItemPres = ? and GruposPres = ?",
                         {code, item, "grupo 'a'"});
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.text("DescripcionPres"), text);
    EXPECT_EQ(count("SELECT * FROM ManoObra WHERE DescripcionMan like ?", {"maestro d'*"}), 1);
    EXPECT_EQ(db.execute("DELETE * FROM ManoObra WHERE CategoriaMan = ?", {"E'2"}), 1);
}

TEST_F(Dialect, CaseIgnoredForAccentedLettersButAccentsCount) {
    db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres) VALUES ('Ñ', '1', 'Ñandú')");
    EXPECT_EQ(count("SELECT * FROM Presupuesto WHERE DescripcionPres = 'ñANDÚ'"), 1);
    EXPECT_EQ(count("SELECT * FROM Presupuesto WHERE DescripcionPres = ?", {"ÑANDÚ"}), 1);
    EXPECT_EQ(count("SELECT * FROM Presupuesto WHERE CodigoPres = 'ñ' and ItemPres = '1'"), 1);
    EXPECT_EQ(count("SELECT * FROM Presupuesto WHERE DescripcionPres like 'ñan*'"), 1);
    EXPECT_EQ(count("SELECT * FROM Presupuesto WHERE DescripcionPres = 'Nandu'"), 0);
    EXPECT_EQ(count("SELECT * FROM Presupuesto WHERE DescripcionPres <> 'ÑANDÚ'"), 3);
    EXPECT_EQ(count("SELECT * FROM Presupuesto WHERE DescripcionPres IN ('x', 'hormigón', 'EXCAVACIÓN')"), 2);
    // Alphabetical order keeps accented letters with their base letter and ñ after n.
    db.execute("INSERT INTO Presupuesto (DescripcionPres) VALUES ('nube')");
    db.execute("INSERT INTO Presupuesto (DescripcionPres) VALUES ('oro')");
    db.execute("INSERT INTO Presupuesto (DescripcionPres) VALUES ('Árbol')");
    EXPECT_EQ(column("SELECT DescripcionPres FROM Presupuesto ORDER BY DescripcionPres", "DescripcionPres"),
              QStringList({"Árbol", "Excavación", "Hormigón", "nube", "Ñandú", "oro", "Pintura"}));
}

TEST_F(Dialect, DisplayedNumbersIntoDoubleFields) {
    db.execute("INSERT INTO Materiales (CodigoPres, CantidadMat, PrecioUniMat) VALUES ('N', '1.234,56', ?)",
               {"1,234,567.8"});
    RecordSet rs = db.openRecordSet("SELECT * FROM Materiales WHERE CodigoPres = 'N'");
    EXPECT_DOUBLE_EQ(rs.number("CantidadMat"), 1234.56);
    EXPECT_DOUBLE_EQ(rs.number("PrecioUniMat"), 1234567.8);
    EXPECT_EQ(count("SELECT * FROM Materiales WHERE CantidadMat = ?", {"1,234.56"}), 1);
    EXPECT_EQ(count("SELECT * FROM Materiales WHERE PrecioUniMat > '1.000.000,0'"), 1);
    EXPECT_THROW(db.execute("UPDATE Materiales SET CantidadMat = 'mucho'"), StoreError);
    EXPECT_THROW(db.execute("INSERT INTO Grupos (Grupo, OrdenGru) VALUES ('G', 40000)"), StoreError);
    EXPECT_DOUBLE_EQ(
        db.openRecordSet("SELECT * FROM Materiales WHERE CodigoPres = 'N'").number("CantidadMat"), 1234.56);
}

TEST_F(Dialect, BooleansAreMinusOne) {
    db.execute("INSERT INTO Proyecto (Proyecto, IVA, Herramienta) VALUES ('P', True, ?)", {false});
    RecordSet rs = db.openRecordSet("SELECT * FROM Proyecto WHERE IVA = -1 and Herramienta = False");
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_TRUE(rs.boolean("IVA"));
    EXPECT_EQ(rs.value("IVA").typeId(), QMetaType::Bool);
    EXPECT_DOUBLE_EQ(rs.number("IVA"), -1);
    rs.edit();
    rs.setValue("Herramienta", true);
    rs.update();
    EXPECT_EQ(count("SELECT * FROM Proyecto WHERE Herramienta = -1"), 1);
    db.execute("INSERT INTO Crono (Grupo, Periodo3) VALUES ('G', 1)");
    RecordSet crono = db.openRecordSet("SELECT * FROM Crono");
    EXPECT_TRUE(crono.boolean("Periodo3"));
    EXPECT_FALSE(crono.boolean("Periodo4"));
}

TEST_F(Dialect, StatementsOutsideTheDialectAreNamed) {
    const QStringList refused{"DROP TABLE Materiales",
                              "SELECT * FROM NoTabla",
                              "SELECT * FROM Materiales WHERE",
                              "SELECT * FROM Materiales WHERE DescripcionMat = 'sin cerrar",
                              "SELECT * FROM Materiales; DELETE * FROM Materiales",
                              "PRAGMA key = 'x'",
                              "SELECT NoCampo FROM Materiales",
                              "SELECT * FROM Materiales UNION SELECT * FROM Materiales",
                              "SELECT load_extension('x') FROM Materiales",
                              "UPDATE Materiales SET NoCampo = 1",
                              "INSERT INTO Materiales (CodigoPres) VALUES ('a', 'b')",
                              "SELECT * FROM [Materiales"};
    for (const QString& sql : refused) {
        try {
            db.openRecordSet(sql);
            ADD_FAILURE() << "accepted: " << sql.toStdString();
        } catch (const StoreError& e) {
            // The statement is developer detail, kept apart from the message.
            EXPECT_EQ(e.statement().left(12), sql.left(12)) << e.message().toStdString();
            EXPECT_FALSE(e.message().contains(sql.left(12))) << e.message().toStdString();
        }
    }
    EXPECT_EQ(count("SELECT * FROM Materiales"), 5);
    EXPECT_THROW(db.openRecordSet("SELECT * FROM Materiales WHERE CodigoPres = ?"),
                 StoreError); // value missing
    EXPECT_THROW(db.execute("SELECT * FROM Materiales"), StoreError);
    EXPECT_THROW(db.openRecordSet("DELETE * FROM Materiales"), StoreError);
    EXPECT_EQ(count("SELECT * FROM Materiales"), 5);
}

TEST_F(Dialect, FurtherForms) {
    EXPECT_EQ(count("SELECT TOP 2 * FROM Materiales"), 2);
    EXPECT_EQ(count("SELECT m.DescripcionMat FROM Materiales AS m INNER JOIN Presupuesto p ON "
                    "m.ItemPres = p.ItemPres "
                    "AND m.CodigoPres = p.CodigoPres WHERE p.CantidadPres BETWEEN 1 AND 100"),
              4);
    EXPECT_EQ(count("SELECT * FROM Materiales WHERE ItemPres IN (SELECT ItemPres FROM Presupuesto "
                    "WHERE CantidadPres = 0)"),
              1);
    EXPECT_EQ(count("SELECT * FROM Presupuesto WHERE GruposPres Is Null AND NOT (CantidadPres > 5)"), 2);
    RecordSet rs =
        db.openRecordSet("SELECT DescripcionMat & ' (' & UnidadMat & ')' AS Nombre, Nz(CantidadMat, 0) AS C, "
                         "IIf(PrecioUniMat > 10, 'caro', 'barato') AS Tipo FROM Materiales ORDER BY 1");
    EXPECT_EQ(rs.text("Nombre"), "Arena (m3)");
    EXPECT_EQ(rs.text("Tipo"), "caro");
    EXPECT_EQ(
        db.openRecordSet("SELECT Count(*) AS n, Max(PrecioUniMat) AS top FROM Materiales").number("top"), 12);
    EXPECT_EQ(db.execute("INSERT INTO InfoAnalisis (CodigoPres, ItemPres, Tipo) SELECT CodigoPres, ItemPres, "
                         "4 FROM Presupuesto"),
              3);
    // A computed text column of a derived table is compared without regard to case too.
    EXPECT_EQ(
        count("SELECT u FROM [SELECT UCase(DescripcionMat) AS u FROM Materiales]. AS [x] WHERE u = 'arena'"),
        2);
}

TEST(DialectTranslation, EqualityWithAsciiValuesKeepsTheStoredIndexUsable) {
    using namespace korvex::store::dialect;
    const Translation t = translate("SELECT * FROM Materiales WHERE CodigoPres = ? and ItemPres = '1' and "
                                    "DescripcionMat = ? ORDER BY UnidadMat");
    ASSERT_EQ(t.params.size(), 3u);
    const QString ascii = t.sql({QString("A"), QString("1"), QString("Cemento")});
    EXPECT_TRUE(
        ascii.contains("WHERE ((([CodigoPres] = ?) AND ([ItemPres] = ?)) AND ([DescripcionMat] = ?))"))
        << ascii.toStdString();
    const QString accented = t.sql({QString("A"), QString("1"), QString("Ñandú")});
    EXPECT_TRUE(accented.contains("[DescripcionMat] COLLATE KNOCASE = ?")) << accented.toStdString();
    EXPECT_TRUE(accented.contains("ORDER BY [UnidadMat] COLLATE KNOCASE")) << accented.toStdString();
    EXPECT_TRUE(t.editable);
    EXPECT_EQ(t.table, "Materiales");
}

TEST(DialectLimits, NestingBeyond256LevelsIsRefusedInSpanish) {
    using korvex::store::dialect::translate;
    const auto nested = [](const QString& open, const QString& inner, const QString& close, int n) {
        return "SELECT * FROM Materiales WHERE " + open.repeated(n) + inner + close.repeated(n);
    };
    EXPECT_NO_THROW(translate(nested("(", "CantidadMat = 1", ")", 200)));
    for (const QString& statement :
         {nested("(", "CantidadMat = 1", ")", 3000), nested("NOT ", "CantidadMat = 1", "", 5000),
          nested("", "CantidadMat = 1" + QString(" + 1").repeated(20000), "", 1),
          nested("CantidadMat IN (SELECT CantidadMat FROM Materiales WHERE ", "CantidadMat = 1", ")", 300)}) {
        try {
            translate(statement);
            ADD_FAILURE() << "accepted " << statement.left(60).toStdString();
        } catch (const StoreError& e) {
            EXPECT_TRUE(e.message().contains("anida más de 256 niveles"))
                << e.message().left(200).toStdString();
        }
    }
}

} // namespace
