#pragma once
// The sample project with a group schedule and formula symbols, the batch commands run on it, and
// its workbook read back with the program's own reader.

#include "CommandRun.h"
#include "TestProject.h"
#include "engine/Demo.h"
#include "exchange/SpreadsheetFile.h"

#include <QFile>
#include <gtest/gtest.h>

namespace korvex::testing {

class SampleProject : public ::testing::Test {
protected:
    void SetUp() override {
        const engine::ResultadoDemo made = engine::CrearProyectoEjemplo(root.root());
        ASSERT_TRUE(made.ok) << made.message.toStdString();
        folder = made.folder;
        store::Database db = root.open(folder);
        for (const auto& [group, period, percent] : std::vector<std::tuple<QString, int, double>>{
                 {"PRELIMINARES", 1, 100}, {"ESTRUCTURA", 1, 40}, {"ESTRUCTURA", 2, 60}})
            db.execute("INSERT INTO DetalleGrupo (Grupo, PeriodoGru, SemanasGru, PorcentajeGru, OrdenGru) "
                       "VALUES (?, ?, 2, ?, 1)",
                       {group, period, percent});
        for (const auto& [symbol, description, unit, percent] :
             std::vector<std::tuple<QString, QString, QString, double>>{
                 {"C", "Cemento Portland tipo I (saco 50 kg)", "saco", 30},
                 {"H", "Varilla corrugada fy = 4200 kg/cm2", "kg", 25}})
            db.execute("INSERT INTO SimbolosMat (Simbolo, DescripcionMat, UnidadMat, PorcentajeSimb) "
                       "VALUES (?, ?, ?, ?)",
                       {symbol, description, unit, percent});
    }

    CommandRun run(const QStringList& args) { return runCommand(QStringList{"--root", root.root()} + args); }

    // The command's output as lines of tab-separated cells.
    QList<QStringList> lines(const QStringList& args) {
        const CommandRun r = run(args);
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        QList<QStringList> out;
        for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts))
            out.append(line.split('\t'));
        return out;
    }

    exchange::Table sheet(const QString& path, const QString& name) {
        const exchange::ReadOutcome read = exchange::readSpreadsheetFile(path, name);
        EXPECT_TRUE(read.ok) << read.message.toStdString();
        return read.table;
    }

    // Every price of every line, to see that nothing changed.
    QStringList storedPrices() {
        store::Database db = root.open(folder);
        QStringList out;
        for (const auto& [table, desc, price] : std::vector<std::tuple<QString, QString, QString>>{
                 {"Materiales", "DescripcionMat", "PrecioUniMat"},
                 {"Maquinaria", "DescripcionMaq", "CostoMaq"},
                 {"ManoObra", "DescripcionMan", "SalarioMan"},
                 {"Transporte", "DescripcionTran", "PrecioTran"}}) {
            for (store::RecordSet rs = db.openRecordSet("SELECT * FROM " + table); !rs.eof(); rs.moveNext())
                out.append(table + ":" + rs.value(desc).toString() + "=" +
                           QString::number(rs.value(price).toDouble(), 'g', 12));
        }
        return out;
    }

    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = root.root() + "/" + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    TempRoot root;
    QString folder;
};

} // namespace korvex::testing
