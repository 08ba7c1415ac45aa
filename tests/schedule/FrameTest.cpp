// The schedule windows as the frame opens them from the main window's third tab.
#include "FakeMessages.h"
#include "WindowTestSupport.h"
#include "shell/FolderLists.h"
#include "shell/frmPrincipal.h"
#include "shell/mdiPrincipal.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>

using namespace korvex;
using namespace korvex::testing;

namespace korvex {
void wireAllWindows(ui::WindowRegistry& registry);
}

TEST(ScheduleInFrame, TheThirdTabOpensEachWindowInsideTheFrame) {
    FakeMessages messages;
    ScheduleProject p;
    p.header();
    p.item("E1", "1", "Excavación", 10, "Obra", 5);
    p.group("Obra", "Obra gruesa", 1);

    ui::WindowRegistry registry;
    wireAllWindows(registry);
    auto frame = std::make_unique<shell::mdiPrincipal>(p.root.root(), registry);
    frame->resize(1100, 700);
    showActive(frame.get());
    ASSERT_TRUE(frame->principal()->folderList()->setPath(p.folder));
    frame->principal()->openSelectedFolder();
    ASSERT_FALSE(frame->principal()->modoAbrir());
    frame->principal()->layOutTab(3);

    const QSize room = frame->mdiArea()->viewport()->size();
    for (const auto& [button, window] : {std::pair{"cmdGrupos", "frmGrupos"},
                                         {"cmdDescripcion", "frmGruposDesc"},
                                         {"cmdCrono", "frmCronograma"},
                                         {"cmdCrono2", "frmCronograma2"}}) {
        frame->principal()->runTabButton(button);
        QWidget* opened = registry.findWindow(window);
        ASSERT_NE(opened, nullptr) << window;
        auto* sub = qobject_cast<QMdiSubWindow*>(opened->parentWidget());
        ASSERT_NE(sub, nullptr) << window;
        EXPECT_LE(sub->width(), room.width()) << window;
        EXPECT_LE(sub->height(), room.height()) << window;
    }
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    screenshot(frame.get(), "frame.png");
    registry.closeAll();
    frame.reset();
    registry.clear();
}
