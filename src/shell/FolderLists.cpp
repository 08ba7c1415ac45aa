#include "shell/FolderLists.h"

#include "store/ProjectFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStorageInfo>
#include <QStyle>

namespace korvex::shell {

namespace {

constexpr int kPathRole = Qt::UserRole;

QString normalised(const QString& folder) {
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

QStringList chainFromRoot(const QString& folder) {
    QStringList chain;
    QDir dir(folder);
    chain.prepend(dir.absolutePath());
    while (!dir.isRoot() && dir.cdUp())
        chain.prepend(dir.absolutePath());
    return chain;
}

QString labelOf(const QString& folder) {
    const QString name = QFileInfo(folder).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(folder) : name;
}

bool isSystemMount(const QStorageInfo& volume) {
    static const QStringList pseudo = {"tmpfs",    "devtmpfs",  "proc",        "sysfs",      "cgroup",
                                       "cgroup2",  "devpts",    "mqueue",      "securityfs", "debugfs",
                                       "tracefs",  "pstore",    "bpf",         "autofs",     "fusectl",
                                       "configfs", "hugetlbfs", "binfmt_misc", "squashfs"};
    static const QStringList systemRoots = {"/proc", "/sys", "/dev", "/run", "/boot",
                                            "/snap", "/etc", "/usr", "/var", "/tmp"};
    const QString root = volume.rootPath();
    if (pseudo.contains(QString::fromLatin1(volume.fileSystemType())))
        return true;
    for (const QString& system : systemRoots)
        if (root == system || root.startsWith(system + "/"))
            return true;
    return false;
}

} // namespace

FolderList::FolderList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(14);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(false);
    // The chain of folders is always open: no expand arrows to suggest otherwise.
    setStyleSheet("QTreeView::branch { image: none; border-image: none; }");
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { setPath(item->data(0, kPathRole).toString()); });
}

bool FolderList::setPath(const QString& folder) {
    const QString target = normalised(folder);
    const QFileInfo info(target);
    if (!info.isDir() || !QDir(target).isReadable())
        return false;
    const bool changed = target != path_;
    path_ = target;
    rebuild();
    if (changed)
        emit pathChanged(path_);
    return true;
}

void FolderList::refresh() {
    if (!path_.isEmpty() && !QFileInfo(path_).isDir()) {
        // The folder shown was removed behind our back: fall back to the nearest that exists.
        QDir dir(path_);
        while (!dir.exists() && dir.cdUp()) {
        }
        setPath(dir.absolutePath());
        return;
    }
    const QString kept = highlightedPath();
    rebuild();
    highlight(kept);
}

QString FolderList::highlightedPath() const {
    const QTreeWidgetItem* item = currentItem();
    return item ? item->data(0, kPathRole).toString() : path_;
}

bool FolderList::highlight(const QString& folder) {
    const QString target = normalised(folder);
    for (QTreeWidgetItemIterator it(const_cast<FolderList*>(this)); *it; ++it)
        if ((*it)->data(0, kPathRole).toString() == target) {
            setCurrentItem(*it);
            scrollToItem(*it);
            return true;
        }
    return false;
}

QTreeWidgetItem* FolderList::addFolderItem(QTreeWidgetItem* parent, const QString& folder,
                                           const QString& label, bool open) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, label);
    item->setData(0, kPathRole, folder);
    item->setToolTip(0, QDir::toNativeSeparators(folder));
    item->setIcon(0, style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
    if (store::isProjectFolder(folder) && !(root_.size() && store::samePath(folder, root_))) {
        QFont bold = font();
        bold.setBold(true);
        item->setFont(0, bold);
    }
    return item;
}

void FolderList::rebuild() {
    clear();
    QTreeWidgetItem* parent = nullptr;
    for (const QString& folder : chainFromRoot(path_)) {
        parent = addFolderItem(parent, folder, labelOf(folder), true);
        parent->setExpanded(true);
    }
    QTreeWidgetItem* current = parent;
    const QFileInfoList children =
        QDir(path_).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& child : children)
        addFolderItem(current, child.absoluteFilePath(), child.fileName(), false);
    if (current) {
        current->setExpanded(true);
        setCurrentItem(current);
        scrollToItem(current);
    }
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    for (const QString& root : availableRoots())
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), QDir::toNativeSeparators(root), root);
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit driveChosen(itemData(index).toString()); });
}

QStringList DriveList::availableRoots() {
    QStringList roots;
#ifdef Q_OS_WIN
    for (const QFileInfo& drive : QDir::drives())
        roots.append(drive.absolutePath());
#else
    roots.append("/");
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && !roots.contains(root) && !isSystemMount(volume))
            roots.append(root);
    }
#endif
    return roots;
}

QString DriveList::currentRoot() const {
    return currentData().toString();
}

void DriveList::showDriveOf(const QString& folder) {
    const QString target = normalised(folder);
    int best = -1;
    int bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        const QString prefix = root.endsWith('/') ? root : root + '/';
        const bool holds =
            target.compare(root, Qt::CaseInsensitive) == 0 || target.startsWith(prefix, Qt::CaseInsensitive);
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0)
        setCurrentIndex(best);
}

} // namespace korvex::shell
