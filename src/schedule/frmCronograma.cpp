#include "schedule/frmCronograma.h"

#include "engine/Numbers.h"
#include "ui/CellEditor.h"
#include "ui/Grid.h"
#include "ui/GridHistory.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace korvex::schedule {

namespace {

constexpr int kAnchoDescripcion = 6500;
constexpr int kAnchoPeriodo = 1200;

bool isBarText(const QString& text) {
    return !text.isEmpty() && text.size() <= kMaxSemanas && text.count('-') == text.size();
}

// Paints a bar cell as a raised bar of one quarter of the period per week, starting at the left
// edge of the period, so that the bars of consecutive periods join up like a Gantt chart.
class BarDelegate : public QStyledItemDelegate {
public:
    explicit BarDelegate(ui::Grid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int row = index.row() + grid_->fixedRows();
        const QString text = index.data(Qt::DisplayRole).toString();
        if (row % 2 == 1 || index.column() == 0 || !isBarText(text)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // The cell as usual (background, selection, grid) without its dashes, then the bar.
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, widget);

        const QRect cell = option.rect;
        const int height = std::max(6, cell.height() * 3 / 5);
        const int width = cell.width() * int(text.size()) / kMaxSemanas;
        const QRect bar(cell.left(), cell.top() + (cell.height() - height) / 2, width, height);
        painter->save();
        painter->fillRect(bar, QColor(40, 70, 140));
        painter->setPen(QColor(150, 180, 230)); // light upper edge: the raised look
        painter->drawLine(bar.topLeft(), bar.topRight());
        painter->setPen(QColor(15, 30, 70));
        painter->drawLine(bar.bottomLeft(), bar.bottomRight());
        painter->restore();
    }

private:
    ui::Grid* grid_;
};

} // namespace

QFont frmCronograma::fuenteBarra(const QFont& base) {
    QFont font = base;
    font.setPointSize(50);
    font.setStretch(QFont::UltraCondensed);
    return font;
}

frmCronograma::frmCronograma(const ui::WindowContext& context)
    : ScheduleWindow(context, "Cronograma Valorado de Trabajos", "Cronograma Valorado de Trabajos") {
    auto* top = new QHBoxLayout;
    auto* tipo = new QLabel("Tipo de Periodos", this);
    txtPeriodo_ = new QLineEdit(this);
    txtPeriodo_->setObjectName("txtPeriodo");
    txtPeriodo_->setMaximumWidth(ui::twipsToPixels(2400, this));
    tipo->setBuddy(txtPeriodo_);
    top->addWidget(tipo);
    top->addWidget(txtPeriodo_);
    top->addStretch(1);
    auto* periodos = new QLabel("Periodos", this);
    QFont bold = periodos->font();
    bold.setBold(true);
    periodos->setFont(bold);
    top->addWidget(periodos);
    top->addStretch(2);
    body()->addLayout(top);

    grid_ = new ui::Grid(kFilasDiseno, 1 + kPeriodos, this);
    grid_->setObjectName("msfgCrono");
    grid_->setFixedCols(1);
    grid_->setItemDelegate(new BarDelegate(grid_));
    body()->addWidget(grid_, 1);

    // The printed schedule values the periods at the budget's prices; here they are at direct
    // cost, and saying so keeps anyone from comparing the two figures unawares.
    auto* base = new QLabel(kBaseCostoDirecto, this);
    base->setObjectName("lblBase");
    body()->addWidget(base);

    totales_ = new ui::Grid(3, 1 + kPeriodos, this);
    totales_->setObjectName("msfgTotales");
    totales_->setFixedCols(1);
    totales_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    totales_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    totales_->setFocusPolicy(Qt::NoFocus);
    totales_->setSelectionMode(QAbstractItemView::NoSelection);
    totales_->clearSelection();
    body()->addWidget(totales_);
    // The totals scroll sideways with the schedule, so each amount stays under its period.
    connect(grid_->horizontalScrollBar(), &QScrollBar::valueChanged, totales_->horizontalScrollBar(),
            &QScrollBar::setValue);

    QPushButton* grabar = addButton("cmdGrabar", "Grabar (F9)");
    QPushButton* pres = addButton("cmdPres", "Presupuesto (F5)");
    QPushButton* salir = addButton("cmdSalir", "Salir (Esc)");
    connect(grabar, &QPushButton::clicked, this, [this] {
        save();
        grid_->setFocus();
    });
    connect(pres, &QPushButton::clicked, this, &frmCronograma::ValidarPorcentajes);
    connect(salir, &QPushButton::clicked, this, &QWidget::close);
    connect(grid_, &ui::Grid::keyDown, this, &frmCronograma::onGridKey);
    connect(grid_, &ui::Grid::characterTyped, this, &frmCronograma::onCharacter);
    connect(txtPeriodo_, &QLineEdit::textEdited, this, [this] { setDirty(); });

    editor_ = new ui::CellEditor(this);
    ui::CellEditRules rules;
    rules.canType = [this](int row, int col) { return col >= 1 && isPercentageRow(row) && groupAt(row); };
    rules.commit = [this](ui::Grid&, int row, int col, const QString& text, const QString&) {
        commitPercentage(row, col, text);
    };
    rules.keyAction = [](ui::EditorKey key, bool existing, int, int) {
        if (key != ui::EditorKey::Enter && existing)
            return ui::KeyAction::Pass;
        return ui::KeyAction::Commit;
    };
    rules.nextCell = [this](ui::EditorKey key, int row, int col) -> std::optional<ui::CellPosition> {
        switch (key) {
        case ui::EditorKey::Enter:
            break;
        case ui::EditorKey::Left:
            return col > 1 ? std::optional(ui::CellPosition{row, col - 1}) : std::nullopt;
        case ui::EditorKey::Right:
            return col < kPeriodos ? std::optional(ui::CellPosition{row, col + 1}) : std::nullopt;
        case ui::EditorKey::Up:
            return row > 1 ? std::optional(ui::CellPosition{row - 1, col}) : std::nullopt;
        case ui::EditorKey::Down:
            return row < grid_->rows() - 1 ? std::optional(ui::CellPosition{row + 1, col}) : std::nullopt;
        }
        return std::nullopt;
    };
    editor_->attach(grid_, rules);

    crono_ = CargarCronograma(db());
    txtPeriodo_->setText(crono_.periodoTipo);
    IniciarGrilla();
    IniciarTotales();
    LlenarGrilla();
    fitWidth(grid_, 660);
    // The totals grid only shows figures computed from the schedule: it is not undone.
    history_ = new ui::GridHistory(this, {grid_});
    connect(history_, &ui::GridHistory::restored, this, &frmCronograma::takeUndoneGrid);
}

void frmCronograma::takeUndoneGrid() {
    int periodos = periodosGrabados_;
    for (int g = 0; g < int(crono_.grupos.size()); ++g) {
        const int r = 2 * g + 1;
        GrupoCrono& grupo = crono_.grupos[g];
        for (int p = 1; p <= kPeriodos; ++p) {
            grupo.porcentajes[p - 1] = grid_->text(r, p);
            const QString bar = grid_->text(r + 1, p);
            grupo.semanas[p - 1] = isBarText(bar) ? int(bar.size()) : 0;
            showBar(r + 1, p);
            if (engine::ConvertirNumero(grupo.porcentajes[p - 1]))
                periodos = std::max(periodos, p);
        }
    }
    crono_.periodos = periodos;
    setDirty(differsFromSaved());
}

bool frmCronograma::differsFromSaved() const {
    if (txtPeriodo_->text() != crono_.periodoTipoCargado ||
        crono_.grupos.size() != crono_.gruposCargados.size())
        return true;
    for (std::size_t g = 0; g < crono_.grupos.size(); ++g) {
        const GrupoCrono& now = crono_.grupos[g];
        const GrupoCrono& saved = crono_.gruposCargados[g];
        if (now.porcentajes != saved.porcentajes || now.semanas != saved.semanas)
            return true;
    }
    return false;
}

GrupoCrono* frmCronograma::groupAt(int row) {
    const int g = (row - 1) / 2;
    if (row < 1 || g >= int(crono_.grupos.size()))
        return nullptr;
    return &crono_.grupos[g];
}

void frmCronograma::IniciarGrilla() {
    QStringList titles{"DESCRIPCION"};
    QList<int> widths{kAnchoDescripcion};
    for (int p = 1; p <= kPeriodos; ++p) {
        titles << QString::number(p);
        widths << kAnchoPeriodo;
    }
    grid_->setHeader(titles, widths);
}

void frmCronograma::IniciarTotales() {
    QStringList titles{""};
    QList<int> widths{kAnchoDescripcion};
    for (int p = 1; p <= kPeriodos; ++p) {
        titles << QString::number(p);
        widths << kAnchoPeriodo;
    }
    totales_->setHeader(titles, widths);
    totales_->setText(1, 0, "TOTAL PARCIAL");
    totales_->setBold(1, 0, true);
    totales_->setText(2, 0, "TOTAL ACUMULADO");
    const int height =
        totales_->horizontalHeader()->height() + 2 * totales_->verticalHeader()->defaultSectionSize() + 4;
    totales_->setFixedHeight(height);
}

void frmCronograma::showBar(int row, int period) {
    const GrupoCrono* grupo = groupAt(row);
    const QString bar = grupo ? barraSemanas(grupo->semanas[period - 1]) : QString();
    grid_->setText(row, period, bar);
    if (!bar.isEmpty()) {
        grid_->setCellFont(row, period, fuenteBarra(grid_->font()));
        grid_->setAlignment(row, period, Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void frmCronograma::LlenarGrilla() {
    grid_->clearData();
    grid_->setRows(std::max(kFilasDiseno, 2 * int(crono_.grupos.size()) + 1));
    for (int g = 0; g < int(crono_.grupos.size()); ++g) {
        const int r = 2 * g + 1;
        const GrupoCrono& grupo = crono_.grupos[g];
        grid_->setText(r, 0, kEtiquetaPorcentajes);
        grid_->setAlignment(r, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid_->setText(r + 1, 0, grupo.descripcion);
        for (int p = 1; p <= kPeriodos; ++p) {
            grid_->setText(r, p, grupo.porcentajes[p - 1]);
            grid_->setAlignment(r, p, Qt::AlignCenter);
            showBar(r + 1, p);
        }
    }
    grid_->setCell(1, 1);
    periodosGrabados_ = crono_.periodos;
    setDirty(false);
    setStatus(engine::Contar(crono_.grupos.size(), "grupo", "grupos"));
}

void frmCronograma::commitPercentage(int row, int col, const QString& typed) {
    GrupoCrono* grupo = groupAt(row);
    if (!grupo || col < 1 || col > kPeriodos)
        return;
    const QString text = typed.trimmed();
    const std::optional<double> value = engine::ConvertirNumero(text);
    if (value && *value < 0) {
        ui::messages::warning(this, kPorcentajeNegativo);
        return;
    }
    grupo->porcentajes[col - 1] = value ? text : QString();
    grid_->setText(row, col, grupo->porcentajes[col - 1]);
    grid_->setAlignment(row, col, Qt::AlignCenter);
    if (value && col > crono_.periodos)
        crono_.periodos = col;
    setDirty();
}

void frmCronograma::onCharacter(const QString& text) {
    const int row = grid_->row();
    const int col = grid_->col();
    GrupoCrono* grupo = groupAt(row);
    if (text != "-" || col < 1 || isPercentageRow(row) || !grupo)
        return;
    int& weeks = grupo->semanas[col - 1];
    if (weeks >= kMaxSemanas)
        return;
    ++weeks;
    showBar(row, col);
    setDirty();
}

void frmCronograma::onGridKey(int key, Qt::KeyboardModifiers) {
    switch (key) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_F5:
        ValidarPorcentajes();
        return;
    case Qt::Key_Backspace: {
        const int row = grid_->row();
        const int col = grid_->col();
        GrupoCrono* grupo = groupAt(row);
        if (!grupo || col < 1 || isPercentageRow(row) || grupo->semanas[col - 1] == 0)
            return;
        --grupo->semanas[col - 1];
        showBar(row, col);
        setDirty();
        return;
    }
    default:
        return;
    }
}

bool frmCronograma::ValidarPorcentajes() {
    editor_->cancel();
    if (const auto failing = GrupoConErrorDePorcentaje(crono_)) {
        ui::messages::warning(this, MensajeErrorPorcentaje(crono_.grupos[*failing]));
        grid_->setCell(1, 1);
        grid_->setFocus();
        return false;
    }
    CalcularTotales();
    return true;
}

void frmCronograma::LimpiarTotales() {
    for (int p = 1; p <= kPeriodos; ++p) {
        totales_->setText(1, p, {});
        totales_->setText(2, p, {});
    }
}

void frmCronograma::CalcularTotales() {
    LimpiarTotales();
    TotalesPeriodo totals;
    try {
        totals = CalcularTotalesCrono(crono_, CostosDirectosGrupos(projectFolder(), crono_));
    } catch (const store::StoreError& error) {
        ui::messages::failure(this, error.message());
        return;
    }
    for (int p = 1; p <= kPeriodos; ++p) {
        for (int r : {1, 2}) {
            const auto& value = r == 1 ? totals.parcial[p - 1] : totals.acumulado[p - 1];
            if (!value)
                continue;
            totales_->setText(r, p, engine::FormatoGrupo(*value));
            totales_->setAlignment(r, p, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
}

bool frmCronograma::save() {
    editor_->cancel();
    crono_.periodoTipo = txtPeriodo_->text();
    const ResultadoGrabar result = GrabarCronograma(db(), crono_);
    if (!result.ok) {
        showSaveFailure("el cronograma", result.message);
        return false;
    }
    periodosGrabados_ = crono_.periodos;
    history_->reset();
    setDirty(false);
    setStatus("Grabado: " + engine::Contar(result.registros, "periodo con trabajo", "periodos con trabajo"));
    return true;
}

} // namespace korvex::schedule
