// The report buttons of the printing tabs (4 to 6), the group buttons that show and hide their
// format and period buttons, and the report preview.
#include "reports/ReportButtons.h"
#include "reports/frmVistaPrevia.h"
#include "ui/MainWindowControls.h"
#include "ui/WindowRegistry.h"

namespace korvex {

void wiring_reports(ui::WindowRegistry& registry) {
    registry.registerWindow(
        QString::fromLatin1(reports::frmVistaPrevia::kWindowName),
        [](const ui::WindowContext& context) { return new reports::frmVistaPrevia(context); });
    for (const reports::ReportButton& button : reports::reportButtons()) {
        registry.registerButton(button.button, [&button](const ui::WindowContext& context) {
            reports::showReport(button, context);
        });
    }
    for (const reports::FormatGroup& group : reports::formatGroups()) {
        registry.registerButton(group.button, [&group](const ui::WindowContext& context) {
            ui::MainWindowControls* main = ui::MainWindowControls::from(context);
            if (!main)
                return;
            reports::clickFormatGroup(
                group, [main](const QString& name) { return main->isFormatButtonVisible(name); },
                [main](const QString& name, bool visible) {
                    main->setFormatButtonsVisible({name}, visible);
                });
        });
    }
}

} // namespace korvex
