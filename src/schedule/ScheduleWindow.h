#pragma once
// What the four schedule windows share: the project handle held while the window is open, the
// heading, the button row, the status line lblEstado, and the question before closing with
// unsaved changes.

#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QString>
#include <QWidget>
#include <functional>

class QBoxLayout;
class QCloseEvent;
class QShowEvent;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace korvex::ui {
class Grid;
}

namespace korvex::schedule {

class ScheduleWindow : public QWidget, public ui::UnsavedWorkWindow {
    Q_OBJECT
public:
    bool settleUnsavedWork() override;
    QString projectFolder() const { return context_.projectFolder; }
    bool hasUnsavedChanges() const { return dirty_; }

    // Builds a window the way the registry's factories need: on a database error while loading,
    // the error's description is shown and nullptr returned.
    template <class W> static QWidget* create(const ui::WindowContext& context) {
        return guard([&]() -> QWidget* { return new W(context); });
    }

protected:
    ScheduleWindow(const ui::WindowContext& context, const QString& caption, const QString& heading);

    store::Database& db() { return db_; }
    QVBoxLayout* body() const { return body_; }
    QHBoxLayout* buttons() const { return buttons_; }
    QPushButton* addButton(const QString& name, const QString& caption);
    QLabel* status() const { return status_; }
    void setStatus(const QString& text);

    void setDirty(bool dirty = true) { dirty_ = dirty; }
    // Opens wide enough to show the grid's columns whole, as far as the screen allows.
    void fitWidth(const ui::Grid* grid, int height);
    // Widens a column of names to its longest text (never narrower than its design width), as
    // the system font may be larger than the one the widths were drawn for.
    static void widenToContents(ui::Grid* grid, int col);
    // Saves; shows its own messages. True when the data were stored.
    virtual bool save() = 0;
    // A save's failure: what failed, the database's words, and that nothing was changed.
    void showSaveFailure(const QString& what, const QString& description);

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    static QWidget* guard(const std::function<QWidget*()>& make);

    ui::WindowContext context_;
    store::Database db_;
    QVBoxLayout* body_ = nullptr;
    QHBoxLayout* buttons_ = nullptr;
    QLabel* status_ = nullptr;
    bool dirty_ = false;
    bool fitted_ = false;
};

} // namespace korvex::schedule
