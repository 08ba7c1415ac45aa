#include "budget/frmAnalisis.h"

#include "budget/BudgetItems.h"
#include "ui/Grid.h"
#include "ui/Labels.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvex::budget {

namespace {
constexpr int kFilasDiseno = 500;
}

frmAnalisis::frmAnalisis(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName("frmAnalisis");
    setWindowTitle("Analisis de Precios");
    construir();
    ui::hookWheel(this);
    try {
        db_ = store::Database::openProject(context_.projectFolder);
        cargar();
    } catch (const store::StoreError& error) {
        msfgAnalisis_->setRows(1);
        ui::messages::failure(this, error.message());
    }
    ponerCursor(1);
}

// Row 0 when there is no item: moving onto a missing row would add one.
void frmAnalisis::ponerCursor(int fila) {
    msfgAnalisis_->setCell(msfgAnalisis_->rows() > 1 ? fila : 0, 0);
}

void frmAnalisis::construir() {
    auto* principal = new QVBoxLayout(this);
    principal->addWidget(ui::headingLabel(QString(), "Análisis de Precios", this, 1.3));

    msfgAnalisis_ = new ui::Grid(kFilasDiseno, 4, this);
    msfgAnalisis_->setObjectName("msfgAnalisis");
    msfgAnalisis_->setHeader({"CÓDIGO", "ÍTEM", "DESCRIPCIÓN", "UNIDAD"}, {1000, 1000, 9850, 1000});
    principal->addWidget(msfgAnalisis_, 1);
    connect(msfgAnalisis_, &ui::Grid::keyDown, this, [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            seleccionar();
        else if (key == Qt::Key_Escape)
            close();
    });
    connect(msfgAnalisis_, &ui::Grid::doubleClick, this, &frmAnalisis::seleccionar);

    auto* pie = new QHBoxLayout;
    txtCod_ = new QLineEdit(this);
    txtCod_->setObjectName("txtCod");
    txtItem_ = new QLineEdit(this);
    txtItem_->setObjectName("txtItem");
    for (QLineEdit* caja : {txtCod_, txtItem_}) {
        caja->setReadOnly(true);
        caja->setFocusPolicy(Qt::NoFocus);
        caja->setMaximumWidth(110);
    }
    pie->addWidget(new QLabel("Código:", this));
    pie->addWidget(txtCod_);
    pie->addWidget(new QLabel("Ítem:", this));
    pie->addWidget(txtItem_);
    lblEstado_ = new QLabel(this);
    lblEstado_->setObjectName("lblEstado");
    pie->addWidget(lblEstado_, 1);
    auto* cmdSeleccionar = new QPushButton("Seleccionar (Enter)", this);
    cmdSeleccionar->setObjectName("cmdSeleccionar");
    auto* cmdSalir = new QPushButton("Salir (Esc)", this);
    cmdSalir->setObjectName("cmdSalir");
    pie->addWidget(cmdSeleccionar);
    pie->addWidget(cmdSalir);
    principal->addLayout(pie);
    connect(cmdSeleccionar, &QPushButton::clicked, this, &frmAnalisis::seleccionar);
    connect(cmdSalir, &QPushButton::clicked, this, &QWidget::close);

    resize(ui::twipsToPixels(1000 + 1000 + 9850 + 1000, this) + 60, 520);
}

void frmAnalisis::cargar() {
    const QVector<FilaPresupuesto> items = leerPresupuesto(db_);
    ui::Grid& grid = *msfgAnalisis_;
    grid.clearData();
    grid.setRows(int(items.size()) + 1);
    for (int i = 0; i < items.size(); ++i) {
        const int r = i + 1;
        grid.setText(r, 0, items[i].codigo);
        grid.setText(r, 1, items[i].item);
        grid.setText(r, 2, items[i].descripcion);
        grid.setText(r, 3, items[i].unidad);
        grid.setAlignment(r, 0, Qt::AlignCenter);
        grid.setAlignment(r, 1, Qt::AlignCenter);
        grid.setAlignment(r, 3, Qt::AlignCenter);
    }
}

void frmAnalisis::recargar() {
    if (!db_.isOpen())
        return;
    ui::Grid& grid = *msfgAnalisis_;
    const QString codigo = grid.text(grid.row(), 0);
    const QString item = grid.text(grid.row(), 1);
    try {
        cargar();
    } catch (const store::StoreError& error) {
        ui::messages::failure(this, error.message());
        return;
    }
    int fila = 1;
    for (int r = 1; r < grid.rows(); ++r) {
        if (grid.text(r, 0) == codigo && grid.text(r, 1) == item) {
            fila = r;
            break;
        }
    }
    ponerCursor(fila);
}

void frmAnalisis::seleccionar() {
    const int r = msfgAnalisis_->row();
    const QString codigo = msfgAnalisis_->text(r, 0);
    if (r < 1 || codigo.isEmpty())
        return;
    const QString item = msfgAnalisis_->text(r, 1);
    txtCod_->setText(codigo);
    txtItem_->setText(item);
    ui::WindowContext editor = context_;
    editor.arguments = {{"txtCod", codigo}, {"txtItem", item}};
    if (QWidget* ventana = ui::WindowRegistry::instance().openWindow(kEditorAnalisis, editor)) {
        lblEstado_->clear();
        connect(ventana, &QObject::destroyed, this, &frmAnalisis::volverDelEditor, Qt::UniqueConnection);
    } else
        lblEstado_->setText("El editor de análisis no está disponible");
}

// When the editor closes the user comes back here to choose the next item: the picker comes to
// the front (not whichever window the frame would activate next) with the cursor on the item just
// edited. Deferred, so that the frame has finished taking the editor's window away.
void frmAnalisis::volverDelEditor() {
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            return;
        if (auto* marco = qobject_cast<QMdiSubWindow*>(parentWidget()); marco && marco->mdiArea()) {
            if (marco->isMinimized())
                marco->showNormal();
            marco->mdiArea()->setActiveSubWindow(marco);
        } else {
            raise();
            activateWindow();
        }
        for (int r = 1; r < msfgAnalisis_->rows(); ++r) {
            if (msfgAnalisis_->text(r, 0) == txtCod_->text() &&
                msfgAnalisis_->text(r, 1) == txtItem_->text()) {
                ponerCursor(r);
                break;
            }
        }
        msfgAnalisis_->setFocus(Qt::OtherFocusReason);
    });
}

// The first time the picker shows it starts on the first item; when the user comes back to it
// (from the analysis editor or the items editor) it lists the items again, as they may have
// changed, and the grid takes the focus.
void frmAnalisis::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (mostrada_)
        return;
    mostrada_ = true;
    ponerCursor(1);
    msfgAnalisis_->setFocus(Qt::OtherFocusReason);
    if (auto* marco = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        connect(marco, &QMdiSubWindow::aboutToActivate, this, [this] {
            recargar();
            msfgAnalisis_->setFocus(Qt::OtherFocusReason);
        });
    } else {
        window()->installEventFilter(this);
    }
}

bool frmAnalisis::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::WindowActivate) {
        recargar();
        msfgAnalisis_->setFocus(Qt::OtherFocusReason);
    }
    return QWidget::eventFilter(watched, event);
}

void frmAnalisis::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmAnalisis::closeEvent(QCloseEvent* event) {
    ui::unhookWheel(this);
    event->accept();
}

} // namespace korvex::budget
