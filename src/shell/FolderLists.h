#pragma once
// The main window's drive list (Drive1) and folder list (Dir1).
//
// The folder list shows the chain of folders from the drive down to its path, then the folders
// inside the path. Its path (the folder it shows) changes only by a double click on a folder or
// by setPath(); moving the highlight with the arrows or a single click does not, as the open and
// delete operations act on the path. Project folders are drawn in bold.

#include <QComboBox>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

namespace korvex::shell {

class FolderList : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Moves to an existing, readable folder; false (and nothing changes) otherwise.
    bool setPath(const QString& folder);
    void refresh();
    // The folder under the highlight, or the path when nothing is highlighted.
    QString highlightedPath() const;
    bool highlight(const QString& folder);
    // The root folder holds the template database but is no project: it is not drawn as one.
    void setRootFolder(const QString& root) { root_ = root; }

signals:
    void pathChanged(const QString& path);

private:
    void rebuild();
    QTreeWidgetItem* addFolderItem(QTreeWidgetItem* parent, const QString& folder, const QString& label,
                                   bool open);

    QString path_;
    QString root_;
};

// The file-system roots: drive letters on Windows; "/" and the mounted data volumes elsewhere.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    static QStringList availableRoots();
    QString currentRoot() const;
    // Selects the root that holds this folder, without emitting driveChosen.
    void showDriveOf(const QString& folder);

signals:
    // The user picked a root.
    void driveChosen(const QString& root);
};

} // namespace korvex::shell
