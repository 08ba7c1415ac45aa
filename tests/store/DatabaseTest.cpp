#include "TestProject.h"

#include "store/Database.h"

#include <gtest/gtest.h>

using korvex::store::Database;
using korvex::testing::TempRoot;

TEST(Smoke, InsertAndRead)
{
    TempRoot root;
    Database db = root.open(root.newProject("Obra"));
    EXPECT_EQ(db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, CantidadPres) VALUES ('A', '1', '1,234.50')"), 1);
    auto rs = db.openRecordSet("SELECT * FROM presupuesto WHERE codigopres = 'a'");
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_DOUBLE_EQ(rs.number("CantidadPres"), 1234.5);
    EXPECT_EQ(rs.value("Indice").toInt(), 1);
}
