#include "ui/Messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace korvex::ui {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// A real message box with Spanish button captions, whatever translations are installed.
class BoxMessageService : public MessageService {
public:
    MessageAnswer show(QWidget* parent, const QString& title, const QString& text, MessageButtons buttons,
                       MessageIcon icon) override {
        QMessageBox box(toQtIcon(icon), title.isEmpty() ? QString(kApplicationTitle) : title, text,
                        QMessageBox::NoButton, parent ? parent->window() : nullptr);
        QPushButton* yes = nullptr;
        QPushButton* no = nullptr;
        QPushButton* cancel = nullptr;
        if (buttons == MessageButtons::Ok) {
            box.setDefaultButton(box.addButton("Aceptar", QMessageBox::AcceptRole));
        } else {
            yes = box.addButton("Sí", QMessageBox::YesRole);
            no = box.addButton("No", QMessageBox::NoRole);
            if (buttons == MessageButtons::YesNoCancel)
                cancel = box.addButton("Cancelar", QMessageBox::RejectRole);
            box.setDefaultButton(yes);
            box.setEscapeButton(cancel ? cancel : no);
        }
        box.exec();
        const QAbstractButton* clicked = box.clickedButton();
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (clicked == yes)
            return MessageAnswer::Yes;
        if (clicked == no)
            return MessageAnswer::No;
        return buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel : MessageAnswer::No;
    }
};

BoxMessageService& defaultService() {
    static BoxMessageService service;
    return service;
}

MessageService* installed = nullptr;

} // namespace

MessageService& messageService() {
    return installed ? *installed : defaultService();
}

void setMessageService(MessageService* service) {
    installed = service;
}

namespace messages {

void error(QWidget* parent, const QString& text) {
    messageService().show(parent, "Error", text, MessageButtons::Ok, MessageIcon::Warning);
}

void warning(QWidget* parent, const QString& text) {
    messageService().show(parent, "Advertencia", text, MessageButtons::Ok, MessageIcon::Warning);
}

void information(QWidget* parent, const QString& title, const QString& text) {
    messageService().show(parent, title, text, MessageButtons::Ok, MessageIcon::Information);
}

void failure(QWidget* parent, const QString& text) {
    messageService().show(parent, kApplicationTitle, text, MessageButtons::Ok, MessageIcon::Critical);
}

bool confirm(QWidget* parent, const QString& text) {
    return messageService().show(parent, "Confirmacion", text, MessageButtons::YesNo,
                                 MessageIcon::Question) == MessageAnswer::Yes;
}

bool confirmExit(QWidget* parent) {
    return messageService().show(parent, "Salir...?", "En Realidad Desea Salir de Korvex...?",
                                 MessageButtons::YesNo, MessageIcon::Question) == MessageAnswer::Yes;
}

MessageAnswer askSaveChanges(QWidget* parent) {
    return messageService().show(parent, "Confirmacion", "¿Desea grabar los cambios?",
                                 MessageButtons::YesNoCancel, MessageIcon::Question);
}

bool settleUnsavedChanges(QWidget* parent, bool unsaved, const std::function<bool()>& save) {
    if (!unsaved)
        return true;
    switch (askSaveChanges(parent)) {
    case MessageAnswer::Yes:
        return save();
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

} // namespace messages

} // namespace korvex::ui
