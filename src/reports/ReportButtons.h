#pragma once
// The report buttons of the main window's printing tabs: which template each prints, the data it
// refreshes first (unit prices, the analysis table, the schedule tables) and the formulas it
// hands over; and the three group buttons that show and hide the format buttons.

#include "reports/ReportRunner.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace korvex::reports {

enum class Preparation {
    None,
    RecalcularPresupuesto, // stored unit prices
    LlenarInfoAnalisis,    // the analysis table
    LlenarTablasCrono,     // Crono, Crono2, Crono3
    Cuadrilla,             // project totals, and the TotalManoObra / TotalMecanico formulas
    GrabarFormula,         // SimbolosDesc recomputed from the symbols as they are now
};

struct ReportButton {
    QString button;  // object name, "cmdFormatoPres1"
    QString caption; // "Formato 1"
    int tab = 4;     // printing tab 4, 5 or 6
    QString group;   // the group button that shows it ("cmdPresup"), or ""
    Preparation preparation = Preparation::None;
    QString templateFile; // "Presupuesto.rpt"
};

const std::vector<ReportButton>& reportButtons();
// By button name or by template file name, ignoring letter case; nullptr when unknown.
const ReportButton* findReportButton(const QString& buttonOrTemplate);
QString preparationName(Preparation preparation);

// A message of a preparation, shown before the report, which is still made.
struct Notice {
    QString title;
    QString text;
};

struct PreparedReport {
    ReportRequest request;
    std::vector<Notice> notices;
};

// Runs the button's preparation to its end, then builds the request: the project's database and
// password, the template of the root folder and, for the crew, its two formulas. Never throws:
// a failing preparation becomes a notice.
PreparedReport prepareReport(const ReportButton& button, const QString& projectFolder,
                             const QString& rootFolder);

// The crew report's formula settings for a project: the totals of labour and of the mechanic (11 %
// of the equipment) and the correction that brings the coefficients to 1.000, exactly as the crew
// window computes them; numbers with "." as decimal point. Throws store::StoreError.
QStringList crewFormulaSettings(const QString& projectFolder);

// ---- Group buttons --------------------------------------------------------------------------

struct FormatGroup {
    QString button;      // "cmdPresup"
    QString caption;     // "Presupuesto"
    QStringList toggled; // visibility inverted on each click
    QStringList hidden;  // hidden on each click
};

const std::vector<FormatGroup>& formatGroups();
const FormatGroup* findFormatGroup(const QString& button);
// Every format and period button, the ones a change of tab hides.
QStringList formatButtons();

// Applies a click on a group button: isVisible tells the current state of a button, setVisible
// changes it.
void clickFormatGroup(const FormatGroup& group, const std::function<bool(const QString&)>& isVisible,
                      const std::function<void(const QString&, bool)>& setVisible);

} // namespace korvex::reports
