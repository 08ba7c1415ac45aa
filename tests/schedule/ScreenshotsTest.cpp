// Pictures of the windows on the sample project, for looking at them as a user would:
// KORVEX_SCREENSHOT_DIR=docs/screenshots xvfb-run -a test_schedule_gui --gtest_filter='Screenshots*'
#include "FakeMessages.h"
#include "WindowTestSupport.h"
#include "engine/Demo.h"
#include "schedule/GroupSchedule.h"
#include "schedule/ItemSchedule.h"
#include "schedule/frmCronograma.h"
#include "schedule/frmCronograma2.h"
#include "schedule/frmGrupos.h"
#include "schedule/frmGruposDesc.h"

#include <QPushButton>
#include <QScrollBar>
#include <memory>

using namespace korvex;
using namespace korvex::testing;

namespace {

// A plausible schedule: each group spread over consecutive periods.
void planGroups(ScheduleProject& p) {
    schedule::Cronograma crono = schedule::CargarCronograma(p.db);
    crono.periodoTipo = "Mensual";
    const QList<QList<std::pair<QString, int>>> plans = {
        {{"100", 2}},
        {{"60", 4}, {"40", 2}},
        {{"", 0}, {"25", 3}, {"35", 4}, {"40", 4}},
        {{"", 0}, {"", 0}, {"", 0}, {"30", 2}, {"40", 4}, {"30", 4}},
        {{"", 0}, {"", 0}, {"", 0}, {"", 0}, {"50", 2}, {"50", 3}},
        {{"", 0}, {"", 0}, {"", 0}, {"", 0}, {"", 0}, {"", 0}, {"100", 3}},
    };
    for (int g = 0; g < int(crono.grupos.size()) && g < plans.size(); ++g) {
        for (int period = 0; period < plans[g].size(); ++period) {
            crono.grupos[g].porcentajes[period] = plans[g][period].first;
            crono.grupos[g].semanas[period] = plans[g][period].second;
        }
    }
    ASSERT_TRUE(schedule::GrabarCronograma(p.db, crono).ok);
}

void planItems(ScheduleProject& p) {
    schedule::CronoItems crono = schedule::CargarCronoItems(p.db);
    for (int i = 0; i < int(crono.items.size()); ++i) {
        schedule::ItemCrono& item = crono.items[i];
        const int first = std::min(i / 3, schedule::kColumnasDias - 1);
        const double half = engine::Redondear(item.cantidad / 2, 2);
        item.cantidades[first] = half;
        if (first + 1 < schedule::kColumnasDias)
            item.cantidades[first + 1] = i % 4 == 0 ? half + 1 : item.cantidad - half; // some over-scheduled
    }
    crono.items[1].cantidades[1].reset(); // one still pending
    ASSERT_TRUE(schedule::GrabarCronoValores(p.db, crono).ok);
}

} // namespace

TEST(Screenshots, ScheduleWindowsOnTheSampleProject) {
    if (qEnvironmentVariableIsEmpty("KORVEX_SCREENSHOT_DIR"))
        GTEST_SKIP() << "KORVEX_SCREENSHOT_DIR not set";
    FakeMessages messages;
    ScheduleProject p;
    engine::LlenarProyectoEjemplo(p.folder);
    planGroups(p);
    planItems(p);

    {
        auto window = std::make_unique<schedule::frmGrupos>(contextFor(p));
        showActive(window.get());
        screenshot(window.get(), "frmGrupos.png");
    }
    {
        auto window = std::make_unique<schedule::frmGruposDesc>(contextFor(p));
        showActive(window.get());
        screenshot(window.get(), "frmGruposDesc.png");
    }
    {
        auto window = std::make_unique<schedule::frmCronograma>(contextFor(p));
        showActive(window.get());
        ASSERT_TRUE(window->ValidarPorcentajes()) << messages.lastText().toStdString();
        gridOf(window.get(), "msfgCrono")->setCell(6, 3);
        gridOf(window.get(), "msfgCrono")->setFocus(); // as the frame opens it
        screenshot(window.get(), "frmCronograma.png");
    }
    {
        auto window = std::make_unique<schedule::frmCronograma2>(contextFor(p));
        showActive(window.get());
        window->CalcularTotales();
        // Narrower than its columns and scrolled to the right: the totals follow the days above.
        window->resize(1100, window->height());
        QApplication::processEvents();
        ui::Grid* grid = gridOf(window.get(), "msfgCrono");
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
        screenshot(window.get(), "frmCronograma2.png");
    }
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
}
