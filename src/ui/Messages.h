#pragma once
// Every message box of the system goes through here, so tests can answer and read them. The
// default shows a QMessageBox; tests install a scripted one (tests/support/FakeMessages.h).

#include <QString>
#include <functional>

class QWidget;

namespace korvex::ui {

enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageAnswer { Ok, Yes, No, Cancel };

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MessageAnswer show(QWidget* parent, const QString& title, const QString& text,
                               MessageButtons buttons, MessageIcon icon) = 0;
};

MessageService& messageService();
void setMessageService(MessageService* service); // nullptr restores the default

inline constexpr const char* kApplicationTitle = "Korvex";

namespace messages {
// Title "Error", OK button, exclamation icon: refusals.
void error(QWidget* parent, const QString& text);
// Title "Advertencia", OK button: missing or duplicate input.
void warning(QWidget* parent, const QString& text);
// Application title, OK button: the system's description of a failure.
void failure(QWidget* parent, const QString& text);
// A title of the caller's own (such as "Información"), OK button, information icon.
void information(QWidget* parent, const QString& title, const QString& text);
// Title "Confirmacion", Yes / No.
bool confirm(QWidget* parent, const QString& text);
// The frame's exit question "En Realidad Desea Salir de Korvex...?", title "Salir...?", Yes / No.
bool confirmExit(QWidget* parent);
// "¿Desea grabar los cambios?" with Yes / No / Cancel, asked by editors closed with unsaved changes.
MessageAnswer askSaveChanges(QWidget* parent);
// Asks askSaveChanges() when there are unsaved changes and saves on Yes; true when the window may
// close (nothing to save, saved, or the user chose not to save), false on Cancel or a failed save.
bool settleUnsavedChanges(QWidget* parent, bool unsaved, const std::function<bool()>& save);
} // namespace messages

} // namespace korvex::ui
