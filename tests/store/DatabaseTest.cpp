// Handles, record sets, transactions and the file checks of project databases.
#include "store/Database.h"

#include "TestProject.h"
#include "store/LoadedRows.h"
#include "store/ProjectFolders.h"
#include "store/ValuePool.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using korvex::store::Database;
using korvex::store::RecordSet;
using korvex::store::StoreError;
using korvex::store::Transaction;
using korvex::testing::FailureGuard;
using korvex::testing::TempRoot;

namespace {

int count(Database& db, const QString& table) {
    return db.openRecordSet("SELECT * FROM " + table).recordCount();
}

QString openError(const QString& path, const QString& connect = korvex::store::kConnectString) {
    try {
        Database::open(path, connect);
    } catch (const StoreError& e) {
        return e.message();
    }
    return {};
}

TEST(Database, HandlesOnOneFileSeeEachOtherAndShareTransactions) {
    TempRoot root;
    const QString folder = root.newProject();
    Database window = root.open(folder);
    Database engine = Database::open(korvex::store::projectDatabasePath(folder));
    window.execute("INSERT INTO Grupos (Grupo) VALUES ('G1')");
    EXPECT_EQ(count(engine, "Grupos"), 1);

    {
        Transaction save(window);
        engine.execute("INSERT INTO Grupos (Grupo) VALUES ('G2')");
        {
            Transaction inner(engine);
            window.execute("INSERT INTO Grupos (Grupo) VALUES ('G3')");
            inner.commit();
        }
        EXPECT_EQ(count(window, "Grupos"), 3);
        // no commit: everything done through both handles is undone
    }
    EXPECT_EQ(count(engine, "Grupos"), 1);

    {
        Transaction save(engine);
        window.execute("INSERT INTO Grupos (Grupo) VALUES ('G4')");
        {
            Transaction inner(window);
            window.execute("INSERT INTO Grupos (Grupo) VALUES ('G5')");
            inner.rollback();
        }
        save.commit();
    }
    EXPECT_EQ(count(window, "Grupos"), 2);
    window.close();
    EXPECT_FALSE(window.isOpen());
    EXPECT_THROW(window.execute("DELETE * FROM Grupos"), StoreError);
    EXPECT_EQ(count(engine, "Grupos"), 2);
}

TEST(Database, InjectedFailureLeavesTheDataAsTheyWere) {
    FailureGuard guard;
    TempRoot root;
    Database db = root.open(root.newProject());
    db.execute("INSERT INTO Grupos (Grupo) VALUES ('antes')");
    korvex::store::testing::failAfterWrites(2);
    try {
        Transaction save(db);
        db.execute("DELETE * FROM Grupos");
        RecordSet rs = db.openRecordSet("SELECT * FROM Grupos");
        rs.addNew();
        rs.setValue("Grupo", "nuevo 1");
        rs.update();
        rs.addNew();
        rs.setValue("Grupo", "nuevo 2");
        rs.update(); // third write: fails
        save.commit();
        FAIL() << "the injected failure did not happen";
    } catch (const StoreError&) {
    }
    RecordSet after = db.openRecordSet("SELECT * FROM Grupos");
    ASSERT_EQ(after.recordCount(), 1);
    EXPECT_EQ(after.text("Grupo"), "antes");
    db.execute("DELETE * FROM Grupos"); // the failure fires once
    EXPECT_EQ(count(db, "Grupos"), 0);
}

TEST(Database, RecordSetsAddEditAndKeepTheirSnapshot) {
    TempRoot root;
    Database db = root.open(root.newProject());
    RecordSet items = db.openRecordSet("SELECT * FROM Presupuesto");
    EXPECT_TRUE(items.eof());
    EXPECT_EQ(items.recordCount(), 0);
    for (const char* code : {"A", "B", "C"}) {
        items.addNew();
        items.setValue("codigopres", code);
        items.setValue("CantidadPres", "1,5");
        items.update();
    }
    EXPECT_EQ(items.value("Indice").toInt(), 3); // the written record shows its stored values
    EXPECT_DOUBLE_EQ(items.number("CantidadPres"), 1.5);
    EXPECT_TRUE(items.isNull("GruposPres"));
    EXPECT_EQ(items.text("GruposPres"), "");
    EXPECT_THROW(items.setValue("Indice", 7), StoreError);
    EXPECT_THROW(items.value("NoCampo"), StoreError);

    RecordSet ordered = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    QStringList codes;
    for (; !ordered.eof(); ordered.moveNext())
        codes << ordered.text("CodigoPres") + ordered.text("Indice");
    EXPECT_EQ(codes, QStringList({"A1", "B2", "C3"}));
    EXPECT_THROW(ordered.value("CodigoPres"), StoreError); // past the end
    ordered.moveFirst();
    ordered.moveNext();
    ordered.edit();
    ordered.setValue("GruposPres", "Obra gris");
    EXPECT_EQ(ordered.text("GruposPres"), "Obra gris");
    ordered.update();
    db.execute("DELETE * FROM Presupuesto WHERE CodigoPres = 'C'");
    EXPECT_EQ(ordered.recordCount(), 3); // a snapshot
    ordered.moveNext();
    ordered.edit();
    ordered.setValue("GruposPres", "x");
    EXPECT_THROW(ordered.update(), StoreError); // its record was deleted meanwhile
    EXPECT_EQ(db.openRecordSet("SELECT GruposPres FROM Presupuesto WHERE Indice = 2").text("gruposPRES"),
              "Obra gris");

    // A field list of one table is editable too; grouped and distinct queries are not.
    RecordSet prices = db.openRecordSet("SELECT TotalPres FROM Presupuesto WHERE CodigoPres = 'a'");
    prices.edit();
    prices.setValue("TotalPres", 12.25);
    prices.update();
    EXPECT_DOUBLE_EQ(db.openRecordSet("SELECT * FROM Presupuesto WHERE Indice = 1").number("TotalPres"),
                     12.25);
    // The record shows what the file holds after a write, whether the number was kept or read back.
    for (const QVariant& written : {QVariant(0.1 + 0.2), QVariant(-0.0), QVariant("2,5"), QVariant(7)}) {
        prices.edit();
        prices.setValue("TotalPres", written);
        prices.update();
        const QVariant stored =
            db.openRecordSet("SELECT TotalPres FROM Presupuesto WHERE Indice = 1").value("TotalPres");
        EXPECT_EQ(prices.value("totalpres"), stored) << written.toString().toStdString();
        EXPECT_EQ(std::signbit(prices.number("TotalPres")), std::signbit(stored.toDouble()));
    }
    RecordSet groups = db.openRecordSet("SELECT DISTINCT GruposPres FROM Presupuesto");
    EXPECT_THROW(groups.addNew(), StoreError);
    EXPECT_THROW(items.update(), StoreError); // no addNew / edit pending
    items.close();
    EXPECT_TRUE(items.eof());
    EXPECT_THROW(items.value("Indice"), StoreError);

    // Counter values keep increasing after the table is emptied.
    db.execute("DELETE * FROM Presupuesto");
    db.execute("INSERT INTO Presupuesto (CodigoPres) VALUES ('D')");
    EXPECT_EQ(db.openRecordSet("SELECT Indice FROM Presupuesto").value("Indice").toInt(), 4);
}

TEST(Database, RecordsWithoutOrderComeInStoredOrder) {
    TempRoot root;
    Database db = root.open(root.newProject());
    Transaction t(db);
    for (int i = 0; i < 30; ++i)
        db.execute("INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat) VALUES ('A', ?, ?)",
                   {QString::number(29 - i), QString::number(i)});
    t.commit();
    RecordSet rs = db.openRecordSet("SELECT * FROM Materiales WHERE CodigoPres = 'A'");
    for (int i = 0; !rs.eof(); rs.moveNext(), ++i)
        EXPECT_EQ(rs.text("DescripcionMat"), QString::number(i));
}

TEST(Database, UnreadableFilesGiveClearErrors) {
    TempRoot root;
    const QString folder = root.newProject();
    const QString path = korvex::store::projectDatabasePath(folder);

    EXPECT_TRUE(openError(folder + "/otro.mdb").startsWith("No se encuentra la base de datos"));
    EXPECT_TRUE(openError(folder).startsWith("No se encuentra la base de datos")); // a folder
    // The key is fixed: a file it cannot read is damaged or foreign, never "a wrong password".
    EXPECT_TRUE(openError(path, ";pwd=1234").contains("no es un proyecto"));
    EXPECT_TRUE(openError(path, "").contains("no es un proyecto"));

    QFile text(folder + "/texto.mdb");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(5000, 'x'));
    text.close();
    EXPECT_TRUE(openError(text.fileName()).endsWith("texto.mdb está dañado o no es un proyecto"));
    QFile empty(folder + "/vacio.mdb");
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_FALSE(openError(empty.fileName()).isEmpty());
}

TEST(Database, AFileReplacedOnDiskIsOpenedAfresh) {
    TempRoot root;
    const QString folder = root.newProject("Obra");
    Database db = root.open(folder);
    db.execute("INSERT INTO Grupos (Grupo) VALUES ('viejo')");
    db.close();
    ASSERT_TRUE(korvex::store::deleteProject(folder, root.root()).ok);
    root.newProject("Obra");
    Database again = root.open(folder);
    EXPECT_EQ(count(again, "Grupos"), 0);
}

TEST(Database, ManyFilesOpenInTurn) {
    TempRoot root;
    QStringList folders;
    for (int i = 0; i < 12; ++i) {
        folders << root.newProject(QString("P%1").arg(i));
        Database db = root.open(folders.last());
        db.execute("INSERT INTO Grupos (Grupo) VALUES (?)", {QString::number(i)});
    }
    for (int i = 0; i < 12; ++i) {
        Database db = root.open(folders[i]);
        EXPECT_EQ(db.openRecordSet("SELECT Grupo FROM Grupos").text("Grupo"), QString::number(i));
    }
}

TEST(Database, ReadNumberText) {
    using korvex::store::readNumberText;
    EXPECT_DOUBLE_EQ(*readNumberText("1.234,56"), 1234.56);
    EXPECT_DOUBLE_EQ(*readNumberText("1,234.56"), 1234.56);
    EXPECT_DOUBLE_EQ(*readNumberText("12,5"), 12.5);
    EXPECT_DOUBLE_EQ(*readNumberText("1.234.567"), 1234.567);
    EXPECT_DOUBLE_EQ(*readNumberText("1,234,567.8"), 1234567.8);
    EXPECT_DOUBLE_EQ(*readNumberText(" -3,5 "), -3.5);
    EXPECT_DOUBLE_EQ(*readNumberText("0"), 0);
    EXPECT_DOUBLE_EQ(*readNumberText("+.5"), 0.5);
    for (const char* bad : {"", "  ", "abc", "1e5", "1 2", "--1", ",", "-", "12a"})
        EXPECT_FALSE(readNumberText(bad).has_value()) << bad;
}

} // namespace

// Rows kept as loaded are found however they were ordered, and a check tells exactly the rows
// changed, added or deleted meanwhile within its scope.
TEST(Database, LoadedRowsTellWhatChangedMeanwhile) {
    using korvex::store::LoadedRows;
    using korvex::store::StaleDataError;
    TempRoot root;
    const QString folder = root.newProject();
    Database db = root.open(folder);
    for (const char* description : {"Arena", "Cemento", "Ñandú", "Bloque"})
        db.execute("INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, PrecioUniMat) "
                   "VALUES ('A', '1', ?, 'm3', 10)",
                   {QString::fromUtf8(description)});
    db.execute("INSERT INTO Materiales (CodigoPres, ItemPres, UnidadMat) VALUES ('A', '1', 'u')");
    const QStringList fields{"DescripcionMat", "UnidadMat", "PrecioUniMat"};
    const auto byName = [](const QVariantList& values) { return values.value(0).toString(); };
    const auto onlyCement = [](const QVariantList& values) { return values.value(0) == "Cemento"; };
    const auto message = [&](const std::function<void()>& check) {
        try {
            check();
        } catch (const StaleDataError& e) {
            return e.message();
        }
        return QString();
    };

    // Out of stored order, so rows are not found by bisection.
    const LoadedRows loaded =
        LoadedRows::read(db, "Materiales", fields, {}, {}, "DescripcionMat DESC, rowid");
    ASSERT_EQ(loaded.size(), 5);
    for (const qint64 row : loaded.rows())
        EXPECT_EQ(loaded.values(row).value(0), loaded.value(row, 0));
    EXPECT_EQ(loaded.value(loaded.rows().first(), 0).toString(), QString::fromUtf8("Ñandú"));
    EXPECT_TRUE(loaded.value(loaded.rows().last(), 0).isNull());
    EXPECT_FALSE(loaded.contains(999));
    EXPECT_TRUE(loaded.values(999).isEmpty());
    EXPECT_EQ(message([&] { loaded.check(db, {}, byName); }), QString());

    Database other = root.open(folder);
    other.execute("UPDATE Materiales SET DescripcionMat = 'Ñandu' WHERE DescripcionMat = 'Ñandú'");
    EXPECT_TRUE(
        message([&] { loaded.check(db, {}, byName); }).startsWith(QString::fromUtf8("Ñandú cambiaron")));
    EXPECT_EQ(message([&] { loaded.check(db, onlyCement, byName); }), QString());
    const qint64 cement = *std::find_if(loaded.rows().begin(), loaded.rows().end(),
                                        [&](qint64 row) { return loaded.value(row, 0) == "Cemento"; });
    EXPECT_EQ(message([&] { loaded.checkWritten(db, {cement}, byName); }), QString());
    other.execute("INSERT INTO Materiales (DescripcionMat, PrecioUniMat) VALUES ('Cemento', 11)");
    EXPECT_TRUE(message([&] { loaded.check(db, onlyCement, byName); }).startsWith("Cemento cambiaron"));
    other.execute("DELETE * FROM Materiales WHERE PrecioUniMat = 11");
    other.execute("UPDATE Materiales SET PrecioUniMat = 12 WHERE DescripcionMat = 'Cemento'");
    EXPECT_TRUE(message([&] { loaded.checkWritten(db, {cement}, byName); }).startsWith("Cemento cambiaron"));
    other.execute("DELETE * FROM Materiales WHERE DescripcionMat = 'Arena'");
    EXPECT_TRUE(message([&] { loaded.checkWritten(db, {}, byName); }).startsWith("Arena cambiaron"));
}

// A pool gives equal values one number and one shared string, and keeps apart values the
// database keeps apart.
TEST(Database, ValuePoolSharesEqualValues) {
    TempRoot root;
    Database db = root.open(root.newProject());
    db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres) VALUES ('5', '1', 'Muro')");
    db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres) VALUES ('5', '2', 'muro')");
    db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres) VALUES ('5', '3')");
    korvex::store::ValuePool pool;
    std::vector<std::vector<int>> ids;
    db.scan("SELECT CodigoPres, DescripcionPres FROM Presupuesto", {}, [&](const auto& row) {
        ids.push_back({pool.id(row, 0), pool.id(row, 1)});
        EXPECT_TRUE(row.equals(1, row.value(1)));
        EXPECT_EQ(row.equals(1, "Muro"), row.value(1) == "Muro");
        EXPECT_EQ(row.equals(1, QVariant()), row.isNull(1));
    });
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids[0][0], ids[2][0]);
    EXPECT_NE(ids[0][1], ids[1][1]); // letter case counts: these are the stored values
    EXPECT_EQ(ids[2][1], 0);         // Null
    EXPECT_EQ(pool.value(ids[0][0]).toString().constData(), pool.value(ids[1][0]).toString().constData());
    EXPECT_EQ(pool.value(ids[0][1]), "Muro");
    EXPECT_EQ(pool.idOfText("5"), ids[0][0]);
}
