#include "shell/frmNuevaCarpeta.h"

#include "store/ProjectFolders.h"
#include "ui/Messages.h"

#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::shell {

frmNuevaCarpeta::frmNuevaCarpeta(const QString& parentFolder, const QString& rootFolder, QWidget* parent)
    : QDialog(parent), parentFolder_(parentFolder), root_(rootFolder), txtNuevaCarpeta_(new QLineEdit(this)) {
    setObjectName("frmNuevaCarpeta");
    setWindowTitle("Nuevo Proyecto");
    setModal(true);

    auto* ask = new QLabel("Ingrese un Nombre para el Nuevo Proyecto", this);
    ask->setObjectName("lblNombre");
    QFont bold = ask->font();
    bold.setBold(true);
    ask->setFont(bold);
    txtNuevaCarpeta_->setObjectName("txtNuevaCarpeta");
    txtNuevaCarpeta_->setMinimumWidth(460);
    txtNuevaCarpeta_->installEventFilter(this);
    auto* where =
        new QLabel("Su nuevo proyecto sera creado en " + QDir::toNativeSeparators(parentFolder), this);
    where->setObjectName("lblUbicacion");
    where->setWordWrap(true);

    auto* cmdAceptar = new QPushButton("Aceptar (Enter)", this);
    cmdAceptar->setObjectName("cmdAceptar");
    auto* cmdCancelar = new QPushButton("Cancelar (Esc)", this);
    cmdCancelar->setObjectName("cmdCancelar");
    for (QPushButton* button : {cmdAceptar, cmdCancelar}) {
        // Enter on a focused button presses it; Enter in the name box is handled below.
        button->setAutoDefault(true);
        button->setMinimumSize(130, 30);
    }
    connect(cmdAceptar, &QPushButton::clicked, this, &frmNuevaCarpeta::accept);
    connect(cmdCancelar, &QPushButton::clicked, this, &frmNuevaCarpeta::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdAceptar);
    buttons->addWidget(cmdCancelar);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(10);
    layout->addWidget(ask);
    layout->addWidget(txtNuevaCarpeta_);
    layout->addWidget(where);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    txtNuevaCarpeta_->setFocus();
}

void frmNuevaCarpeta::accept() {
    const QString typed = txtNuevaCarpeta_->text();
    const store::FolderResult result = store::createProject(parentFolder_, typed, root_);
    if (result.ok) {
        created_ = result.path;
        QDialog::accept();
        return;
    }
    if (result.title == "Advertencia")
        ui::messages::warning(this, result.message);
    else if (result.title == "Error")
        ui::messages::error(this, result.message);
    else
        ui::messageService().show(this, ui::kApplicationTitle, result.message, ui::MessageButtons::Ok,
                                  ui::MessageIcon::Warning);
    if (result.message.endsWith(" ya existe"))
        txtNuevaCarpeta_->clear();
    txtNuevaCarpeta_->setFocus();
}

bool frmNuevaCarpeta::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtNuevaCarpeta_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace korvex::shell
