#pragma once
// "Importar lista de precios": a supplier's price list (.xlsx or .csv) shown as read, with the
// columns it found by their titles (or chosen by hand), a preview of what each row would do to the
// project's prices (F5), and the import itself (F9), which writes the new prices into every line
// of their resources in one save. The matching and the save are shell::importPriceList's; the
// window only moves the choice in and the results out.

#include "exchange/Table.h"
#include "shell/ops/PriceListImport.h"
#include "ui/WindowRegistry.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace korvex::shell {

class frmImportarListaPrecios : public QWidget {
    Q_OBJECT
public:
    explicit frmImportarListaPrecios(const ui::WindowContext& context, QWidget* parent = nullptr);

    // Reads the file of txtArchivo (the sheet of cboHoja once one is read) and takes the columns
    // its titles give; false, after a message, when it cannot be read.
    bool readFile();
    // The column choice of the combo boxes; nullopt, after a message, without description or price.
    std::optional<exchange::PriceColumns> chosenColumns();
    // F5: what the list would change, without saving.
    bool preview();
    // F9: after the user confirms, saves the prices; true when they were saved.
    bool importPrices();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QComboBox* columnBox(const QString& name);
    void fillColumnBoxes();
    void showTable();
    void showOutcome(const PriceImportOutcome& outcome);
    std::optional<PriceImportOutcome> run(bool dryRun);

    ui::WindowContext context_;
    exchange::Table table_;
    QString readPath_;
    QLineEdit* txtArchivo_;
    QComboBox* cboHoja_;
    QComboBox* cboTipo_;
    QComboBox* cboDescripcion_;
    QComboBox* cboUnidad_;
    QComboBox* cboCategoria_;
    QComboBox* cboPrecio_;
    QComboBox* cboColumnaTipo_;
    QTableWidget* msfgVista_;
    QTableWidget* msfgResultado_;
    QLabel* lblEstado_;
};

} // namespace korvex::shell
