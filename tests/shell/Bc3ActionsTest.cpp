#include "shell/Bc3Actions.h"

#include "FakeMessages.h"
#include "TestProject.h"
#include "engine/Demo.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>

namespace korvex {
void wiring_bc3(ui::WindowRegistry& registry);
}

using namespace korvex;

namespace {

struct ChooserGuard {
    ~ChooserGuard() { shell::setBc3FileChooser(nullptr); }
};

int items(const korvex::testing::TempRoot& root, const QString& folder) {
    auto db = root.open(folder);
    return db.openRecordSet("SELECT * FROM Presupuesto").recordCount();
}

} // namespace

TEST(Bc3Actions, ArchivoMenuImportsAndExportsThroughTheChosenFile) {
    korvex::testing::TempRoot root;
    korvex::testing::FakeMessages messages;
    ChooserGuard guard;
    ui::WindowRegistry registry;
    wiring_bc3(registry);
    const QList<ui::WindowRegistry::MenuAction> actions = registry.menuActions("Archivo");
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0].objectName + " " + actions[0].text, "actImportarBC3 Importar BC3...");
    EXPECT_EQ(actions[1].objectName + " " + actions[1].text, "actExportarBC3 Exportar BC3...");

    // Without a project open, both refuse before asking for a file.
    int asked = 0;
    QString chosen;
    shell::setBc3FileChooser([&](QWidget*, bool, const QString&) {
        ++asked;
        return chosen;
    });
    actions[0].action(ui::WindowContext{});
    actions[1].action(ui::WindowContext{});
    EXPECT_EQ(asked, 0);
    ASSERT_EQ(messages.count(), 2);
    EXPECT_EQ(messages.lastText(), shell::kSinProyectoAbierto);

    // Export the sample project, import it into an empty one.
    const QString sample = root.newProject("Ejemplo");
    engine::LlenarProyectoEjemplo(sample);
    chosen = QDir(root.root()).filePath("ejemplo"); // the extension is added
    actions[1].action(ui::WindowContext{sample, root.root(), nullptr, {}});
    ASSERT_TRUE(QFile::exists(chosen + ".bc3"));
    chosen += ".bc3";
    const QString target = root.newProject("Destino");
    const auto import = [&] { actions[0].action(ui::WindowContext{target, root.root(), nullptr, {}}); };
    messages.clear();
    import();
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastTitle(), "Importar BC3");
    EXPECT_TRUE(messages.lastText().startsWith("Rubros creados: 15\n")) << messages.lastText().toStdString();

    // Importing again asks before replacing; No keeps the items.
    {
        auto db = root.open(target);
        db.execute("DELETE * FROM Presupuesto WHERE ItemPres = ?", {"1.01"});
    }
    messages.clear();
    messages.answer(ui::MessageAnswer::No);
    import();
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(items(root, target), 14);
    messages.clear();
    messages.answer(ui::MessageAnswer::Yes);
    import();
    EXPECT_EQ(messages.count(), 2);
    EXPECT_EQ(items(root, target), 15);

    // A window open on the project would overwrite the import: refused.
    registry.registerWindow("frmDatosPresupuesto", [](const ui::WindowContext&) { return new QWidget; });
    registry.openWindow("frmDatosPresupuesto", ui::WindowContext{target, root.root(), nullptr, {}});
    messages.clear();
    asked = 0;
    import();
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(messages.lastText(), shell::kVentanasAbiertas);
    ASSERT_TRUE(registry.closeWindow("frmDatosPresupuesto"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A malformed file is refused with its record and changes nothing.
    QFile bad(QDir(root.root()).filePath("malo.bc3"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("~V||FIEBDC-3/2004|\n~C|A|u|A|x||0|\n");
    bad.close();
    chosen = bad.fileName();
    messages.clear();
    import();
    EXPECT_EQ(messages.lastTitle(), "Error");
    EXPECT_EQ(messages.lastText(), "Registro 2 (~C) del archivo BC3: El precio «x» no es un número");
    EXPECT_EQ(items(root, target), 15);
}
