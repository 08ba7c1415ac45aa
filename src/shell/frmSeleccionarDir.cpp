#include "shell/frmSeleccionarDir.h"

#include "shell/FolderLists.h"
#include "shell/ops/CopyItems.h"
#include "ui/Labels.h"
#include "ui/Messages.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace korvex::shell {

namespace {

QLabel* makeCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QLabel* makePathLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setMinimumWidth(420);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void showRefusal(QWidget* parent, const engine::Resultado& result) {
    ui::messageService().show(parent, result.title.isEmpty() ? QStringLiteral("Error") : result.title,
                              result.message, ui::MessageButtons::Ok, ui::MessageIcon::Information);
}

} // namespace

frmSeleccionarDir::frmSeleccionarDir(const ui::WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName("frmSeleccionarDir");
    setWindowTitle("Seleccionar Proyecto");
    setModal(true);

    txtOpcion_ = new QLineEdit(context.arguments.value("txtOpcion", kModoCopiar).toString(), this);
    txtOpcion_->setObjectName("txtOpcion");
    txtOpcion_->hide();

    dir2_ = new FolderList(this);
    dir2_->setObjectName("Dir2");
    dir2_->setRootFolder(context.rootFolder);
    dir2_->setMinimumSize(520, 300);
    dir2_->installEventFilter(this);
    lblOrigen_ = makePathLabel("lblOrigen", this);
    lblDestino_ = makePathLabel("lblDestino", this);
    lblDestino_->setText(QDir::toNativeSeparators(context.projectFolder));
    connect(dir2_, &FolderList::pathChanged, this, &frmSeleccionarDir::showSource);

    cmdAceptar_ = ui::commandButton("cmdAceptar", "Aceptar", this);
    cmdCancelar_ = ui::commandButton("cmdCancelar", "Cancelar", this);
    connect(cmdAceptar_, &QPushButton::clicked, this, &frmSeleccionarDir::accept);
    connect(cmdCancelar_, &QPushButton::clicked, this, &frmSeleccionarDir::reject);

    auto* paths = new QGridLayout;
    paths->addWidget(makeCaption("Origen : ", this), 0, 0);
    paths->addWidget(lblOrigen_, 0, 1);
    paths->addWidget(makeCaption("Destino : ", this), 1, 0);
    paths->addWidget(lblDestino_, 1, 1);
    paths->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdAceptar_);
    buttons->addWidget(cmdCancelar_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(10);
    layout->addWidget(dir2_, 1);
    layout->addLayout(paths);
    layout->addLayout(buttons);

    dir2_->setPath(context.rootFolder);
    showSource(dir2_->path());
    dir2_->setFocus();
}

QString frmSeleccionarDir::modo() const {
    return txtOpcion_->text();
}

QString frmSeleccionarDir::sourceFolder() const {
    return dir2_->path();
}

void frmSeleccionarDir::showSource(const QString& path) {
    lblOrigen_->setText(QDir::toNativeSeparators(path));
}

void frmSeleccionarDir::accept() {
    const engine::Resultado check =
        checkSourceProject(sourceFolder(), context_.projectFolder, context_.rootFolder);
    if (!check.ok) {
        showRefusal(this, check);
        return;
    }
    if (modo() == kModoPrecios) {
        importPrices();
        return;
    }
    QDialog::accept();
}

void frmSeleccionarDir::importPrices() {
    try {
        imported_ = engine::ImportarPrecios(context_.projectFolder, sourceFolder());
    } catch (const std::exception& error) {
        imported_ = {};
        imported_.ok = false;
        imported_.message = QString::fromLocal8Bit(error.what());
    }
    if (!imported_.ok) {
        // Nothing was written; the user may pick another project.
        ui::messages::error(this, imported_.message);
        return;
    }
    QDialog::accept();
}

bool frmSeleccionarDir::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dir2_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            dir2_->setPath(dir2_->highlightedPath());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace korvex::shell
