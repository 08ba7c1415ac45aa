#include "analysis/frmMateriales.h"

#include "analysis/AnalysisCaptions.h"
#include "analysis/AnalysisSaving.h"
#include "engine/Numbers.h"
#include "store/ProjectFolders.h"
#include "ui/CellEditor.h"
#include "ui/Grid.h"
#include "ui/GridHistory.h"
#include "ui/Labels.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace korvex::analysis {

using engine::FormatoMoneda;

namespace {

const QColor kRepricedColour(255, 236, 179);

// An amount of the totals panel: right-aligned in a sunken box, like the cells of a printed sheet.
QLabel* amountLabel(const QString& name, QWidget* parent) {
    QLabel* label = ui::namedLabel(name, QString(), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(120);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

int storedRowColumn(Kind kind) {
    return kindInfo(kind).columns;
}

QString storedRowText(qint64 row) {
    return row ? QString::number(row) : QString();
}

QString argument(const ui::WindowContext& context, const char* name) {
    return context.arguments.value(QString::fromLatin1(name)).toString();
}

} // namespace

frmMateriales::frmMateriales(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName("frmMateriales");
    ui::hookWheel(this);
    buildLayout();
    IniciarGrilla();
    resetTotals();
    history_ = new ui::GridHistory(
        this, {grid(Kind::Material), grid(Kind::Equipment), grid(Kind::Labour), grid(Kind::Transport)});
    connect(history_, &ui::GridHistory::restored, this, &frmMateriales::takeUndoneGrids);
    if (openProject(context.projectFolder))
        loadItem(argument(context, "txtCod"), argument(context, "txtItem"));
    else
        loadItem({}, {});
}

frmMateriales::~frmMateriales() = default;

// ---- Layout -----------------------------------------------------------------------------------

void frmMateriales::buildLayout() {
    setWindowTitle(kindInfo(Kind::Material).windowTitle);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 6);
    layout->setSpacing(6);
    layout->addWidget(buildHeader());

    label1_ = ui::titleLabel("Label1", kindInfo(Kind::Material).title, this);
    layout->addWidget(label1_);

    stack_ = new QStackedWidget(this);
    for (Kind kind : kAllKinds) {
        const KindSpec& s = kindInfo(kind);
        // One hidden column past the shown ones holds the stored line each row shows, so that
        // an undone deletion or insertion brings a line back as the stored line it was.
        auto* lineGrid = new ui::Grid(kDesignRows + 1, s.columns + 1, this);
        lineGrid->setObjectName(s.gridName);
        lineGrid->setColumnHidden(storedRowColumn(kind), true);
        grids_[kindIndex(kind)] = lineGrid;
        stack_->addWidget(lineGrid);
        connect(lineGrid, &ui::Grid::keyDown, this,
                [this, kind](int key, Qt::KeyboardModifiers modifiers) { onGridKey(kind, key, modifiers); });

        // The lines as loaded, with their stored prices: never shown, never edited.
        auto* copy = new ui::Grid(kDesignRows + 1, s.columns, this);
        copy->setObjectName(s.copyName);
        copy->hide();
        copies_[kindIndex(kind)] = copy;
    }
    layout->addWidget(stack_, 1);

    editor_ = new ui::CellEditor(this);
    for (Kind kind : {Kind::Material, Kind::Equipment, Kind::Labour})
        attachEditor(kind);
    connect(editor_, &ui::CellEditor::opened, this, [this] { catalog_.reset(); });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildButtons(), 0, Qt::AlignTop);
    bottom->addStretch(1);
    bottom->addWidget(buildTotals(), 0, Qt::AlignTop);
    layout->addLayout(bottom);

    lblEstado_ = ui::namedLabel("lblEstado", QString(), this);
    layout->addWidget(lblEstado_);
    resize(900, 680);
}

QWidget* frmMateriales::buildHeader() {
    auto* box = new QWidget(this);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(2);
    const std::array<const char*, 4> captions = {kCaptionProyecto, kCaptionRubro, kCaptionCodigo,
                                                 kCaptionUnidad};
    const std::array<const char*, 4> names = {"lblProyecto", "lblRubro", "lblCodigo", "lblUnidad"};
    std::array<QLabel**, 4> targets = {&lblProyecto_, &lblRubro_, &lblCodigo_, &lblUnidad_};
    for (int i = 0; i < 4; ++i) {
        auto* caption = new QLabel(captions[i], box);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        *targets[i] = ui::namedLabel(names[i], QString(), box);
        layout->addWidget(caption, i, 0);
        layout->addWidget(*targets[i], i, 1);
    }
    layout->setColumnStretch(1, 1);
    return box;
}

QWidget* frmMateriales::buildTotals() {
    auto* box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->setHorizontalSpacing(16);
    layout->setVerticalSpacing(3);

    label7_ = ui::namedLabel("Label7", kindInfo(Kind::Material).subtotalLabel, box);
    lblSubtotal_ = amountLabel("lblSubtotal", box);
    label4_ = ui::namedLabel("Label4", kCaptionHerramientas, box);
    lblHerrMan_ = amountLabel("lblHerrMan", box);
    auto* label8 = ui::namedLabel("Label8", kCaptionDirectos, box);
    lblDirectos_ = amountLabel("lblDirectos", box);
    label9_ = ui::namedLabel("Label9", kCaptionIndirectos, box);
    lblIndirectos_ = amountLabel("lblIndirectos", box);
    auto* label11 = ui::namedLabel("Label11", kCaptionOtrosIndirectos, box);
    lblOtrosInd_ = amountLabel("lblOtrosInd", box);
    auto* label10 = ui::namedLabel("Label10", kCaptionPrecioUnitario, box);
    lblPU_ = amountLabel("lblPU", box);

    QFont bold = label10->font();
    bold.setBold(true);
    for (QLabel* label : {label8, label10, lblDirectos_, lblPU_})
        label->setFont(bold);

    const std::array<std::pair<QLabel*, QLabel*>, 6> rows = {
        std::pair{label7_, lblSubtotal_}, {label4_, lblHerrMan_},  {label8, lblDirectos_},
        {label9_, lblIndirectos_},        {label11, lblOtrosInd_}, {label10, lblPU_}};
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        layout->addWidget(rows[i].first, i, 0);
        layout->addWidget(rows[i].second, i, 1);
    }
    label4_->hide();
    lblHerrMan_->hide();
    return box;
}

QWidget* frmMateriales::buildButtons() {
    auto* box = new QWidget(this);
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    struct ButtonDef {
        const char* name;
        const char* caption;
        void (frmMateriales::*run)();
    };
    const std::array<ButtonDef, 6> defs = {{
        {"cmdInsertar", kButtonInsertar, &frmMateriales::InsertarLinea},
        {"cmdSuprimir", kButtonSuprimir, &frmMateriales::SuprimirLinea},
        {"cmdCalcular", kButtonCalcular, &frmMateriales::CalcularAnalisis},
        {"cmdGrabar", kButtonGrabar, nullptr},
        {"cmdCambiar", kButtonCambiar, &frmMateriales::CambiarGrilla},
        {"cmdSalir", kButtonSalir, &frmMateriales::Salir},
    }};
    for (int i = 0; i < static_cast<int>(defs.size()); ++i) {
        auto* button = new QPushButton(defs[i].caption, box);
        button->setObjectName(defs[i].name);
        button->setMinimumWidth(150);
        buttons_[i] = button;
        layout->addWidget(button, i % 3, i / 3);
        if (defs[i].run) {
            connect(button, &QPushButton::clicked, this, defs[i].run);
        } else {
            connect(button, &QPushButton::clicked, this, [this] {
                Grabar();
                focusGrid(visible_, grid(visible_)->row(), grid(visible_)->col());
            });
        }
    }
    return box;
}

// Header rows, column widths, and every grid at row 1, column 0.
void frmMateriales::IniciarGrilla() {
    for (Kind kind : kAllKinds) {
        const KindSpec& s = kindInfo(kind);
        for (ui::Grid* g : {grids_[kindIndex(kind)], copies_[kindIndex(kind)]}) {
            g->setHeader(s.headers, s.widthsTwips);
            g->setCell(1, 0);
        }
        // A bold header wider than its design width would be cut ("JORNAL/HORA"): the column
        // grows to show it. The description takes whatever width the grid has to spare.
        ui::Grid* g = grids_[kindIndex(kind)];
        QFont bold = g->font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        for (int col = 0; col < s.columns; ++col) {
            const int needed = metrics.horizontalAdvance(s.headers[col]) + 12;
            if (g->columnWidth(col) < needed)
                g->setColumnWidth(col, needed);
        }
        g->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

void frmMateriales::attachEditor(Kind kind) {
    const KindSpec& s = kindInfo(kind);
    ui::CellEditRules rules;
    rules.columns = s.typedColumns;
    rules.centredColumns = {s.secondCol};
    rules.commit = [this, kind](ui::Grid& grid, int row, int col, const QString& text,
                                const QString& picked) { commitCell(kind, grid, row, col, text, picked); };
    rules.lookup = [this, kind](int, int col, const QString& text) { return lookup(kind, col, text); };
    editor_->attach(grid(kind), rules);
}

// ---- Loading ----------------------------------------------------------------------------------

bool frmMateriales::openProject(const QString& folder) {
    try {
        db_ = store::Database::openProject(folder);
        return true;
    } catch (const store::StoreError& e) {
        ui::messages::failure(this, e.message());
        setStatus(e.message());
        return false;
    }
}

bool frmMateriales::loadItem(const QString& code, const QString& item) {
    item_.reset();
    sheet_.clear();
    header_ = ProjectHeader{};
    QString problem;
    try {
        header_ = loadProjectHeader(db_);
        item_ = loadBudgetItem(db_, code, item);
        if (item_)
            loadAnalysisLines(db_, code, item, sheet_);
        else
            problem = missingItemMessage(code, item);
    } catch (const store::StoreError& e) {
        item_.reset();
        sheet_.clear();
        problem = e.message();
    }
    if (!problem.isEmpty())
        ui::messages::error(this, problem);

    lblProyecto_->setText(header_.name);
    lblRubro_->setText(item_ ? item_->description : QString());
    lblCodigo_->setText(item_ ? item_->code : QString());
    lblUnidad_->setText(item_ ? item_->unit : QString());
    label9_->setText(indirectCaption(header_));
    for (QPushButton* button : buttons_) {
        if (button->objectName() != "cmdSalir" && button->objectName() != "cmdCambiar")
            button->setEnabled(item_.has_value());
    }
    resetTotals();
    for (Kind kind : kAllKinds) {
        render(kind);
        renderCopy(kind);
        markRepriced(kind);
    }
    setStatus(problem);
    showKind(Kind::Material);
    if (history_)
        history_->reset();
    return item_.has_value();
}

// After an undo or redo the grids hold the lines: the sheet takes them back, and the totals of the
// last calculation no longer apply.
void frmMateriales::takeUndoneGrids() {
    for (Kind kind : kAllKinds) {
        LineTable& lines = sheet_.lines(kind);
        const ui::Grid* g = grid(kind);
        const int rows = std::max(lines.rowCount(), g->rows() - 1);
        for (int r = 1; r <= rows; ++r) {
            for (int c = 0; c < lines.layout().columns; ++c) {
                if (lines.cell(r, c) != g->text(r, c))
                    lines.setCell(r, c, g->text(r, c));
            }
        }
        for (int r = 1; r <= lines.rowCount(); ++r)
            lines.setStoredRow(r, g->text(r, storedRowColumn(kind)).toLongLong());
        render(kind);
    }
    sheet_.setModified(history_->canUndo());
    resetTotals();
}

void frmMateriales::resetTotals() {
    totals_ = AnalysisTotals{};
    for (QLabel* label : {lblSubtotal_, lblHerrMan_, lblDirectos_, lblIndirectos_, lblOtrosInd_, lblPU_})
        label->clear();
    const bool withTools = header_.exists && header_.herramienta;
    label4_->setVisible(withTools);
    lblHerrMan_->setVisible(withTools);
}

// ---- Drawing ------------------------------------------------------------------------------------

void frmMateriales::render(Kind kind) {
    const LineTable& lines = sheet_.lines(kind);
    ui::Grid* g = grid(kind);
    const int row = g->row();
    const int col = g->col();
    g->setUpdatesEnabled(false);
    g->setRows(lines.rowCount() + 1);
    for (int r = 1; r <= lines.rowCount(); ++r) {
        for (int c = 0; c < lines.layout().columns; ++c) {
            if (g->text(r, c) != lines.cell(r, c))
                g->setText(r, c, lines.cell(r, c));
        }
        const QString stored = storedRowText(lines.storedRow(r));
        if (g->text(r, storedRowColumn(kind)) != stored)
            g->setText(r, storedRowColumn(kind), stored);
        if (lines.layout().hasSecond())
            g->setAlignment(r, lines.layout().secondCol, Qt::AlignCenter);
        for (int c : {lines.layout().quantityCol, lines.layout().priceCol, lines.layout().amountCol,
                      lines.layout().yieldCol, lines.layout().costCol}) {
            if (c >= 0)
                g->setAlignment(r, c, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    g->setCell(std::min(std::max(row, 1), g->rows() - 1), col);
    g->setUpdatesEnabled(true);
}

void frmMateriales::renderCopy(Kind kind) {
    const LineTable& lines = sheet_.loaded(kind);
    ui::Grid* g = copies_[kindIndex(kind)];
    g->clearData();
    g->setRows(lines.rowCount() + 1);
    for (int r = 1; r <= lines.lastUsedRow(); ++r) {
        for (int c = 0; c < lines.layout().columns; ++c)
            g->setText(r, c, lines.cell(r, c));
    }
    g->setCell(1, 0);
}

void frmMateriales::renderTotals() {
    lblSubtotal_->setText(FormatoMoneda(totals_.subtotal(visible_)));
    label4_->setVisible(totals_.withTools);
    lblHerrMan_->setVisible(totals_.withTools);
    lblHerrMan_->setText(totals_.withTools ? FormatoMoneda(totals_.tools) : QString());
    lblDirectos_->setText(FormatoMoneda(totals_.direct));
    lblIndirectos_->setText(engine::FormatoPrecio(totals_.indirect));
    lblOtrosInd_->setText(engine::FormatoPrecio(totals_.otherIndirect));
    lblPU_->setText(FormatoMoneda(totals_.unitPrice));
}

void frmMateriales::showKind(Kind kind) {
    visible_ = kind;
    const KindSpec& s = kindInfo(kind);
    stack_->setCurrentWidget(grid(kind));
    label1_->setText(s.title);
    label7_->setText(s.subtotalLabel);
    setWindowTitle(s.windowTitle);
    focusGrid(kind, 1, 0);
}

void frmMateriales::focusGrid(Kind kind, int row, int col) {
    grid(kind)->setCell(row, col);
    grid(kind)->setFocus(Qt::OtherFocusReason);
}

void frmMateriales::setStatus(const QString& text) {
    lblEstado_->setText(text);
}

// ---- Keys and editing ---------------------------------------------------------------------------

void frmMateriales::onGridKey(Kind kind, int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return;
    const bool ownLines = kind != Kind::Transport;
    switch (key) {
    case Qt::Key_Escape:
        Salir();
        break;
    case Qt::Key_F1:
        CambiarGrilla();
        break;
    case Qt::Key_F2:
        if (ownLines)
            InsertarLinea();
        break;
    case Qt::Key_F5:
        CalcularAnalisis();
        break;
    case Qt::Key_F9:
        Grabar();
        break;
    case Qt::Key_F10:
        if (ownLines)
            SuprimirLinea();
        break;
    default:
        break;
    }
}

void frmMateriales::commitCell(Kind kind, ui::Grid& g, int row, int col, const QString& text,
                               const QString& picked) {
    if (!item_)
        return;
    const CellPosition after = sheet_.assign(kind, {row, col}, text, picked);
    render(kind);
    if (kind == Kind::Material)
        render(Kind::Transport);
    g.setCell(after.row, after.col);
    if (kind == Kind::Material)
        grid(Kind::Transport)->setCell(after.row, after.col);
}

std::optional<QList<QStringList>> frmMateriales::lookup(Kind kind, int col, const QString& text) {
    if (col != 0 || !db_.isOpen())
        return std::nullopt;
    try {
        if (!catalog_ || catalog_->kind() != kind)
            catalog_ = ResourceCatalog::read(db_, kind);
    } catch (const store::StoreError&) {
        return std::nullopt; // the list is a help for typing; a failure leaves it as it is
    }
    const QList<ResourceMatch> found = catalog_->matches(text);
    if (found.isEmpty())
        return std::nullopt;
    QList<QStringList> rows;
    rows.reserve(found.size());
    for (const ResourceMatch& match : found)
        rows.append({match.description, match.second});
    return rows;
}

// ---- Operations ---------------------------------------------------------------------------------

void frmMateriales::CalcularAnalisis() {
    if (!item_)
        return;
    try {
        totals_ = computeAnalysis(sheet_, lookupProjectPrices(db_, sheet_), header_);
    } catch (const store::StoreError& e) {
        ui::messages::failure(this, e.message());
        return;
    }
    // The prices and amounts are figures, not the user's changes: no step of their own.
    history_->absorb([this] {
        for (Kind kind : kAllKinds) {
            render(kind);
            markRepriced(kind);
            grid(kind)->setCell(1, 0);
        }
    });
    renderTotals();
    setStatus(repricedStatus(totals_));
    focusGrid(visible_, 1, 0);
}

// The price cell of a line shown at a project price other than the one it was stored with is
// tinted, so the user sees which lines move the unit price when the analysis is saved.
void frmMateriales::markRepriced(Kind kind) {
    ui::Grid* g = grid(kind);
    const int priceCol = kindInfo(kind).priceCol;
    const QList<int>& repriced = totals_.repriced[kindIndex(kind)];
    const QColor plain = g->palette().base().color();
    for (int row = 1; row < g->rows(); ++row)
        g->setBackColor(row, priceCol, repriced.contains(row) ? kRepricedColour : plain);
}

void frmMateriales::CambiarGrilla() {
    const Kind next = nextKind(visible_);
    showKind(next);
    lblSubtotal_->setText(FormatoMoneda(totals_.subtotal(next)));
}

void frmMateriales::InsertarLinea() {
    if (visible_ == Kind::Transport || !item_) {
        focusGrid(visible_, grid(visible_)->row(), grid(visible_)->col());
        return;
    }
    const int row = std::max(1, grid(visible_)->row());
    sheet_.insertLine(visible_, row);
    render(visible_);
    if (visible_ == Kind::Material)
        render(Kind::Transport);
    focusGrid(visible_, row, 0);
}

void frmMateriales::SuprimirLinea() {
    if (visible_ == Kind::Transport || !item_) {
        focusGrid(visible_, grid(visible_)->row(), grid(visible_)->col());
        return;
    }
    const int row = std::max(1, grid(visible_)->row());
    sheet_.deleteLine(visible_, row);
    render(visible_);
    if (visible_ == Kind::Material) {
        render(Kind::Transport);
        grid(Kind::Transport)->setCell(1, 0);
    }
    focusGrid(visible_, 1, 0);
}

bool frmMateriales::Grabar() {
    if (!item_)
        return false;
    const RepeatedResources repeated = findRepeatedResources(sheet_);
    if (repeated.any()) {
        const ui::MessageAnswer answer = ui::messageService().show(
            this, "Advertencia", repeated.message(), ui::MessageButtons::YesNo, ui::MessageIcon::Warning);
        if (answer != ui::MessageAnswer::Yes)
            return false;
    }
    const SaveOutcome outcome = saveAnalysis(db_, item_->code, item_->item, sheet_);
    if (!outcome.ok) {
        ui::messages::failure(this, outcome.message);
        setStatus(outcome.message.section('\n', 0, 0));
        return false;
    }
    sheet_.setModified(false);
    // Each row now shows the stored line the save left it, which is what the next save compares.
    for (Kind kind : kAllKinds)
        render(kind);
    history_->reset();
    setStatus(QStringLiteral("Análisis grabado: %1, %2, %3 de mano de obra, %4 de transporte")
                  .arg(engine::Contar(outcome.stored[0], "material", "materiales"),
                       engine::Contar(outcome.stored[1], "equipo", "equipos"),
                       engine::Contar(outcome.stored[2], "línea", "líneas"),
                       engine::Contar(outcome.stored[3], "línea", "líneas")));
    return true;
}

void frmMateriales::Salir() {
    close();
}

bool frmMateriales::mayLeaveItem() {
    return ui::messages::settleUnsavedChanges(this, item_ && sheet_.isModified(),
                                              [this] { return Grabar(); });
}

bool frmMateriales::settleUnsavedWork() {
    editor_->cancel();
    return mayLeaveItem();
}

void frmMateriales::closeEvent(QCloseEvent* event) {
    editor_->cancel();
    if (!ui::workSettled(this) && !mayLeaveItem()) {
        event->ignore();
        return;
    }
    ui::unhookWheel(this);
    db_.close();
    event->accept();
}

void frmMateriales::reopen(const ui::WindowContext& context) {
    const QString code = argument(context, "txtCod");
    const QString item = argument(context, "txtItem");
    const bool sameProject = db_.isOpen() && store::samePath(context.projectFolder, context_.projectFolder);
    if (sameProject && item_ && item_->code == code && item_->item == item)
        return;
    editor_->cancel();
    // An item that cannot be shown does not cost the user the one being edited.
    if (sameProject) {
        try {
            if (!loadBudgetItem(db_, code, item)) {
                ui::messages::error(this, missingItemMessage(code, item));
                return;
            }
        } catch (const store::StoreError& e) {
            ui::messages::failure(this, e.message());
            return;
        }
    }
    if (!mayLeaveItem())
        return;
    context_ = context;
    if (!sameProject) {
        db_.close();
        if (!openProject(context.projectFolder)) {
            loadItem({}, {});
            return;
        }
    }
    loadItem(code, item);
}

} // namespace korvex::analysis
