#pragma once
// The desktop program: start-up screen, then the frame with the main window.

#include <QIcon>
#include <QString>

namespace korvex::ui {
class WindowRegistry;
}

namespace korvex {
// Generated from src/shell/wiring/*.cpp: registers every window and main-window button.
void wireAllWindows(ui::WindowRegistry& registry);
} // namespace korvex

namespace korvex::shell {

class frmPresentacion;
class mdiPrincipal;

// Creates the QApplication, lays out the root folder (template, report templates, help file),
// makes it the working directory, registers every window and shows the start-up screen.
// Returns the application's exit code.
// With a project folder, the frame opens at once with that project open.
int runDesktop(int argc, char** argv, const QString& root, const QString& project = {});

// Qt's own texts (the child windows' system menu, the text boxes' context menu, the print and file
// dialogs) in Spanish, whatever the system's language, from Qt's installed translations
// (qt6-translations-l10n). False when they are not installed: those texts then stay in English.
bool installQtTranslation();

// The program's icon drawn in code, for a program run from its build folder; an installed
// program takes "korvex" from the icon theme. Every window and child window shows it.
QIcon applicationIcon();

// Shows the start-up screen; a key or click on it opens the frame (mdiPrincipal, deleted when it
// closes) and closes the start-up screen. For runDesktop and tests, with a QApplication running.
frmPresentacion* startDesktop(const QString& root, ui::WindowRegistry& registry);
// The frame with the project open as the main window's "Abrir Proyecto" opens it (a project held
// by another program asks whether to open it read-only); for "korvex open" and tests.
mdiPrincipal* startDesktopWithProject(const QString& root, ui::WindowRegistry& registry,
                                      const QString& project);

} // namespace korvex::shell
