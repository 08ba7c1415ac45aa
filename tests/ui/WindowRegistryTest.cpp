#include "ui/WindowRegistry.h"

#include "FakeMessages.h"
#include "ui/Messages.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace korvex::ui;

namespace {

class ReopenLabel : public QLabel, public ReopenableWindow {
public:
    explicit ReopenLabel(const WindowContext& context) {
        setText(context.arguments.value("txtItem").toString());
    }
    void reopen(const WindowContext& context) override {
        setText(context.arguments.value("txtItem").toString());
    }
};

struct RegistryTest : ::testing::Test {
    WindowRegistry registry;
    ~RegistryTest() override { registry.clear(); }
};

} // namespace

TEST_F(RegistryTest, OpensOneCopyAndBringsItBackToTheFront) {
    int made = 0;
    QString folderSeen;
    registry.registerWindow("frmGrupos", [&](const WindowContext& context) {
        ++made;
        folderSeen = context.projectFolder;
        return new QLabel("grupos");
    });
    QList<QWidget*> shown;
    QList<QWidget*> raised;
    registry.setHost([&](QWidget* w) { shown.append(w); }, [&](QWidget* w) { raised.append(w); });

    EXPECT_TRUE(registry.hasWindow("frmGrupos"));
    EXPECT_EQ(registry.openWindow("frmNoExiste", {}), nullptr);
    QWidget* first = registry.openWindow("frmGrupos", {"/p/Obra", "/p", nullptr, {}});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->objectName(), "frmGrupos");
    EXPECT_TRUE(first->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(folderSeen, "/p/Obra");
    EXPECT_EQ(registry.openWindow("frmGrupos", {}), first);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(shown, QList<QWidget*>{first});
    EXPECT_EQ(raised, QList<QWidget*>{first});
    EXPECT_EQ(registry.findWindow("frmGrupos"), first);

    delete first; // closed by the user
    EXPECT_EQ(registry.findWindow("frmGrupos"), nullptr);
    QWidget* second = registry.openWindow("frmGrupos", {});
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(made, 2);
    registry.closeAll();
}

TEST_F(RegistryTest, ReopenHandsNewArgumentsAndRefusalsOpenNothing) {
    registry.registerWindow("frmMateriales", [](const WindowContext& c) { return new ReopenLabel(c); });
    registry.registerWindow("frmRehusa", [](const WindowContext&) { return nullptr; });
    registry.setHost([](QWidget*) {}, [](QWidget*) {});
    WindowContext context;
    context.arguments = {{"txtItem", "1.01"}};
    auto* window = static_cast<QLabel*>(registry.openWindow("frmMateriales", context));
    EXPECT_EQ(window->text(), "1.01");
    context.arguments = {{"txtItem", "2.03"}};
    EXPECT_EQ(registry.openWindow("frmMateriales", context), window);
    EXPECT_EQ(window->text(), "2.03");
    EXPECT_EQ(registry.openWindow("frmRehusa", {}), nullptr);
    EXPECT_EQ(registry.findWindow("frmRehusa"), nullptr);
}

TEST_F(RegistryTest, ButtonsRunTheirActionOnlyWhenRegistered) {
    QString ran;
    registry.registerButton("cmdCalculo", [&](const WindowContext& c) { ran = c.projectFolder; });
    EXPECT_TRUE(registry.triggerButton("cmdCalculo", {"/p/Obra", "/p", nullptr, {}}));
    EXPECT_EQ(ran, "/p/Obra");
    EXPECT_FALSE(registry.triggerButton("cmdMaterial", {}));
}

TEST(Messages, EveryBoxGoesThroughTheInstalledServiceWithItsTitle) {
    korvex::testing::FakeMessages fake;
    messages::error(nullptr, "La Carpeta seleccionada NO contiene ningun proyecto");
    messages::warning(nullptr, "Debe escribir un NOMBRE para el PROYECTO");
    messages::failure(nullptr, "Acceso denegado");
    fake.answer(MessageAnswer::No);
    EXPECT_FALSE(messages::confirm(nullptr, "¿Borrar?"));
    EXPECT_TRUE(messages::confirmExit(nullptr));
    ASSERT_EQ(fake.count(), 5);
    EXPECT_EQ(fake.shown().at(0).title, "Error");
    EXPECT_EQ(fake.shown().at(1).title, "Advertencia");
    EXPECT_EQ(fake.shown().at(2).title, "Korvex");
    EXPECT_EQ(fake.shown().at(3).title, "Confirmacion");
    EXPECT_EQ(fake.shown().at(3).buttons, MessageButtons::YesNo);
    EXPECT_EQ(fake.lastTitle(), "Salir...?");
    EXPECT_EQ(fake.lastText(), "En Realidad Desea Salir de Korvex...?");
}
