#include "ui/Wheel.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextEdit>
#include <QWheelEvent>
#include <QWidget>

namespace korvex::ui {

namespace {

constexpr const char* kHookedProperty = "korvexWheelHooked";

class WheelFilter : public QObject {
public:
    // One filter per application object, parented to it so it goes away with it.
    static void ensureInstalled() {
        static QPointer<WheelFilter> filter;
        if (!filter) {
            filter = new WheelFilter;
            filter->setParent(qApp);
            qApp->installEventFilter(filter);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel || !watched->isWidgetType())
            return false;
        const QWidget* window = hookedWindowOf(static_cast<QWidget*>(watched));
        if (!window)
            return false;
        QWidget* focus = QApplication::focusWidget();
        if (!focus || !(focus == window || window->isAncestorOf(focus)) || !isListLike(focus))
            return false;
        const int turn = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (turn == 0)
            return false;
        scrollOneLine(focus, turn < 0 ? 1 : -1);
        return true;
    }

private:
    static const QWidget* hookedWindowOf(const QWidget* widget) {
        for (; widget; widget = widget->parentWidget())
            if (widget->property(kHookedProperty).toBool())
                return widget;
        return nullptr;
    }
};

} // namespace

void hookWheel(QWidget* window) {
    if (!window || !qApp)
        return;
    WheelFilter::ensureInstalled();
    window->setProperty(kHookedProperty, true);
}

void unhookWheel(QWidget* window) {
    if (window)
        window->setProperty(kHookedProperty, QVariant());
}

bool isWheelHooked(const QWidget* window) {
    return window && window->property(kHookedProperty).toBool();
}

bool isListLike(const QWidget* widget) {
    return qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget);
}

bool scrollOneLine(QWidget* widget, int direction) {
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const int next = combo->currentIndex() + (direction > 0 ? 1 : -1);
        if (next >= 0 && next < combo->count())
            combo->setCurrentIndex(next);
        return true;
    }
    if (!isListLike(widget))
        return false;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
        area->verticalScrollBar()->triggerAction(direction > 0 ? QAbstractSlider::SliderSingleStepAdd
                                                               : QAbstractSlider::SliderSingleStepSub);
        return true;
    }
    return true; // a one-line text box has no other line to show
}

} // namespace korvex::ui
