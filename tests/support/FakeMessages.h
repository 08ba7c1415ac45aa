#pragma once
// A message service that answers from a script and remembers every message it was shown.

#include "ui/Messages.h"

#include <QList>
#include <QString>

namespace korvex::testing {

struct ShownMessage {
    QString title;
    QString text;
    ui::MessageButtons buttons;
};

class FakeMessages : public ui::MessageService {
public:
    FakeMessages();           // installs itself
    ~FakeMessages() override; // restores the default
    ui::MessageAnswer show(QWidget* parent, const QString& title, const QString& text,
                           ui::MessageButtons buttons, ui::MessageIcon icon) override;

    // Answers for the next questions, in order; without one, Ok and Yes are given.
    void answer(ui::MessageAnswer next) { answers_.append(next); }
    const QList<ShownMessage>& shown() const { return shown_; }
    QString lastText() const { return shown_.isEmpty() ? QString() : shown_.last().text; }
    QString lastTitle() const { return shown_.isEmpty() ? QString() : shown_.last().title; }
    int count() const { return shown_.size(); }
    void clear() {
        shown_.clear();
        answers_.clear();
    }

private:
    QList<ShownMessage> shown_;
    QList<ui::MessageAnswer> answers_;
};

} // namespace korvex::testing
