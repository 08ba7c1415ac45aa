#include "schedule/frmCronograma2.h"

#include "engine/Engine.h"
#include "engine/Numbers.h"
#include "ui/CellEditor.h"
#include "ui/Grid.h"
#include "ui/GridHistory.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace korvex::schedule {

namespace {

// The background of the amount rows outside the day columns, as scroll bars are drawn.
const QColor kGrisFilaMontos(224, 224, 224);

constexpr int kColumnas = 11;
constexpr int kFilasTotales = 5;
// As many columns as the schedule (the last one, under "RESTANTE", stays empty), so that both
// grids are as wide and scroll as far.
constexpr int kColumnasTotales = 11;

int dayColumn(int index) {
    return frmCronograma2::kColPrimerDia + index;
}
bool isDayColumn(int col) {
    return col >= frmCronograma2::kColPrimerDia && col < dayColumn(kColumnasDias);
}
bool isQuantityRow(int row) {
    return row % 2 == 1;
}

} // namespace

frmCronograma2::frmCronograma2(const ui::WindowContext& context)
    : ScheduleWindow(context, "Cronograma Nuevo", "Cronograma Valorado de Trabajos") {
    // The caption over the day columns lies on a band of its own and follows them sideways; it
    // never makes the window wider than the screen (the grid scrolls instead).
    band_ = new QWidget(this);
    days_ = new QLabel("TIEMPO EN DIAS", band_);
    days_->setObjectName("lblTiempo");
    QFont bold = days_->font();
    bold.setBold(true);
    days_->setFont(bold);
    days_->setAlignment(Qt::AlignCenter);
    band_->setFixedHeight(days_->sizeHint().height());
    body()->addWidget(band_);

    grid_ = new ui::Grid(2, kColumnas, this);
    grid_->setObjectName("msfgCrono");
    grid_->setFixedCols(1);
    body()->addWidget(grid_, 1);

    items_ = new ui::Grid(1, 2, this);
    items_->setObjectName("msfgItems");
    items_->setFixedRows(0);
    items_->hide();

    totales_ = new ui::Grid(kFilasTotales, kColumnasTotales, this);
    totales_->setObjectName("msfgTotales");
    totales_->setFixedCols(1);
    totales_->setFocusPolicy(Qt::NoFocus);
    totales_->setSelectionMode(QAbstractItemView::NoSelection);
    totales_->clearSelection();
    totales_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    totales_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    body()->addWidget(totales_);
    // The label band and the totals follow the schedule sideways, each figure under its column.
    // The totals keep a vertical scroll bar (never needed, so disabled) while the schedule shows
    // one: both then have the same width to scroll in, and reach their right ends together.
    connect(grid_->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int maximum) {
        totales_->setVerticalScrollBarPolicy(maximum > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    });
    connect(totales_->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { totales_->horizontalScrollBar()->setValue(grid_->horizontalScrollBar()->value()); });
    connect(grid_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        totales_->horizontalScrollBar()->setValue(value);
        placeDaysCaption();
    });
    grid_->installEventFilter(this);

    QPushButton* calcular = addButton("cmdCalcular", "Calcular (F5)");
    QPushButton* grabar = addButton("cmdGrabar", "Grabar (F10)");
    QPushButton* salir = addButton("cmdSalir", "Salir (Esc)");
    connect(calcular, &QPushButton::clicked, this, &frmCronograma2::CalcularTotales);
    connect(grabar, &QPushButton::clicked, this, [this] {
        save();
        grid_->setFocus();
    });
    connect(salir, &QPushButton::clicked, this, &QWidget::close);
    connect(grid_, &ui::Grid::keyDown, this, &frmCronograma2::onGridKey);

    editor_ = new ui::CellEditor(this);
    ui::CellEditRules rules;
    rules.canType = [this](int row, int col) {
        return isQuantityRow(row) && isDayColumn(col) && itemAt(row);
    };
    rules.canEditExisting = rules.canType;
    rules.commit = [this](ui::Grid&, int row, int col, const QString& text, const QString&) {
        AsignarCantidad(row, col, text);
    };
    rules.keyAction = [](ui::EditorKey key, bool, int, int) {
        return key == ui::EditorKey::Enter ? ui::KeyAction::Commit : ui::KeyAction::Pass;
    };
    rules.nextCell = [this](ui::EditorKey, int row, int col) -> std::optional<ui::CellPosition> {
        if (col < dayColumn(kColumnasDias - 1))
            return ui::CellPosition{row, col + 1};
        if (itemAt(row + 2))
            return ui::CellPosition{row + 2, kColPrimerDia};
        return std::nullopt;
    };
    editor_->attach(grid_, rules);

    ui::hookWheel(this);
    // The unit prices shown must be the current ones; without project data the stored ones stand.
    const engine::ResultadoRecalculo recalculo = engine::RecalcularPresupuesto(projectFolder());
    if (!recalculo.ok) {
        if (recalculo.title == "Advertencia")
            ui::messages::warning(this, recalculo.message);
        else
            ui::messages::error(this, recalculo.message);
    }
    IniciarGrilla();
    crono_ = CargarCronoItems(db());
    LlenarGrilla();
    fitWidth(grid_, 680);
    // The totals grid only shows figures computed from the schedule: it is not undone.
    history_ = new ui::GridHistory(this, {grid_});
    connect(history_, &ui::GridHistory::restored, this, &frmCronograma2::takeUndoneGrid);
}

void frmCronograma2::takeUndoneGrid() {
    bool changed = false;
    for (int i = 0; i < int(crono_.items.size()); ++i) {
        ItemCrono& item = crono_.items[i];
        for (int c = 0; c < kColumnasDias; ++c) {
            const QString text = grid_->text(2 * i + 1, dayColumn(c));
            std::optional<double>& quantity = item.cantidades[c];
            // A quantity shows fewer decimals than may be stored: a cell back at the text of the
            // loaded quantity is that quantity, not a new one to be written.
            const auto shows = [&text](const std::optional<double>& value) {
                return value && engine::FormatoPrecio(*value) == text;
            };
            if (text.isEmpty())
                quantity.reset();
            else if (shows(item.cargadas[c]))
                quantity = item.cargadas[c];
            else if (!shows(quantity))
                quantity = CantidadDesdeTexto(text);
        }
        changed = changed || item.cantidades != item.cargadas;
    }
    CalcularRestantes();
    setDirty(changed);
}

void frmCronograma2::placeDaysCaption() {
    const QRect first = grid_->cellRect(0, kColPrimerDia, false);
    const int left = grid_->mapTo(this, first.topLeft()).x() - band_->x();
    days_->setGeometry(left, 0, first.width() * kColumnasDias, band_->height());
}

bool frmCronograma2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeDaysCaption();
    return ScheduleWindow::eventFilter(watched, event);
}

ItemCrono* frmCronograma2::itemAt(int row) {
    const int i = (row - 1) / 2;
    if (row < 1 || i >= int(crono_.items.size()))
        return nullptr;
    return &crono_.items[i];
}

void frmCronograma2::IniciarGrilla() {
    QStringList titles{"RUBRO", "CANTIDAD", "PRECIO UNIT.", "PRECIO TOTAL"};
    QList<int> widths{6500, 2700, 2800, 2800};
    for (int c = 0; c < kColumnasDias; ++c) {
        titles << QString::number(30 * (c + 1));
        widths << 1200;
    }
    titles << "RESTANTE";
    widths << 2800;
    grid_->setHeader(titles, widths);
    // Figures are aligned by column: a format per cell cost more than the text on a large project.
    for (int c = kColCantidad; c <= kColRestante; ++c)
        grid_->setColumnAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    for (int c : {kColRubro, kColCantidad})
        grid_->setFontSize(0, c, 7);
    for (int c : {kColPrecio, kColTotal, kColRestante})
        grid_->setFontSize(0, c, 6);

    totales_->setHeader(QStringList(kColumnasTotales, QString()),
                        {2800, 6500, 2700, 2800, 1200, 1200, 1200, 1200, 1200, 1200, 2800});
    totales_->setText(0, 0, "TOTAL");
    totales_->setFontSize(0, 0, 8);
    const QStringList labels{"INVERSIÓN MENSUAL", "AVANCE PARCIAL EN %", "INVERSIÓN ACUMULADA",
                             "AVANCE ACUMULADO EN %"};
    for (int r = 1; r <= labels.size(); ++r) {
        totales_->setText(r, 0, labels[r - 1]);
        totales_->setFontSize(r, 0, 7);
        totales_->setAlignment(r, 0, Qt::AlignLeft | Qt::AlignVCenter);
    }
    const int height =
        totales_->horizontalHeader()->height() + 4 * totales_->verticalHeader()->defaultSectionSize() + 4;
    totales_->setFixedHeight(height);
}

void frmCronograma2::showQuantity(int row, int index) {
    const ItemCrono* item = itemAt(row);
    const int col = dayColumn(index);
    const std::optional<double>& quantity = item->cantidades[index];
    grid_->setText(row, col, quantity ? engine::FormatoPrecio(*quantity) : QString());
    grid_->setText(row + 1, col, quantity ? engine::FormatoPrecio(item->monto(*quantity)) : QString());
}

void frmCronograma2::LlenarGrilla() {
    const int n = int(crono_.items.size());
    grid_->clearData();
    grid_->setRows(2 * n + 1);
    items_->setRows(2 * n + 1);
    for (int i = 0; i < n; ++i) {
        const int r = 2 * i + 1;
        const ItemCrono& item = crono_.items[i];
        items_->setText(r, 0, item.codigoPres);
        items_->setText(r, 1, item.itemPres);
        grid_->setText(r, kColRubro, item.descripcionPres);
        grid_->setText(r, kColCantidad, engine::FormatoPrecio(item.cantidad));
        grid_->setText(r, kColPrecio, engine::FormatoPrecio(item.precioUnitario));
        grid_->setText(r, kColTotal, engine::FormatoPrecio(item.precioTotal()));
        for (int c = 0; c < kColumnasDias; ++c)
            showQuantity(r, c);
        for (int c : {kColRubro, kColCantidad, kColPrecio, kColTotal, kColRestante})
            grid_->setBackColor(r + 1, c, kGrisFilaMontos);
    }
    totales_->setText(0, kColTotal, engine::FormatoPrecio(crono_.totalProyecto));
    totales_->setBold(0, kColTotal, true);
    totales_->setAlignment(0, kColTotal, Qt::AlignRight | Qt::AlignVCenter);
    CalcularRestantes();
    grid_->setCell(n > 0 ? 1 : 0, kColPrimerDia);
    setDirty(false);
    setStatus(engine::Contar(n, "rubro", "rubros"));
}

void frmCronograma2::CalcularRestantes() {
    for (int r = 1; r < grid_->rows(); r += 2)
        CalcularRestante(r);
}

void frmCronograma2::CalcularRestante(int row) {
    const ItemCrono* item = itemAt(row);
    if (!item)
        return;
    const double remaining = item->restante();
    grid_->setText(row, kColRestante, engine::FormatoMoneda(remaining));
    grid_->setForeColor(row, kColRestante, colorRestante(estadoRestante(remaining)));
}

void frmCronograma2::AsignarCantidad(int row, int col, const QString& text) {
    ItemCrono* item = itemAt(row);
    if (!item || !isDayColumn(col))
        return;
    item->cantidades[col - kColPrimerDia] = CantidadDesdeTexto(text);
    showQuantity(row, col - kColPrimerDia);
    CalcularRestante(row);
    setDirty();
}

void frmCronograma2::onGridKey(int key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Escape)
        close();
    else if (key == Qt::Key_F5)
        CalcularTotales();
}

void frmCronograma2::CalcularTotales() {
    editor_->cancel();
    const TotalesItems totals = CalcularTotalesItems(crono_);
    // Every cell is written or emptied, so no figure of an earlier calculation stays behind.
    totales_->setText(3, kColTotal,
                      totals.inversionAcumuladaAntes ? engine::FormatoMoneda(*totals.inversionAcumuladaAntes)
                                                     : QString());
    totales_->setAlignment(3, kColTotal, Qt::AlignRight | Qt::AlignVCenter);
    for (int c = 0; c < kColumnasDias; ++c) {
        const int col = dayColumn(c);
        const std::optional<double> values[] = {totals.inversionMensual[c], totals.avanceParcial[c],
                                                totals.inversionAcumulada[c], totals.avanceAcumulado[c]};
        for (int r = 1; r <= 4; ++r) {
            totales_->setText(r, col, values[r - 1] ? engine::FormatoMoneda(*values[r - 1]) : QString());
            totales_->setAlignment(r, col, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
}

bool frmCronograma2::save() {
    editor_->cancel();
    const ResultadoGrabar result = GrabarCronoValores(db(), crono_);
    if (!result.ok) {
        showSaveFailure("el cronograma", result.message);
        return false;
    }
    history_->reset();
    setDirty(false);
    setStatus("Grabado: cronograma de " + engine::Contar(result.registros, "rubro", "rubros"));
    return true;
}

} // namespace korvex::schedule
