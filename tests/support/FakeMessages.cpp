#include "FakeMessages.h"

namespace korvex::testing {

FakeMessages::FakeMessages() {
    ui::setMessageService(this);
}
FakeMessages::~FakeMessages() {
    ui::setMessageService(nullptr);
}

ui::MessageAnswer FakeMessages::show(QWidget*, const QString& title, const QString& text,
                                     ui::MessageButtons buttons, ui::MessageIcon) {
    shown_.append({title, text, buttons});
    if (!answers_.isEmpty())
        return answers_.takeFirst();
    return buttons == ui::MessageButtons::Ok ? ui::MessageAnswer::Ok : ui::MessageAnswer::Yes;
}

} // namespace korvex::testing
