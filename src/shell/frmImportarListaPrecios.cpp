#include "shell/frmImportarListaPrecios.h"

#include "exchange/PriceListReading.h"
#include "exchange/SpreadsheetFile.h"
#include "exchange/Workbook.h"
#include "store/WriteGuard.h"
#include "ui/Labels.h"
#include "ui/Messages.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvex::shell {

namespace {

constexpr int kPreviewRows = 500; // rows of the file shown; all of them are imported
const char* const kNone = "(ninguna)";

QTableWidget* newGrid(const QString& name, QWidget* parent) {
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    return grid;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

frmImportarListaPrecios::frmImportarListaPrecios(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context), txtArchivo_(new QLineEdit(this)), cboHoja_(new QComboBox(this)),
      cboTipo_(new QComboBox(this)), cboDescripcion_(columnBox("cboDescripcion")),
      cboUnidad_(columnBox("cboUnidad")), cboCategoria_(columnBox("cboCategoria")),
      cboPrecio_(columnBox("cboPrecio")), cboColumnaTipo_(columnBox("cboColumnaTipo")),
      msfgVista_(newGrid("msfgVista", this)), msfgResultado_(newGrid("msfgResultado", this)),
      lblEstado_(ui::namedLabel("lblEstado", {}, this)) {
    setWindowTitle("Importar lista de precios - " + QDir(context.projectFolder).dirName());
    txtArchivo_->setObjectName("txtArchivo");
    cboHoja_->setObjectName("cboHoja");
    cboTipo_->setObjectName("cboTipo");
    cboTipo_->addItems({"Materiales", "Equipo", "Mano de obra", "Transporte"});
    msfgResultado_->setColumnCount(6);
    msfgResultado_->setHorizontalHeaderLabels(
        {"RESULTADO", "TIPO", "DESCRIPCION", "UNIDAD / CATEGORIA", "PRECIO ANTERIOR", "PRECIO NUEVO"});
    msfgResultado_->verticalHeader()->hide();
    msfgResultado_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);

    auto* cmdExaminar = button("cmdExaminar", "...", this);
    auto* cmdLeer = button("cmdLeer", "Leer", this);
    auto* cmdVistaPrevia = button("cmdVistaPrevia", "Vista previa (F5)", this);
    auto* cmdImportar = button("cmdImportar", "Importar (F9)", this);
    auto* cmdSalir = button("cmdSalir", "Salir (Esc)", this);
    connect(cmdExaminar, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, "Lista de precios", context_.projectFolder,
                                                          "Listas de precios (*.xlsx *.csv *.txt)");
        if (!path.isEmpty()) {
            txtArchivo_->setText(path);
            readFile();
        }
    });
    connect(cmdLeer, &QPushButton::clicked, this, &frmImportarListaPrecios::readFile);
    connect(txtArchivo_, &QLineEdit::returnPressed, this, &frmImportarListaPrecios::readFile);
    connect(cboHoja_, &QComboBox::activated, this, &frmImportarListaPrecios::readFile);
    connect(cmdVistaPrevia, &QPushButton::clicked, this, &frmImportarListaPrecios::preview);
    connect(cmdImportar, &QPushButton::clicked, this, &frmImportarListaPrecios::importPrices);
    connect(cmdSalir, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui::titleLabel("lblTitulo", "IMPORTAR LISTA DE PRECIOS", this));
    auto* file = new QHBoxLayout;
    file->addWidget(new QLabel("Archivo:", this));
    file->addWidget(txtArchivo_, 1);
    file->addWidget(cmdExaminar);
    file->addWidget(cmdLeer);
    file->addWidget(new QLabel("Hoja:", this));
    file->addWidget(cboHoja_);
    layout->addLayout(file);
    auto* columns = new QHBoxLayout;
    const QList<std::pair<const char*, QComboBox*>> boxes = {{"Descripción:", cboDescripcion_},
                                                             {"Unidad:", cboUnidad_},
                                                             {"Categoría:", cboCategoria_},
                                                             {"Precio:", cboPrecio_},
                                                             {"Tipo:", cboColumnaTipo_}};
    for (const auto& [caption, box] : boxes) {
        columns->addWidget(new QLabel(caption, this));
        columns->addWidget(box, 1);
    }
    columns->addWidget(new QLabel("Filas sin tipo:", this));
    columns->addWidget(cboTipo_);
    layout->addLayout(columns);
    layout->addWidget(msfgVista_, 3);
    layout->addWidget(msfgResultado_, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblEstado_, 1);
    buttons->addWidget(cmdVistaPrevia);
    buttons->addWidget(cmdImportar);
    buttons->addWidget(cmdSalir);
    layout->addLayout(buttons);
    resize(1000, 640);
}

QComboBox* frmImportarListaPrecios::columnBox(const QString& name) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->addItem(kNone, -1);
    return box;
}

bool frmImportarListaPrecios::readFile() {
    const QString path = txtArchivo_->text().trimmed();
    // Another file starts on its first sheet; the same file on the sheet chosen.
    const QString sheet = path == readPath_ ? cboHoja_->currentText() : QString();
    const exchange::ReadOutcome read = exchange::readSpreadsheetFile(path, sheet);
    if (!read.ok) {
        ui::messages::error(this, read.message);
        return false;
    }
    table_ = read.table;
    readPath_ = path;
    cboHoja_->clear();
    cboHoja_->addItems(table_.sheetNames);
    cboHoja_->setCurrentText(table_.sheetName);
    cboHoja_->setEnabled(!table_.sheetNames.isEmpty());
    fillColumnBoxes();
    showTable();
    msfgResultado_->setRowCount(0);
    lblEstado_->setText(QString("%1 fila(s) leída(s)").arg(table_.rows.size()));
    return true;
}

void frmImportarListaPrecios::fillColumnBoxes() {
    const exchange::PriceListReading found = exchange::readPriceList(table_, {});
    const exchange::TableRow* titles = nullptr;
    for (const exchange::TableRow& row : table_.rows) {
        if (row.number == found.titleRow)
            titles = &row;
    }
    const int columns = table_.columnCount();
    const auto fill = [&](QComboBox* box, int chosen) {
        box->clear();
        box->addItem(kNone, -1);
        for (int col = 0; col < columns; ++col) {
            const QString title = titles ? titles->cell(col).asText().simplified() : QString();
            box->addItem(title.isEmpty() ? exchange::columnName(col)
                                         : QString("%1 «%2»").arg(exchange::columnName(col), title.left(30)),
                         col);
        }
        box->setCurrentIndex(chosen + 1);
    };
    const exchange::PriceColumns c = found.titleRow > 0 ? found.columns : exchange::PriceColumns{};
    fill(cboDescripcion_, c.description);
    fill(cboUnidad_, c.unit);
    fill(cboCategoria_, c.category);
    fill(cboPrecio_, c.price);
    fill(cboColumnaTipo_, c.kind);
}

void frmImportarListaPrecios::showTable() {
    const int columns = table_.columnCount();
    const int rows = std::min<int>(int(table_.rows.size()), kPreviewRows);
    msfgVista_->clear();
    msfgVista_->setColumnCount(columns);
    msfgVista_->setRowCount(rows);
    QStringList letters;
    for (int col = 0; col < columns; ++col)
        letters.append(exchange::columnName(col));
    msfgVista_->setHorizontalHeaderLabels(letters);
    QStringList numbers;
    for (int r = 0; r < rows; ++r) {
        const exchange::TableRow& row = table_.rows[std::size_t(r)];
        numbers.append(QString::number(row.number));
        for (int col = 0; col < int(row.cells.size()); ++col) {
            if (!row.cells[std::size_t(col)].isEmpty())
                msfgVista_->setItem(r, col, new QTableWidgetItem(row.cells[std::size_t(col)].asText()));
        }
    }
    msfgVista_->setVerticalHeaderLabels(numbers);
}

std::optional<exchange::PriceColumns> frmImportarListaPrecios::chosenColumns() {
    exchange::PriceColumns c;
    c.description = cboDescripcion_->currentData().toInt();
    c.unit = cboUnidad_->currentData().toInt();
    c.category = cboCategoria_->currentData().toInt();
    c.price = cboPrecio_->currentData().toInt();
    c.kind = cboColumnaTipo_->currentData().toInt();
    if (!c.usable()) {
        ui::messages::warning(this, "Elija las columnas de la descripción y del precio");
        return std::nullopt;
    }
    return c;
}

std::optional<PriceImportOutcome> frmImportarListaPrecios::run(bool dryRun) {
    if (readPath_.isEmpty() && !readFile())
        return std::nullopt;
    const std::optional<exchange::PriceColumns> columns = chosenColumns();
    if (!columns)
        return std::nullopt;
    PriceImportOptions options;
    options.columns = columns;
    options.kind = static_cast<engine::TipoRecurso>(cboTipo_->currentIndex());
    options.dryRun = dryRun;
    PriceImportOutcome outcome = importPriceList(context_.projectFolder, table_, options);
    if (!outcome.ok) {
        ui::messages::error(this, outcome.message);
        return std::nullopt;
    }
    showOutcome(outcome);
    return outcome;
}

void frmImportarListaPrecios::showOutcome(const PriceImportOutcome& outcome) {
    const PriceImportPlan& plan = outcome.plan;
    msfgResultado_->setRowCount(int(plan.updates.size() + plan.unmatched.size()));
    int r = 0;
    const auto put = [&](const QStringList& cells) {
        for (int col = 0; col < cells.size(); ++col)
            msfgResultado_->setItem(r, col, new QTableWidgetItem(cells[col]));
        ++r;
    };
    for (const PriceUpdate& u : plan.updates)
        put({outcome.applied ? "Actualizado" : "Se actualizará", exchange::kindName(u.kind), u.description,
             u.second, u.oldPrice, u.newPrice});
    for (const UnmatchedRow& u : plan.unmatched)
        put({"Sin coincidencia", QString("fila %1").arg(u.row), u.description});
    QString status = QString("%1 recurso(s), %2 fila(s) sin coincidencia, %3 fila(s) sin precio")
                         .arg(plan.updates.size())
                         .arg(plan.unmatched.size())
                         .arg(plan.withoutPrice);
    if (outcome.applied)
        status = QString("Precios grabados: %1 línea(s) cambiada(s); ").arg(outcome.linesChanged) + status;
    lblEstado_->setText(status);
}

bool frmImportarListaPrecios::preview() {
    return run(true).has_value();
}

bool frmImportarListaPrecios::importPrices() {
    if (store::isReadOnly(context_.projectFolder)) {
        ui::messages::error(this, store::readOnlyMessage());
        return false;
    }
    const std::optional<PriceImportOutcome> planned = run(true);
    if (!planned)
        return false;
    if (planned->plan.updates.empty()) {
        ui::messages::warning(this, "La lista no tiene precios para ningún recurso del proyecto");
        return false;
    }
    if (!ui::messages::confirm(this, QString("¿Grabar los precios de %1 recurso(s) en todas sus líneas?")
                                         .arg(planned->plan.updates.size())))
        return false;
    const std::optional<PriceImportOutcome> saved = run(false);
    return saved && saved->applied;
}

void frmImportarListaPrecios::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_F5:
        preview();
        return;
    case Qt::Key_F9:
        importPrices();
        return;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace korvex::shell
