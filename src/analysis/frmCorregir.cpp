#include "analysis/frmCorregir.h"

#include "ui/CellEditor.h"
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

constexpr int kListRows = 200; // header + 199 resources; more rows are added as needed

QString listHeader(Kind kind) {
    switch (kind) {
    case Kind::Equipment:
        return QStringLiteral("B. MAQUINARIA Y HERRAMIENTAS");
    case Kind::Labour:
        return QStringLiteral("C. MANO DE OBRA");
    case Kind::Transport:
        return QStringLiteral("D. TRANSPORTE");
    case Kind::Material:
        break;
    }
    return QStringLiteral("A. MATERIALES");
}

// The equipment list keeps its second column empty and not centred; the others centre the unit
// (labour: the category) under "UNIDAD".
bool centresSecond(Kind kind) {
    return kind != Kind::Equipment;
}

} // namespace

frmCorregir::frmCorregir(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName("frmCorregir");
    setWindowTitle("Corregir Datos");
    ui::hookWheel(this);
    buildLayout();
    try {
        db_ = store::Database::openProject(context.projectFolder);
        loadLists();
    } catch (const store::StoreError& e) {
        // Nothing was read, so nothing may be written over the project.
        sheet_ = CorrectionSheet{};
        db_.close();
        findChild<QPushButton*>("cmdCorregir")->setEnabled(false);
        ui::messages::failure(this, e.message());
        setStatus(e.message());
    }
    focusList(1, 0);
}

frmCorregir::~frmCorregir() = default;

void frmCorregir::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 6);
    layout->setSpacing(6);

    label1_ = ui::titleLabel("Label1", QStringLiteral("Corrección de Materiales"), this);
    layout->addWidget(label1_);

    stack_ = new QStackedWidget(this);
    for (Kind kind : kAllKinds) {
        const KindSpec& s = kindInfo(kind);
        auto* g = new ui::Grid(kListRows, 2, this);
        g->setObjectName(s.gridName);
        lists_[kindIndex(kind)] = g;
        stack_->addWidget(g);
        connect(g, &ui::Grid::keyDown, this, &frmCorregir::onListKey);

        // The keys as loaded: what the lines carry until F7.
        auto* c = new ui::Grid(kListRows, 2, this);
        c->setObjectName(s.copyName);
        c->hide();
        copies_[kindIndex(kind)] = c;
    }
    layout->addWidget(stack_, 1);
    writeHeaders();

    editor_ = new ui::CellEditor(this);
    for (Kind kind : {Kind::Material, Kind::Equipment, Kind::Labour})
        attachEditor(kind);

    auto* buttons = new QHBoxLayout;
    auto* cmdCorregir = new QPushButton("Corregir (F7)", this);
    cmdCorregir->setObjectName("cmdCorregir");
    auto* cmdCambiar = new QPushButton("Cambiar (F1)", this);
    cmdCambiar->setObjectName("cmdCambiar");
    auto* cmdSalir = new QPushButton("Salir (Esc)", this);
    cmdSalir->setObjectName("cmdSalir");
    for (QPushButton* b : {cmdCorregir, cmdCambiar, cmdSalir}) {
        b->setMinimumWidth(140);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(cmdCorregir, &QPushButton::clicked, this, [this] {
        Corregir();
        focusList(1, 0);
    });
    connect(cmdCambiar, &QPushButton::clicked, this, &frmCorregir::CambiarGrilla);
    connect(cmdSalir, &QPushButton::clicked, this, &frmCorregir::Salir);

    lblEstado_ = new QLabel(this);
    lblEstado_->setObjectName("lblEstado");
    layout->addWidget(lblEstado_);
    resize(ui::twipsToPixels(8500, this) + 70, 600);
}

void frmCorregir::attachEditor(Kind kind) {
    ui::CellEditRules rules;
    rules.columns =
        kind == Kind::Equipment ? QList<int>{kDescriptionCol} : QList<int>{kDescriptionCol, kSecondCol};
    // Resources are renamed here, never added: only a cell that holds text opens.
    rules.canType = [this, kind](int row, int col) {
        const ui::Grid* g = list(kind);
        return CorrectionSheet::isTypedColumn(kind, col) && row >= 1 && row <= sheet_.rows(kind).size() &&
               !g->text(row, col).isEmpty();
    };
    rules.canEditExisting = rules.canType;
    rules.commit = [this, kind](ui::Grid& grid, int row, int col, const QString& text, const QString&) {
        commitCell(kind, grid, row, col, text);
    };
    rules.nextCell = [this, kind](ui::EditorKey key, int row, int col) -> std::optional<ui::CellPosition> {
        switch (key) {
        case ui::EditorKey::Left:
            return col > 0 ? std::optional(ui::CellPosition{row, col - 1}) : std::nullopt;
        case ui::EditorKey::Right:
            return col < 1 ? std::optional(ui::CellPosition{row, col + 1}) : std::nullopt;
        default:
            return ui::CellEditor::defaultNextCell(*list(kind), editor_->rules(list(kind)), key, row, col);
        }
    };
    editor_->attach(list(kind), rules);
}

void frmCorregir::writeHeaders() {
    for (Kind kind : kAllKinds) {
        for (ui::Grid* g : {list(kind), copy(kind)})
            g->setHeader({listHeader(kind), "UNIDAD"}, {6500, 2000});
    }
}

void frmCorregir::loadLists() {
    sheet_ = CorrectionSheet::load(db_);
    for (Kind kind : kAllKinds)
        render(kind);
}

void frmCorregir::render(Kind kind) {
    const QList<CorrectionRow>& rows = sheet_.rows(kind);
    for (const bool asLoaded : {false, true}) {
        ui::Grid* g = asLoaded ? copy(kind) : list(kind);
        g->setUpdatesEnabled(false);
        g->clearData();
        g->setRows(std::max(kListRows, static_cast<int>(rows.size()) + 1));
        for (int i = 0; i < rows.size(); ++i) {
            const ResourceKey& key = asLoaded ? rows[i].loaded : rows[i].current;
            g->setText(i + 1, kDescriptionCol, key.description);
            if (kind != Kind::Equipment) {
                g->setText(i + 1, kSecondCol, key.second);
                g->setAlignment(i + 1, kSecondCol, Qt::AlignCenter);
            }
        }
        g->setUpdatesEnabled(true);
    }
}

void frmCorregir::commitCell(Kind kind, ui::Grid& grid, int row, int col, const QString& text) {
    int transportRow = -1;
    switch (sheet_.assign(kind, row - 1, col, text, &transportRow)) {
    case CorrectionSheet::Assign::Written:
        break;
    case CorrectionSheet::Assign::EmptyDescription:
        setStatus(QStringLiteral("La descripción no puede quedar vacía"));
        return;
    case CorrectionSheet::Assign::NotTyped:
        return;
    }
    grid.setText(row, col, text);
    if (col == kSecondCol && centresSecond(kind))
        grid.setAlignment(row, col, Qt::AlignCenter);
    if (transportRow >= 0) {
        ui::Grid* transport = list(Kind::Transport);
        transport->setText(transportRow + 1, col, text);
        if (col == kSecondCol)
            transport->setAlignment(transportRow + 1, col, Qt::AlignCenter);
    }
    setStatus(QString());
}

void frmCorregir::onListKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return;
    switch (key) {
    case Qt::Key_F7:
        Corregir();
        focusList(1, 0);
        break;
    case Qt::Key_F1:
        CambiarGrilla();
        break;
    case Qt::Key_Escape:
        Salir();
        break;
    default:
        break;
    }
}

bool frmCorregir::Corregir() {
    editor_->cancel();
    if (!db_.isOpen())
        return false;
    const CorrectionOutcome outcome = applyCorrections(db_, sheet_);
    if (!outcome.ok) {
        // The typed corrections stay on show, so the user can try again.
        ui::messages::failure(this, outcome.message);
        setStatus(outcome.message.section('\n', 0, 0));
        return false;
    }
    writeHeaders();
    try {
        loadLists();
    } catch (const store::StoreError& e) {
        // The lists on show no longer match the project: better none than stale ones.
        sheet_ = CorrectionSheet{};
        for (Kind kind : kAllKinds)
            render(kind);
        ui::messages::failure(this, e.message());
    }
    setStatus(correctionStatus(outcome));
    return true;
}

void frmCorregir::CambiarGrilla() {
    editor_->cancel();
    visible_ = nextKind(visible_);
    stack_->setCurrentWidget(list(visible_));
    label1_->setText(correctionTitle(visible_));
    focusList(1, 0);
}

void frmCorregir::focusList(int row, int col) {
    ui::Grid* g = list(visible_);
    g->setCell(row, col);
    g->setFocus(Qt::OtherFocusReason);
}

void frmCorregir::setStatus(const QString& text) {
    lblEstado_->setText(text);
}

void frmCorregir::Salir() {
    close();
}

// Corrections typed and not yet applied with F7 would be lost without a word.
bool frmCorregir::settleUnsavedWork() {
    editor_->cancel();
    return ui::messages::settleUnsavedChanges(this, db_.isOpen() && sheet_.hasCorrections(),
                                              [this] { return Corregir(); });
}

void frmCorregir::closeEvent(QCloseEvent* event) {
    editor_->cancel();
    if (!ui::workSettled(this) && !settleUnsavedWork()) {
        event->ignore();
        return;
    }
    ui::unhookWheel(this);
    db_.close();
    event->accept();
}

} // namespace korvex::analysis
