#pragma once
// What feature windows and main-window button actions may ask of the main window (frmPrincipal),
// reached through WindowContext::mainWindow without depending on the shell:
//     if (auto* main = ui::MainWindowControls::from(context)) main->showStatus("...");
// The report buttons use it for their format and period buttons (cmdFormatoPres1 ...), which
// only they show and hide; selecting another tab hides them all again.

#include "ui/WindowRegistry.h"

#include <QString>
#include <QStringList>

namespace korvex::ui {

class MainWindowControls {
public:
    virtual ~MainWindowControls() = default;

    // CarpetaActual: the folder the folder list shows, the current project folder while one is open.
    virtual QString currentFolder() const = 0;
    virtual bool isProjectOpen() const = 0;
    // The main window's status line (lblEstado).
    virtual void showStatus(const QString& text) = 0;

    // Format and period buttons by object name. showFormatButtons shows exactly these and hides
    // every other one; names that are not format buttons are ignored.
    virtual void showFormatButtons(const QStringList& names) = 0;
    virtual void setFormatButtonsVisible(const QStringList& names, bool visible) = 0;
    virtual bool isFormatButtonVisible(const QString& name) const = 0;
    // Inverts the visibility of each of these buttons (a group button's click).
    void toggleFormatButtons(const QStringList& names) {
        for (const QString& name : names)
            setFormatButtonsVisible({name}, !isFormatButtonVisible(name));
    }

    static MainWindowControls* from(const WindowContext& context) {
        return dynamic_cast<MainWindowControls*>(context.mainWindow);
    }
};

} // namespace korvex::ui
