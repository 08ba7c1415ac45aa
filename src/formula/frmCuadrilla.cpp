#include "formula/frmCuadrilla.h"

#include "store/Database.h"
#include "ui/Grid.h"
#include "ui/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::formula {

namespace {
constexpr int kDesignRows = 200;
constexpr int kColDescripcion = 0, kColCategoria = 1, kColCosto = 2, kColCoeficiente = 3;
} // namespace

frmCuadrilla::frmCuadrilla(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), folder_(context.projectFolder) {
    setObjectName("frmCuadrilla");
    setWindowTitle("Cuadrilla Tipo");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading("Cuadrilla Tipo", this));
    grid_ = new ui::Grid(kDesignRows, 4, this);
    grid_->setObjectName("msfgCuadrilla");
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(grid_, 1);
    totals_ = addTotalsRow(layout, this);

    auto* buttons = new QHBoxLayout;
    cmdSalir_ = makeButton("cmdSalir", "Salir (Esc)", this);
    buttons->addStretch();
    buttons->addWidget(cmdSalir_);
    layout->addLayout(buttons);
    resize(900, 520);

    connect(cmdSalir_, &QPushButton::clicked, this, &QWidget::close);
    connect(grid_, &ui::Grid::keyDown, this, [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Escape)
            close();
    });

    IniciarGrilla();
    LlenarCuadrilla();
}

void frmCuadrilla::IniciarGrilla() {
    grid_->setHeader({"DESCRIPCION", "CATEGORIA", "COSTO DIRECTO", "COEFICIENTE"}, {6500, 1200, 1900, 1900});
    grid_->setCell(1, 0);
}

void frmCuadrilla::LlenarCuadrilla() {
    try {
        const ProjectTotals totals = loadProjectTotals(folder_);
        store::Database db = store::Database::openProject(folder_);
        sheet_ = computeCrew(db, totals);
    } catch (const store::StoreError& e) {
        ui::messages::failure(this, e.message());
        return;
    }

    grid_->ensureRows(static_cast<int>(sheet_.rows.size()) + 1);
    for (int i = 0; i < static_cast<int>(sheet_.rows.size()); ++i) {
        const CrewRow& row = sheet_.rows[i];
        const int r = i + 1;
        grid_->setText(r, kColDescripcion, row.descripcion);
        grid_->setText(r, kColCategoria, row.categoria);
        grid_->setText(r, kColCosto, crewCostText(row.costo));
        grid_->setText(r, kColCoeficiente, crewCoefficientText(row.coeficiente));
        grid_->setAlignment(r, kColCategoria, Qt::AlignCenter);
        grid_->setAlignment(r, kColCosto, Qt::AlignRight | Qt::AlignVCenter);
        grid_->setAlignment(r, kColCoeficiente, Qt::AlignRight | Qt::AlignVCenter);
    }
    totals_.costo->setText(crewCostText(sheet_.totalCosto));
    showCoefficientSum(totals_, sheet_.totalCoeficiente, crewCoefficientText(sheet_.totalCoeficiente));
}

} // namespace korvex::formula
