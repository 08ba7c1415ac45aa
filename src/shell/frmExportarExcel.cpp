#include "shell/frmExportarExcel.h"

#include "shell/ops/ProjectWorkbook.h"
#include "ui/Labels.h"
#include "ui/Messages.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::shell {

frmExportarExcel::frmExportarExcel(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context), txtArchivo_(new QLineEdit(this)),
      lblEstado_(ui::namedLabel("lblEstado", {}, this)) {
    const QString project = QDir(context.projectFolder).dirName();
    setWindowTitle("Exportar a Excel - " + project);
    txtArchivo_->setObjectName("txtArchivo");
    txtArchivo_->setText(QDir(context.projectFolder).filePath(project + ".xlsx"));
    auto* cmdExaminar = new QPushButton("...", this);
    cmdExaminar->setObjectName("cmdExaminar");
    auto* cmdExportar = new QPushButton("Exportar", this);
    cmdExportar->setObjectName("cmdExportar");
    auto* cmdSalir = new QPushButton("Salir (Esc)", this);
    cmdSalir->setObjectName("cmdSalir");
    connect(cmdExaminar, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, "Exportar a Excel", txtArchivo_->text(),
                                                          "Libros de Excel (*.xlsx)");
        if (!path.isEmpty())
            txtArchivo_->setText(path.endsWith(".xlsx", Qt::CaseInsensitive) ? path : path + ".xlsx");
    });
    connect(cmdExportar, &QPushButton::clicked, this, &frmExportarExcel::exportWorkbook);
    connect(cmdSalir, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui::titleLabel("lblTitulo", "EXPORTAR EL PROYECTO A EXCEL", this));
    auto* file = new QHBoxLayout;
    file->addWidget(new QLabel("Archivo:", this));
    file->addWidget(txtArchivo_, 1);
    file->addWidget(cmdExaminar);
    layout->addLayout(file);
    auto* grid = new QGridLayout;
    int i = 0;
    for (ExportSheet sheet : allExportSheets()) {
        auto* box = new QCheckBox(exportSheetTitle(sheet), this);
        box->setObjectName("chk" + exportSheetKey(sheet));
        box->setChecked(true);
        box->setProperty("sheetKey", exportSheetKey(sheet));
        sheets_.append(box);
        grid->addWidget(box, i / 3, i % 3);
        ++i;
    }
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblEstado_, 1);
    buttons->addWidget(cmdExportar);
    buttons->addWidget(cmdSalir);
    layout->addLayout(buttons);
    resize(620, 220);
}

bool frmExportarExcel::exportWorkbook() {
    QStringList keys;
    for (const QCheckBox* box : sheets_) {
        if (box->isChecked())
            keys.append(box->property("sheetKey").toString());
    }
    std::vector<ExportSheet> sheets;
    QString unknown;
    if (!parseExportSheets(keys.join(','), sheets, unknown)) {
        ui::messages::warning(this, "Elija al menos una hoja");
        return false;
    }
    const QString path = txtArchivo_->text().trimmed();
    if (path.isEmpty()) {
        ui::messages::warning(this, "Escriba el nombre del archivo");
        return false;
    }
    lblEstado_->setText("Exportando...");
    const engine::Resultado result = exportProjectWorkbook(context_.projectFolder, path, sheets);
    if (!result.ok) {
        lblEstado_->clear();
        ui::messages::error(this, result.message);
        return false;
    }
    lblEstado_->setText(QString("Exportado: %1 hoja(s)").arg(sheets.size()));
    ui::messages::information(this, "Exportar a Excel",
                              QString("Proyecto exportado a %1").arg(QDir::toNativeSeparators(path)));
    close();
    return true;
}

void frmExportarExcel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace korvex::shell
