#include "reports/ReportButtons.h"

#include "engine/Engine.h"
#include "formula/Crew.h"
#include "formula/Formula.h"
#include "formula/Symbols.h"
#include "schedule/CronoTables.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

#include <QDir>

namespace korvex::reports {

namespace {

using P = Preparation;

const QString kPresup = QStringLiteral("cmdPresup");
const QString kAnalisis = QStringLiteral("cmdImpAnalisis");
const QString kCrono = QStringLiteral("cmdCronoP");

Notice noticeOf(const engine::Resultado& result) {
    return {result.title.isEmpty() ? QStringLiteral("Error") : result.title, result.message};
}

// Each preparation runs to its end before the report is read; what it could not do is told to
// the user, and the report is printed with the data as they are.
void runPreparation(Preparation preparation, const QString& folder, PreparedReport& prepared) {
    try {
        switch (preparation) {
        case P::None:
            return;
        case P::RecalcularPresupuesto: {
            const auto result = engine::RecalcularPresupuesto(folder);
            if (!result.ok)
                prepared.notices.push_back(noticeOf(result));
            return;
        }
        case P::LlenarInfoAnalisis: {
            const auto result = engine::LlenarInfoAnalisis(folder);
            if (!result.ok)
                prepared.notices.push_back(noticeOf(result));
            return;
        }
        case P::LlenarTablasCrono: {
            const auto result = schedule::LlenarTablasCrono(folder);
            if (!result.ok)
                prepared.notices.push_back(noticeOf(result));
            return;
        }
        case P::Cuadrilla:
            prepared.request.formulas = crewFormulaSettings(folder);
            return;
        case P::GrabarFormula: {
            // A formula stored before the symbols changed would print symbols that no longer exist.
            const double directCost = formula::loadProjectTotals(folder).costoDirecto;
            auto db = store::Database::openProject(folder);
            const formula::FormulaSheet sheet = formula::refreshStoredFormula(db, directCost);
            if (!sheet.excedentes.isEmpty())
                prepared.notices.push_back(
                    {QStringLiteral("Advertencia"), formula::tooManySymbolsMessage(sheet.excedentes)});
            return;
        }
        }
    } catch (const store::StoreError& error) {
        prepared.notices.push_back({QStringLiteral("Error"), error.message()});
    } catch (const std::exception& error) {
        prepared.notices.push_back({QStringLiteral("Error"), QString::fromUtf8(error.what())});
    }
}

} // namespace

const std::vector<ReportButton>& reportButtons() {
    static const std::vector<ReportButton> buttons = {
        {"cmdMaterial", "Materiales", 4, {}, P::None, "Materiales.rpt"},
        {"cmdEquipo", "Equipo", 4, {}, P::None, "Maquinaria.rpt"},
        {"cmdMano", "Mano de Obra", 4, {}, P::None, "ManoObra.rpt"},
        {"cmdTrans", "Transporte", 4, {}, P::None, "Transporte.rpt"},
        {"cmdFormatoPres1", "Formato 1", 4, kPresup, P::RecalcularPresupuesto, "Presupuesto.rpt"},
        {"cmdFormatoPres2", "Formato 2", 4, kPresup, P::RecalcularPresupuesto, "Presupuesto2.rpt"},
        {"cmdFormatoPres3", "Formato 3", 4, kPresup, P::RecalcularPresupuesto, "Presupuesto3.rpt"},
        {"cmdFormatoPresC", "Formato C", 4, kPresup, P::RecalcularPresupuesto, "Presupuesto4.rpt"},
        {"cmdFormatoAna1", "Formato 1", 4, kAnalisis, P::LlenarInfoAnalisis, "Analisis.rpt"},
        {"cmdFormatoAna2", "Formato 2", 4, kAnalisis, P::LlenarInfoAnalisis, "Analisis2.rpt"},
        {"cmdFormatoAna3", "Formato 3", 4, kAnalisis, P::LlenarInfoAnalisis, "Analisis3.rpt"},
        {"cmdFormatoAna4", "Formato 4", 4, kAnalisis, P::LlenarInfoAnalisis, "Analisis4.rpt"},
        {"cmdFormatoAna5", "Formato 5", 4, kAnalisis, P::LlenarInfoAnalisis, "Analisis5.rpt"},
        {"cmdSimboloR", "Simbolos", 5, {}, P::None, "SimbolosMat.rpt"},
        {"cmdFormulaR", "Formulas", 5, {}, P::GrabarFormula, "SimbolosDesc.rpt"},
        {"cmdCuadrillaR", "Cuadrilla", 5, {}, P::Cuadrilla, "Cuadrilla.rpt"},
        {"cmdGruposC", "Grupos", 6, {}, P::None, "GruposDesc.rpt"},
        {"cmdCronoC", "Cronograma Componentes", 6, {}, P::None, "Grupos.rpt"},
        {"cmdCronoTodo", "Todos los Periodos", 6, kCrono, P::LlenarTablasCrono, "Cronograma.rpt"},
        {"cmdCrono6", "Periodos 1-6", 6, kCrono, P::LlenarTablasCrono, "Cronograma6.rpt"},
        {"cmdCrono12", "Periodos 7-12", 6, kCrono, P::LlenarTablasCrono, "Cronograma12.rpt"},
        // The item schedule buttons are numbered one behind their templates.
        {"cmdCronoNuevo", "Cronograma Nuevo", 6, kCrono, P::None, "CronogramaNuevo2.rpt"},
        {"cmdCronoNuevo2", "Cronograma Nuevo 2", 6, kCrono, P::None, "CronogramaNuevo3.rpt"},
        {"cmdCronoNuevo3", "Cronograma Nuevo 3", 6, kCrono, P::None, "CronogramaNuevo4.rpt"},
        {"cmdCronoNuevo4", "Cronograma Nuevo 4", 6, kCrono, P::None, "CronogramaNuevo5.rpt"},
    };
    return buttons;
}

const ReportButton* findReportButton(const QString& buttonOrTemplate) {
    for (const ReportButton& button : reportButtons()) {
        if (button.button.compare(buttonOrTemplate, Qt::CaseInsensitive) == 0 ||
            button.templateFile.compare(buttonOrTemplate, Qt::CaseInsensitive) == 0)
            return &button;
    }
    return nullptr;
}

QString preparationName(Preparation preparation) {
    switch (preparation) {
    case P::None:
        return {};
    case P::RecalcularPresupuesto:
        return QStringLiteral("RecalcularPresupuesto");
    case P::LlenarInfoAnalisis:
        return QStringLiteral("LlenarInfoAnalisis");
    case P::LlenarTablasCrono:
        return QStringLiteral("LlenarTablasCrono");
    case P::Cuadrilla:
        return QStringLiteral("TotalManoObraProyecto, TotalEquipoProyecto");
    case P::GrabarFormula:
        return QStringLiteral("GrabarFormula");
    }
    return {};
}

QStringList crewFormulaSettings(const QString& projectFolder) {
    const formula::ProjectTotals totals = formula::loadProjectTotals(projectFolder);
    auto db = store::Database::openProject(projectFolder);
    return formula::crewReportSettings(formula::computeCrew(db, totals), totals);
}

PreparedReport prepareReport(const ReportButton& button, const QString& projectFolder,
                             const QString& rootFolder) {
    PreparedReport prepared;
    runPreparation(button.preparation, projectFolder, prepared);
    prepared.request.databasePath = store::projectDatabasePath(projectFolder);
    prepared.request.password =
        QStringLiteral("\n") + QString::fromLatin1(store::kConnectString).section(QLatin1Char('='), 1);
    prepared.request.templatePath = templatePath(rootFolder, button.templateFile);
    prepared.request.templateName = templateDisplayName(button.templateFile);
    return prepared;
}

const std::vector<FormatGroup>& formatGroups() {
    static const std::vector<FormatGroup> groups = {
        {kPresup,
         "Presupuesto",
         {"cmdFormatoPres1", "cmdFormatoPres2", "cmdFormatoPres3", "cmdFormatoPresC"},
         {"cmdFormatoAna1", "cmdFormatoAna2", "cmdFormatoAna3", "cmdFormatoAna4", "cmdFormatoAna5"}},
        {kAnalisis,
         "Analisis",
         {"cmdFormatoAna1", "cmdFormatoAna2", "cmdFormatoAna3", "cmdFormatoAna4", "cmdFormatoAna5"},
         {"cmdFormatoPres1", "cmdFormatoPres2", "cmdFormatoPres3", "cmdFormatoPresC"}},
        {kCrono,
         "Cronograma Propuesto",
         {"cmdCronoTodo", "cmdCrono6", "cmdCrono12", "cmdCronoNuevo", "cmdCronoNuevo2", "cmdCronoNuevo3",
          "cmdCronoNuevo4"},
         {}},
    };
    return groups;
}

const FormatGroup* findFormatGroup(const QString& button) {
    for (const FormatGroup& group : formatGroups()) {
        if (group.button == button)
            return &group;
    }
    return nullptr;
}

QStringList formatButtons() {
    QStringList names;
    for (const FormatGroup& group : formatGroups())
        names += group.toggled;
    return names;
}

void clickFormatGroup(const FormatGroup& group, const std::function<bool(const QString&)>& isVisible,
                      const std::function<void(const QString&, bool)>& setVisible) {
    for (const QString& name : group.toggled)
        setVisible(name, !isVisible(name));
    for (const QString& name : group.hidden)
        setVisible(name, false);
}

} // namespace korvex::reports
