#pragma once
// The main window "Principal": the project folders (drive list, folder list, open / close,
// create, delete) and the tab strip whose six tabs hold the editor and report buttons.
//
// A tab button's click runs, in this order of preference: the action registered for the button
// (WindowRegistry::registerButton with its object name, such as "cmdCalculo"); opening the window
// the button stands for (registerWindow with that window's class name, such as "frmGrupos");
// otherwise "Disponible próximamente" in the status line. Every action gets a context with the
// current project folder, the root folder and this window; the buttons that open the project
// selection dialog also get the argument "txtOpcion" ("1" copy items, "0" import prices).
//
// States: with no project open the tab strip is disabled and every tab button hidden; once a
// project is open, the buttons of a tab appear when the user selects it (click or arrows).

#include "ui/MainWindowControls.h"
#include "ui/WindowRegistry.h"

#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QWidget>
#include <map>
#include <memory>

namespace korvex::store {
class ProjectLock;
}

namespace korvex::shell {

class FolderList;
class DriveList;

// One tab button: its object name, caption, the window it opens (if any) and where it sits.
struct TabButtonSpec {
    const char* name;
    const char* caption;
    const char* window; // nullptr: an action of its own, or none
    int tab;            // 1 to 6; 0 for the format and period buttons of the reports
    int column;         // position on the button panel
    int row;
};

class frmPrincipal : public QWidget, public ui::MainWindowControls {
    Q_OBJECT
public:
    static const QList<TabButtonSpec>& tabButtonSpecs();
    static QStringList formatButtonNames();
    static constexpr const char* kNotYetAvailable = "Disponible próximamente";

    frmPrincipal(const QString& rootFolder, ui::WindowRegistry& registry, QWidget* parent = nullptr);
    ~frmPrincipal() override;

    // ModoAbrir: true while no project is open.
    bool modoAbrir() const { return modoAbrir_; }
    QString rootFolder() const { return root_; }
    QString openProjectName() const;
    // The open project was opened read-only: another program holds it, or no lock can be made.
    bool isReadOnlyProject() const { return !modoAbrir_ && readOnly_; }
    // Gives up the locks of projects no longer open here and without an editor left open on them.
    void releaseUnusedLocks();
    ui::WindowContext context() const;

    // Operations of the buttons and keys, public for the frame and for tests.
    void openSelectedFolder();
    void closeProject();
    void createProject();
    void deleteProject();
    void chooseDrive(const QString& root);
    void layOutTab(int tabIndex); // 1 to 6
    void hideAllTabButtons();
    void focusFirstButtonOfTab();
    void showHelp();
    void leaveApplication();
    void runTabButton(const QString& name);

    QPushButton* tabButton(const QString& name) const { return buttons_.value(name); }
    FolderList* folderList() const { return dir1_; }
    DriveList* driveList() const { return drive1_; }
    QTabBar* tabStrip() const { return tabOpciones_; }

    // ui::MainWindowControls
    QString currentFolder() const override { return carpetaActual_; }
    bool isProjectOpen() const override { return !modoAbrir_; }
    void showStatus(const QString& text) override;
    void showFormatButtons(const QStringList& names) override;
    void setFormatButtonsVisible(const QStringList& names, bool visible) override;
    bool isFormatButtonVisible(const QString& name) const override;

signals:
    void projectOpened(const QString& folder);
    void projectClosed();
    void leaveRequested();
    void helpRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildFolderPanel();
    QWidget* buildTabPanel();
    QWidget* buildBottomBar();
    void createTabButtons(QWidget* panel);
    void applyModoAbrir();
    bool handleFolderListKey(QKeyEvent* event);
    bool handleTabStripKeyRelease(QKeyEvent* event);
    bool moveFocusInColumn(QPushButton* from, int direction);
    void showFolderResultMessage(const QString& title, const QString& message);
    // Takes the project's lock, or asks to open it read-only; false when it is not to be opened.
    bool takeProjectLock(const QString& folder);
    void updateProjectLabel();
    void showFolderPath(const QString& path);
    void updateHint();

    QString root_;
    ui::WindowRegistry& registry_;
    bool modoAbrir_ = true;
    bool tabChosen_ = false; // a tab was selected since the project was opened
    bool keyPressedOnBuscar_ = false;
    QString carpetaActual_;
    bool readOnly_ = false;
    // Folder key -> lock of a project open here or with editors still open on it.
    std::map<QString, std::unique_ptr<store::ProjectLock>> locks_;
    // Folder key -> folder, of projects opened read-only here and not yet left.
    std::map<QString, QString> readOnlyFolders_;

    DriveList* drive1_ = nullptr;
    FolderList* dir1_ = nullptr;
    QPushButton* cmdAbrir_ = nullptr;
    QPushButton* cmdCrear_ = nullptr;
    QPushButton* cmdBorrar_ = nullptr;
    QPushButton* cmdHelp_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
    QTabBar* tabOpciones_ = nullptr;
    QLabel* lblEstado_ = nullptr;
    QLabel* lblProyecto_ = nullptr;
    QLabel* lblCarpeta_ = nullptr;
    QLabel* lblIndicacion_ = nullptr;
    QHash<QString, QPushButton*> buttons_;
};

} // namespace korvex::shell
