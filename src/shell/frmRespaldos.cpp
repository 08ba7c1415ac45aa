#include "shell/frmRespaldos.h"

#include "store/Backups.h"
#include "store/Database.h"
#include "store/WriteGuard.h"
#include "ui/Labels.h"
#include "ui/Messages.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvex::shell {

frmRespaldos::frmRespaldos(const ui::WindowContext& context, ui::WindowRegistry& registry, QWidget* parent)
    : QWidget(parent), context_(context), registry_(registry), msfgRespaldos_(new QTableWidget(0, 4, this)),
      cmdRestaurar_(new QPushButton("Restaurar", this)), lblEstado_(ui::namedLabel("lblEstado", {}, this)) {
    setWindowTitle("Restaurar respaldo - " + QDir(context.projectFolder).dirName());
    msfgRespaldos_->setObjectName("msfgRespaldos");
    msfgRespaldos_->setHorizontalHeaderLabels({"ARCHIVO", "FECHA", "TAMAÑO (bytes)", "RUBROS"});
    msfgRespaldos_->setSelectionBehavior(QAbstractItemView::SelectRows);
    msfgRespaldos_->setSelectionMode(QAbstractItemView::SingleSelection);
    msfgRespaldos_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    msfgRespaldos_->verticalHeader()->hide();
    msfgRespaldos_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    cmdRestaurar_->setObjectName("cmdRestaurar");
    auto* cmdSalir = new QPushButton("Salir (Esc)", this);
    cmdSalir->setObjectName("cmdSalir");
    connect(cmdRestaurar_, &QPushButton::clicked, this, &frmRespaldos::restoreSelected);
    connect(cmdSalir, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui::titleLabel("lblTitulo", "RESPALDOS DEL PROYECTO", this));
    layout->addWidget(msfgRespaldos_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblEstado_, 1);
    buttons->addWidget(cmdRestaurar_);
    buttons->addWidget(cmdSalir);
    layout->addLayout(buttons);
    resize(720, 420);
    load();
}

void frmRespaldos::load() {
    const QList<store::BackupInfo> backups = store::listBackups(context_.projectFolder, true);
    msfgRespaldos_->setRowCount(int(backups.size()));
    for (int row = 0; row < backups.size(); ++row) {
        const store::BackupInfo& b = backups[row];
        const QStringList cells{b.fileName, b.taken.toString("dd/MM/yyyy HH:mm:ss"), QString::number(b.size),
                                b.items ? QString::number(*b.items) : QString("?")};
        for (int column = 0; column < cells.size(); ++column)
            msfgRespaldos_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    if (!backups.isEmpty())
        msfgRespaldos_->selectRow(0);
    cmdRestaurar_->setEnabled(!backups.isEmpty());
    lblEstado_->setText(backups.isEmpty() ? "El proyecto no tiene respaldos"
                                          : QString("%1 respaldo(s)").arg(backups.size()));
}

bool frmRespaldos::restoreSelected() {
    const int row = msfgRespaldos_->currentRow();
    if (row < 0 || !msfgRespaldos_->item(row, 0))
        return false;
    const QString name = msfgRespaldos_->item(row, 0)->text();
    if (store::isReadOnly(context_.projectFolder)) {
        ui::messages::error(this, store::readOnlyMessage());
        return false;
    }
    QStringList others;
    for (const QWidget* window : registry_.windowsOn(context_.projectFolder))
        if (window != this)
            others << QString("«%1»").arg(window->windowTitle());
    if (!others.isEmpty()) {
        ui::messages::error(this, "Cierre las ventanas del proyecto antes de restaurar un respaldo: " +
                                      others.join(", "));
        return false;
    }
    if (!ui::messages::confirm(
            this, QString("¿Restaurar el respaldo %1? El archivo actual se respaldará antes.").arg(name)))
        return false;
    try {
        store::restoreBackup(context_.projectFolder, name);
    } catch (const store::StoreError& error) {
        ui::messages::failure(this, error.message());
        return false;
    }
    load();
    lblEstado_->setText("Restaurado " + name);
    return true;
}

void frmRespaldos::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace korvex::shell
