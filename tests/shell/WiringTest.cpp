// The main window with the program's own wiring: every tab button of every tab pressed on the
// sample project, and again on a project whose database will not open.
#include "ShellFixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>

using namespace korvex;

namespace {

struct Pressed {
    QStringList unavailable; // buttons that said "Disponible próximamente" (no window registered)
    QStringList modals;      // modal dialogs they opened (closed at once)
    QStringList missingWindows;
};

// Presses every enabled button of tabs 1 to 6, closing any modal dialog a button opens.
Pressed pressEveryButton(shell::frmPrincipal& principal, ui::WindowRegistry& registry) {
    Pressed pressed;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&pressed] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            pressed.modals.append(modal->objectName());
            modal->close();
        }
    });
    closer.start();
    auto* status = principal.findChild<QLabel*>("lblEstado");
    for (int tab = 1; tab <= 6; ++tab) {
        principal.layOutTab(tab);
        for (const shell::TabButtonSpec& button : shell::frmPrincipal::tabButtonSpecs()) {
            QPushButton* control = principal.tabButton(button.name);
            if (button.tab != tab || !control->isEnabled())
                continue;
            status->clear();
            QTest::mouseClick(control, Qt::LeftButton);
            QApplication::processEvents();
            if (status->text() == shell::frmPrincipal::kNotYetAvailable)
                pressed.unavailable.append(button.name);
            const bool registered = button.window && registry.hasWindow(button.window);
            if (registered && QString(button.window) != "frmSeleccionarDir" &&
                !registry.findWindow(button.window))
                pressed.missingWindows.append(button.name);
            if (status->text() == shell::frmPrincipal::kNotYetAvailable && (registered || !button.window))
                pressed.missingWindows.append(button.name);
        }
    }
    return pressed;
}

} // namespace

using Wiring = korvex::testing::SampleFrameTest;

TEST_F(Wiring, EveryButtonOpensItsWindowOnTheSampleAndADamagedDatabaseOnlyGivesMessages) {
    shell::frmPrincipal* principal = frame->principal();
    const Pressed onSample = pressEveryButton(*principal, registry);
    // Every button opens its window (or runs its action); none says the window is not there yet.
    EXPECT_TRUE(onSample.missingWindows.isEmpty()) << onSample.missingWindows.join(' ').toStdString();
    EXPECT_TRUE(onSample.unavailable.isEmpty()) << onSample.unavailable.join(' ').toStdString();
    EXPECT_EQ(onSample.modals, QStringList({"frmSeleccionarDir", "frmSeleccionarDir"}));
    QStringList errors;
    for (const auto& shown : messages.shown())
        errors.append(shown.title + ": " + shown.text);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    // Every window opened inside the frame, one copy each.
    QStringList inside;
    for (QMdiSubWindow* sub : frame->mdiArea()->subWindowList())
        inside.append(sub->widget()->objectName());
    EXPECT_EQ(inside.removeDuplicates(), 0);
    EXPECT_GE(inside.size(), 17); // the main window, 15 editors and the report preview
    registry.closeAll();
    QApplication::processEvents();
    principal->closeProject();

    // A project folder whose database is no database: the buttons say so and the program goes on.
    const QString damaged = QDir(temp.root()).filePath("Dañado");
    QDir().mkpath(damaged);
    QFile file(QDir(damaged).filePath("Presupuesto.mdb"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    messages.clear();
    ASSERT_TRUE(principal->folderList()->setPath(damaged));
    principal->openSelectedFolder();
    ASSERT_FALSE(principal->modoAbrir());
    pressEveryButton(*principal, registry);
    EXPECT_GE(messages.count(), 10);
    // Saving in every window left open writes nothing over the broken file.
    for (QMdiSubWindow* sub : frame->mdiArea()->subWindowList())
        for (QPushButton* save : sub->widget()->findChildren<QPushButton*>("cmdGrabar"))
            if (save->isEnabled())
                QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray(4096, 'x'));
    EXPECT_TRUE(frame->isVisible());
}
