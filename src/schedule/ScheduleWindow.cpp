#include "schedule/ScheduleWindow.h"

#include "ui/Grid.h"
#include "ui/Messages.h"

#include <QCloseEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

namespace korvex::schedule {

ScheduleWindow::ScheduleWindow(const ui::WindowContext& context, const QString& caption,
                               const QString& heading)
    : context_(context), db_(store::Database::openProject(context.projectFolder)) {
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(6);

    auto* title = new QLabel(heading, this);
    title->setObjectName("lblTitulo");
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.35);
    title->setFont(font);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    body_ = new QVBoxLayout;
    body_->setSpacing(4);
    layout->addLayout(body_, 1);

    buttons_ = new QHBoxLayout;
    buttons_->setSpacing(8);
    status_ = new QLabel(this);
    status_->setObjectName("lblEstado");
    buttons_->addWidget(status_, 1);
    layout->addLayout(buttons_);
}

QPushButton* ScheduleWindow::addButton(const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setMinimumWidth(button->sizeHint().width() + 16);
    buttons_->addWidget(button);
    return button;
}

void ScheduleWindow::fitWidth(const ui::Grid* grid, int height) {
    // Margins, the grid's frame and its vertical scroll bar.
    int width = grid->horizontalHeader()->length() + 20 + 2 * grid->frameWidth() +
                style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
    if (const QScreen* screen = this->screen())
        width = std::min(width, screen->availableGeometry().width() - 40);
    resize(width, height);
}

void ScheduleWindow::widenToContents(ui::Grid* grid, int col) {
    const int design = grid->columnWidth(col);
    grid->resizeColumnToContents(col);
    grid->setColumnWidth(col, std::max(design, grid->columnWidth(col) + 8));
}

void ScheduleWindow::setStatus(const QString& text) {
    status_->setText(text);
}

void ScheduleWindow::showSaveFailure(const QString& what, const QString& description) {
    ui::messages::failure(this, "No se pudo grabar " + what + ": " + description +
                                    "\nLos datos grabados no se han modificado.");
}

bool ScheduleWindow::settleUnsavedWork() {
    return ui::messages::settleUnsavedChanges(this, dirty_, [this] { return save(); });
}

void ScheduleWindow::closeEvent(QCloseEvent* event) {
    if (!ui::workSettled(this) && !settleUnsavedWork()) {
        event->ignore();
        return;
    }
    db_.close();
    event->accept();
}

void ScheduleWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (fitted_)
        return;
    fitted_ = true;
    // Inside the frame, the window opens within the frame's work area; its grids scroll.
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (sub && sub->mdiArea()) {
        const QSize room = sub->mdiArea()->viewport()->size();
        if (sub->width() > room.width() || sub->height() > room.height()) {
            sub->resize(sub->size().boundedTo(room));
            sub->move(0, 0);
        }
    }
}

QWidget* ScheduleWindow::guard(const std::function<QWidget*()>& make) {
    try {
        return make();
    } catch (const store::StoreError& error) {
        ui::messages::failure(nullptr, error.message());
    } catch (const std::exception& error) {
        ui::messages::failure(nullptr, QString::fromUtf8(error.what()));
    }
    return nullptr;
}

} // namespace korvex::schedule
