#include "analysis/frmBuscar.h"

#include "analysis/ResourceUsage.h"
#include "ui/Grid.h"
#include "ui/Labels.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace korvex::analysis {

namespace {

constexpr int kListRows = 200;   // header + 199 resources; more rows are added as needed
constexpr int kResultRows = 100; // header + 99 lines

constexpr std::array<Kind, 3> kSearchedKinds = {Kind::Material, Kind::Equipment, Kind::Labour};

const char* const kSeleccionar = "Seleccionar (Enter)";
const char* const kVolver = "Volver (Enter)";

QString listHeader(Kind kind) {
    switch (kind) {
    case Kind::Equipment:
        return QStringLiteral("B. MAQUINARIA Y HERRAMIENTAS");
    case Kind::Labour:
        return QStringLiteral("C. MANO DE OBRA");
    default:
        return QStringLiteral("A. MATERIALES");
    }
}

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

int frmBuscar::slot(Kind kind) {
    return kind == Kind::Equipment ? 1 : kind == Kind::Labour ? 2 : 0;
}

ui::Grid* frmBuscar::list(Kind kind) const {
    return lists_[static_cast<std::size_t>(slot(kind))];
}

frmBuscar::frmBuscar(const ui::WindowContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName("frmBuscar");
    setWindowTitle("Buscar");
    ui::hookWheel(this);
    buildLayout();
    try {
        db_ = store::Database::openProject(context.projectFolder);
        fillLists();
    } catch (const store::StoreError& e) {
        ui::messages::failure(this, e.message());
    }
    focusList(1, 0);
}

frmBuscar::~frmBuscar() = default;

void frmBuscar::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 6);
    layout->setSpacing(6);

    label1_ = ui::titleLabel("Label1", searchTitle(Kind::Material), this);
    layout->addWidget(label1_);

    stack_ = new QStackedWidget(this);
    for (Kind kind : kSearchedKinds) {
        auto* g = new ui::Grid(kListRows, 2, this);
        g->setObjectName(kindInfo(kind).gridName);
        g->setHeader({listHeader(kind), "UNIDAD"}, {6500, 2000});
        lists_[static_cast<std::size_t>(slot(kind))] = g;
        stack_->addWidget(g);
        connect(g, &ui::Grid::keyDown, this, &frmBuscar::onListKey);
        connect(g, &ui::Grid::doubleClick, this, [this] {
            if (currentRowHasResource())
                BuscarRubros();
        });
    }
    layout->addWidget(stack_, 1);

    label2_ = new QLabel(this);
    label2_->setObjectName("Label2");
    QFont bold = label2_->font();
    bold.setBold(true);
    label2_->setFont(bold);
    layout->addWidget(label2_);

    msfgDatosPres_ = new ui::Grid(kResultRows, 4, this);
    msfgDatosPres_->setObjectName("msfgDatosPres");
    writeResultHeader();
    msfgDatosPres_->hide();
    layout->addWidget(msfgDatosPres_, 1);
    connect(msfgDatosPres_, &ui::Grid::keyDown, this, &frmBuscar::onResultKey);
    connect(msfgDatosPres_, &ui::Grid::doubleClick, this, &frmBuscar::Volver);

    auto* buttons = new QHBoxLayout;
    cmdSeleccionar_ = new QPushButton(kSeleccionar, this);
    cmdSeleccionar_->setObjectName("cmdSeleccionar");
    cmdCambiar_ = new QPushButton("Cambiar (F1)", this);
    cmdCambiar_->setObjectName("cmdCambiar");
    auto* cmdSalir = new QPushButton("Salir (Esc)", this);
    cmdSalir->setObjectName("cmdSalir");
    for (QPushButton* b : {cmdSeleccionar_, cmdCambiar_, cmdSalir}) {
        b->setMinimumWidth(140);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(cmdSeleccionar_, &QPushButton::clicked, this, &frmBuscar::seleccionar);
    connect(cmdCambiar_, &QPushButton::clicked, this, &frmBuscar::CambiarGrilla);
    connect(cmdSalir, &QPushButton::clicked, this, &frmBuscar::Salir);
    resize(ui::twipsToPixels(12100, this) + 70, 640);
}

void frmBuscar::writeResultHeader() {
    msfgDatosPres_->setHeader({"CÓDIGO", "ÍTEM", "DESCRIPCIÓN", "UNIDAD"}, {1500, 1500, 7500, 1600});
}

void frmBuscar::fillLists() {
    for (Kind kind : kSearchedKinds) {
        QList<ResourceKey>& keys = keys_[static_cast<std::size_t>(slot(kind))];
        keys = distinctResources(db_, kind);
        ui::Grid* g = list(kind);
        g->setUpdatesEnabled(false);
        g->ensureRows(static_cast<int>(keys.size()) + 1);
        for (int i = 0; i < keys.size(); ++i) {
            g->setText(i + 1, 0, keys[i].description);
            if (kind != Kind::Equipment) {
                g->setText(i + 1, 1, keys[i].second);
                g->setAlignment(i + 1, 1, Qt::AlignCenter);
            }
        }
        g->setUpdatesEnabled(true);
    }
}

void frmBuscar::focusList(int row, int col) {
    ui::Grid* g = list(visible_);
    g->setCell(row, col);
    g->setFocus(Qt::OtherFocusReason);
}

bool frmBuscar::currentRowHasResource() const {
    const ui::Grid* g = list(visible_);
    return g->row() >= 1 && !g->text(g->row(), 0).isEmpty();
}

void frmBuscar::seleccionar() {
    if (mostrandoRubros_)
        Volver();
    else if (currentRowHasResource())
        BuscarRubros();
}

void frmBuscar::onListKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return;
    if (isEnter(key) && currentRowHasResource())
        BuscarRubros();
    else if (key == Qt::Key_F1)
        CambiarGrilla();
    else if (key == Qt::Key_Escape)
        Salir();
}

void frmBuscar::onResultKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return;
    if (isEnter(key))
        Volver();
    else if (key == Qt::Key_Escape)
        Salir();
}

void frmBuscar::BuscarRubros() {
    const ui::Grid* g = list(visible_);
    const ResourceKey resource{g->text(g->row(), 0),
                               visible_ == Kind::Equipment ? QString() : g->text(g->row(), 1)};
    QList<UsageRow> rows;
    try {
        rows = findUsage(db_, visible_, resource);
    } catch (const store::StoreError& e) {
        ui::messages::failure(this, e.message());
        return;
    }
    mostrandoRubros_ = true;
    cmdCambiar_->setEnabled(false);
    cmdSeleccionar_->setText(kVolver);

    msfgDatosPres_->setUpdatesEnabled(false);
    msfgDatosPres_->clearData();
    msfgDatosPres_->setRows(std::max(kResultRows, static_cast<int>(rows.size()) + 1));
    for (int i = 0; i < rows.size(); ++i) {
        const UsageRow& row = rows[i];
        const int r = i + 1;
        msfgDatosPres_->setText(r, 0, row.code);
        msfgDatosPres_->setText(r, 1, row.item);
        msfgDatosPres_->setText(r, 2, row.description);
        msfgDatosPres_->setText(r, 3, row.unit);
        for (int c : {0, 1, 3})
            msfgDatosPres_->setAlignment(r, c, Qt::AlignCenter);
    }
    msfgDatosPres_->setUpdatesEnabled(true);
    label2_->setText(usageSentence(visible_, resource.description));
    msfgDatosPres_->show();
    msfgDatosPres_->setCell(1, 0);
    msfgDatosPres_->setFocus(Qt::OtherFocusReason);
}

void frmBuscar::Volver() {
    msfgDatosPres_->clearCells();
    msfgDatosPres_->setRows(kResultRows);
    writeResultHeader();
    mostrandoRubros_ = false;
    cmdSeleccionar_->setText(kSeleccionar);
    cmdCambiar_->setEnabled(true);
    msfgDatosPres_->hide();
    label2_->clear();
    list(visible_)->setFocus(Qt::OtherFocusReason);
}

void frmBuscar::CambiarGrilla() {
    visible_ = kSearchedKinds[static_cast<std::size_t>((slot(visible_) + 1) % 3)];
    stack_->setCurrentWidget(list(visible_));
    label1_->setText(searchTitle(visible_));
    focusList(1, 0);
}

void frmBuscar::Salir() {
    close();
}

void frmBuscar::closeEvent(QCloseEvent* event) {
    ui::unhookWheel(this);
    db_.close();
    event->accept();
}

} // namespace korvex::analysis
