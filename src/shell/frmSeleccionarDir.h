#pragma once
// "Seleccionar Proyecto": the user picks the project to take items or prices from. The hidden
// txtOpcion holds the mode the main window opened it in: "1" copy items (accept closes the dialog
// and the opener shows the copy window on sourceFolder()), "0" import prices (accept runs the
// import and closes the dialog). The root folder, the current project and folders without a
// project database are refused, and the dialog stays open.

#include "engine/Engine.h"
#include "ui/WindowRegistry.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvex::shell {

class FolderList;

class frmSeleccionarDir : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kModoCopiar = "1";
    static constexpr const char* kModoPrecios = "0";

    // The mode comes from the context's argument "txtOpcion".
    explicit frmSeleccionarDir(const ui::WindowContext& context, QWidget* parent = nullptr);

    QString modo() const;
    QString sourceFolder() const; // the path of Dir2
    FolderList* folderList() const { return dir2_; }
    // After an accepted import, what it did.
    const engine::ResultadoImportacion& importResult() const { return imported_; }

    void accept() override; // cmdAceptar

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showSource(const QString& path);
    void importPrices();

    ui::WindowContext context_;
    engine::ResultadoImportacion imported_;
    QLineEdit* txtOpcion_ = nullptr;
    FolderList* dir2_ = nullptr;
    QLabel* lblOrigen_ = nullptr;
    QLabel* lblDestino_ = nullptr;
    QPushButton* cmdAceptar_ = nullptr;
    QPushButton* cmdCancelar_ = nullptr;
};

} // namespace korvex::shell
