#include "store/ProjectFolders.h"

#include "store/Connection.h"
#include "store/Database.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex::store {

namespace {

const QString kNoProjectToOpen = QStringLiteral("La Carpeta seleccionada NO contiene ningun proyecto");
const QString kNoProjectToDelete = QStringLiteral("Esta carpeta no contiene ningun Proyecto");
const QString kResourcePrefix = QStringLiteral(":/korvex/root");

QString absoluteClean(const QString& path) {
    if (path.isEmpty())
        return {};
    QString p = path;
    p.replace('\\', '/');
    return QDir::cleanPath(QFileInfo(p).absoluteFilePath());
}

// The system's description of an errno value, in the language of the program.
QString systemMessage(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Permiso denegado");
    case ENOENT:
        return QStringLiteral("No existe el archivo o el directorio");
    case EEXIST:
        return QStringLiteral("El archivo ya existe");
    case ENOTDIR:
        return QStringLiteral("No es un directorio");
    case EISDIR:
        return QStringLiteral("Es un directorio");
    case ENAMETOOLONG:
        return QStringLiteral("Nombre de archivo demasiado largo");
    case ENOSPC:
        return QStringLiteral("No queda espacio en el dispositivo");
    case EROFS:
        return QStringLiteral("Sistema de ficheros de sólo lectura");
    case EBUSY:
        return QStringLiteral("Dispositivo o recurso ocupado");
    case ENOTEMPTY:
        return QStringLiteral("El directorio no está vacío");
    case EINVAL:
        return QStringLiteral("Argumento inválido");
    case EIO:
        return QStringLiteral("Error de entrada/salida");
    case ELOOP:
        return QStringLiteral("Demasiados niveles de enlaces simbólicos");
    case EMLINK:
        return QStringLiteral("Demasiados enlaces");
    case EDQUOT:
        return QStringLiteral("Cuota de disco excedida");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QByteArray local(const QString& path) {
    return QFile::encodeName(path);
}

bool existsNoFollow(const QString& path) {
    struct stat st {};
    return ::lstat(local(path).constData(), &st) == 0;
}

bool isRegularFile(const QString& path) {
    struct stat st {};
    return ::stat(local(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// The project database of folder (its name's letter case ignored), or "" when there is none. Only
// a regular file counts: a folder, a pipe or a device of that name is no project.
QString databaseFileIn(const QString& folder) {
    const QString exact = folder + "/" + kDatabaseFileName;
    if (isRegularFile(exact))
        return exact;
    QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : entries)
        if (name.compare(QLatin1String(kDatabaseFileName), Qt::CaseInsensitive) == 0 &&
            isRegularFile(dir.filePath(name)))
            return dir.filePath(name);
    return {};
}

// Entries of folder whose name equals name ignoring letter case.
QStringList entriesIgnoringCase(const QString& folder, const QString& name, QDir::Filters filters) {
    QStringList found;
    const QStringList entries = QDir(folder).entryList(filters | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            found << entry;
    return found;
}

bool isSystemFolder(const QString& folder) {
    static const QStringList windows{"C:/Windows", "C:/Archivos de Programa", "C:/WinNT", "C:/Program Files"};
    static const QStringList linux{"/",     "/home", "/usr", "/etc", "/var",  "/tmp",  "/root", "/bin",
                                   "/boot", "/dev",  "/lib", "/opt", "/proc", "/sbin", "/srv",  "/sys"};
    for (const QString& s : windows + linux)
        if (samePath(folder, s))
            return true;
    return samePath(folder, QDir::homePath());
}

// True when path is root or lies above it: deleting it would delete the root folder.
bool containsOrIs(const QString& folder, const QString& inner) {
    const QString a = absoluteClean(folder);
    const QString b = absoluteClean(inner);
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (samePath(a, b))
        return true;
    const QString prefix = a.endsWith('/') ? a : a + "/";
    if (b.startsWith(prefix, Qt::CaseInsensitive))
        return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    return !ca.isEmpty() && !cb.isEmpty() && (ca == cb || cb.startsWith(ca.endsWith('/') ? ca : ca + "/"));
}

// Removes everything under folder and the folder itself; a symbolic link is removed as a link,
// never followed. Returns errno of the first failure, 0 on success.
int removeTree(const QString& path) {
    struct stat st {};
    const QByteArray p = local(path);
    if (::lstat(p.constData(), &st) != 0)
        return errno == ENOENT ? 0 : errno;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(p.constData()) == 0 ? 0 : errno;
    // A read-only folder keeps its entries: make it writable first.
    if ((st.st_mode & S_IWUSR) == 0 || (st.st_mode & S_IXUSR) == 0)
        ::chmod(p.constData(), st.st_mode | S_IRWXU);
    QDir dir(path);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : entries)
        if (const int e = removeTree(path + "/" + name))
            return e;
    return ::rmdir(p.constData()) == 0 ? 0 : errno;
}

// Why a file could not be written, in the language of the program (Qt's own texts are English).
QString saveFailure(const QFileDevice& file) {
    switch (file.error()) {
    case QFileDevice::PermissionsError:
    case QFileDevice::OpenError:
        return systemMessage(EACCES);
    case QFileDevice::ResourceError:
        return systemMessage(ENOSPC);
    default:
        return systemMessage(EIO);
    }
}

// Writes a missing shipped file of the root folder; files that exist are kept.
void writeResource(const QString& resource, const QString& target) {
    if (existsNoFollow(target))
        return;
    QFile source(resource);
    QSaveFile out(target);
    if (!source.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
        out.write(source.readAll()) < 0 || !out.commit())
        throw StoreError(QStringLiteral("No se puede escribir %1: %2")
                             .arg(QDir::toNativeSeparators(target), saveFailure(out)));
}

void layOutResources(const QString& root) {
    QDirIterator it(kResourcePrefix, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString resource = it.next();
        const QString relative = resource.mid(kResourcePrefix.size() + 1);
        const QString target = root + "/" + relative;
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target))
                throw StoreError(
                    QStringLiteral("No se puede crear la carpeta %1").arg(QDir::toNativeSeparators(target)));
        } else if (it.fileName() == ".keep") {
            QDir().mkpath(QFileInfo(target).path()); // only keeps an empty folder in the sources
        } else {
            QDir().mkpath(QFileInfo(target).path());
            writeResource(resource, target);
        }
    }
}

// Making a template derives a key and writes the schema. A process may lay out several root
// folders (tests, batch runs), so later templates are byte copies of the first one it made.
void writeTemplate(const QString& path) {
    static std::mutex mutex;
    static QByteArray made;
    std::lock_guard lock(mutex);
    if (made.isEmpty()) {
        createDatabaseFile(path, passwordOfConnect(kConnectString));
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            made = file.readAll();
        return;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(made) != made.size() || !out.commit())
        throw StoreError(QStringLiteral("No se puede crear la base de datos %1: %2")
                             .arg(QDir::toNativeSeparators(path), saveFailure(out)));
}

FolderResult systemFailure(int error) {
    return FolderResult::refusal(systemMessage(error));
}

bool copyFile(const QString& from, const QString& to, int& error) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        error = source.error() == QFileDevice::PermissionsError ? EACCES : ENOENT;
        return false;
    }
    const QString temporary = to + ".copia";
    QFile out(temporary);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = errno ? errno : EACCES;
        return false;
    }
    const QByteArray bytes = source.readAll();
    if (out.write(bytes) != bytes.size() || !out.flush()) {
        error = errno ? errno : EIO;
        out.close();
        QFile::remove(temporary);
        return false;
    }
    ::fsync(out.handle());
    out.close();
    if (::rename(local(temporary).constData(), local(to).constData()) != 0) {
        error = errno;
        QFile::remove(temporary);
        return false;
    }
    return true;
}

} // namespace

QString resolveRootFolder(const QString& rootOption) {
    if (!rootOption.trimmed().isEmpty())
        return absoluteClean(rootOption.trimmed());
    const QString env = qEnvironmentVariable("KORVEX_ROOT");
    if (!env.trimmed().isEmpty())
        return absoluteClean(env.trimmed());
#ifdef Q_OS_WIN
    return QStringLiteral("C:/Korvex");
#else
    return QDir::cleanPath(QDir::homePath() + "/Korvex");
#endif
}

void layOutRootFolder(const QString& root) {
    if (root.isEmpty())
        throw StoreError(QStringLiteral("No se ha indicado la carpeta raíz"));
    if (!QDir().mkpath(root) || !QFileInfo(root).isDir())
        throw StoreError(
            QStringLiteral("No se puede crear la carpeta raíz %1").arg(QDir::toNativeSeparators(root)));
    if (databaseFileIn(root).isEmpty())
        writeTemplate(root + "/" + kDatabaseFileName);
    layOutResources(root);
}

QString templateDatabasePath(const QString& root) {
    const QString found = databaseFileIn(root);
    return found.isEmpty() ? root + "/" + kDatabaseFileName : found;
}

QString projectDatabasePath(const QString& projectFolder) {
    const QString found = databaseFileIn(projectFolder);
    return found.isEmpty() ? projectFolder + "/" + kDatabaseFileName : found;
}

bool isProjectFolder(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(folder).isDir() && !databaseFileIn(folder).isEmpty();
}

bool samePath(const QString& a, const QString& b) {
    auto fold = [](const QString& p) {
        QString s = p.trimmed();
        s.replace('\\', '/');
        while (s.size() > 1 && s.endsWith('/'))
            s.chop(1);
        if (s.size() == 2 && s[1] == ':')
            s += '/';
        return QDir::cleanPath(s);
    };
    const QString fa = fold(a);
    const QString fb = fold(b);
    if (fa.isEmpty() || fb.isEmpty())
        return false;
    if (fa.compare(fb, Qt::CaseInsensitive) == 0)
        return true;
    const QString ca = QFileInfo(fa).canonicalFilePath();
    const QString cb = QFileInfo(fb).canonicalFilePath();
    return !ca.isEmpty() && ca.compare(cb, Qt::CaseInsensitive) == 0;
}

FolderResult checkOpenProject(const QString& folder, const QString& root) {
    if (samePath(folder, root) || !isProjectFolder(folder))
        return FolderResult::refusal(kNoProjectToOpen, QStringLiteral("Error"));
    return FolderResult::success(absoluteClean(folder));
}

FolderResult createProject(const QString& parent, const QString& typedName, const QString& root) {
    const QString name = typedName.trimmed();
    if (name.isEmpty())
        return FolderResult::refusal(QStringLiteral("Debe escribir un NOMBRE para el PROYECTO"),
                                     QStringLiteral("Advertencia"));
    if (hasControlCharacters(name))
        return FolderResult::refusal(
            QStringLiteral("El nombre del PROYECTO no puede tener saltos de línea, tabuladores ni otros "
                           "caracteres de control"),
            QStringLiteral("Advertencia"));
    if (name.contains('/') || name.contains('\\'))
        return systemFailure(EINVAL);
    const QString folder = absoluteClean(parent) + "/" + name;
    // Projects come from a platform whose names ignore letter case: "obra" would be "Obra" there.
    if (name == "." || name == ".." || existsNoFollow(folder) ||
        !entriesIgnoringCase(absoluteClean(parent), name, QDir::AllEntries | QDir::System).isEmpty())
        return FolderResult::refusal(QStringLiteral("El PROYECTO ") + typedName +
                                         QStringLiteral(" ya existe"),
                                     QStringLiteral("Advertencia"));
    const QString templatePath = templateDatabasePath(root);
    if (!QFileInfo(templatePath).isFile()) {
        try {
            layOutRootFolder(root);
        } catch (const StoreError& e) {
            return FolderResult::refusal(e.message());
        }
    }
    if (const QString problem = templateProblem(root); !problem.isEmpty())
        return FolderResult::refusal(problem);
    if (::mkdir(local(folder).constData(), 0777) != 0)
        return systemFailure(errno);
    int error = 0;
    if (!copyFile(templateDatabasePath(root), folder + "/" + kDatabaseFileName, error)) {
        removeTree(folder); // the folder was made here and holds nothing of the user's
        return systemFailure(error);
    }
    return FolderResult::success(folder);
}

FolderResult checkDeleteProject(const QString& folder, const QString& root) {
    if (folder.trimmed().isEmpty() || containsOrIs(folder, root) || isSystemFolder(folder) ||
        containsOrIs(folder, QDir::homePath()) || !isProjectFolder(folder))
        return FolderResult::refusal(kNoProjectToDelete);
    return FolderResult::success(absoluteClean(folder));
}

QString deleteQuestion(const QString& folder) {
    return QStringLiteral("Esta seguro que desea eliminar el Proyecto ") + QDir::toNativeSeparators(folder);
}

FolderResult deleteProject(const QString& folder, const QString& root) {
    const FolderResult check = checkDeleteProject(folder, root);
    if (!check.ok)
        return check;
    QString path = absoluteClean(folder);
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    Connection::forgetUnder(path);
    if (const int error = removeTree(path))
        return systemFailure(error);
    return FolderResult::success(path);
}

QStringList listProjects(const QString& root) {
    QStringList projects;
    const QDir dir(root);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        if (isProjectFolder(dir.filePath(name)))
            projects << name;
    std::sort(projects.begin(), projects.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return projects;
}

QString projectFolderFromArgument(const QString& argument, const QString& root) {
    const QString arg = argument.trimmed();
    if (arg.isEmpty())
        return {};
    if (arg == "~" || arg.startsWith("~/"))
        return absoluteClean(QDir::homePath() + arg.mid(1));
    if (arg.contains('/') || arg.contains('\\') || arg.startsWith('.') || arg.startsWith('~'))
        return absoluteClean(arg);
    const QString rootFolder = absoluteClean(root);
    const QString exact = rootFolder + "/" + arg;
    if (QFileInfo(exact).isDir())
        return exact;
    const QStringList matches = entriesIgnoringCase(rootFolder, arg, QDir::Dirs);
    if (matches.size() > 1)
        throw StoreError(
            QStringLiteral("El nombre %1 corresponde a varios proyectos: %2; escriba el nombre exacto")
                .arg(arg, matches.join(QStringLiteral(" y "))));
    return matches.isEmpty() ? exact : rootFolder + "/" + matches.first();
}

bool hasControlCharacters(const QString& name) {
    return std::any_of(name.begin(), name.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString templateProblem(const QString& root) {
    const QString path = templateDatabasePath(root);
    try {
        Database::open(path);
        return {};
    } catch (const StoreError& e) {
        return QStringLiteral("La plantilla de proyectos está dañada: %1. La orden «korvex init» la repone")
            .arg(e.message());
    }
}

QString repairTemplate(const QString& root) {
    if (templateProblem(root).isEmpty())
        return {};
    const QString path = templateDatabasePath(root);
    QString kept = path + QStringLiteral(".dañado");
    for (int n = 2; existsNoFollow(kept); ++n)
        kept = path + QStringLiteral(".dañado%1").arg(n);
    if (::rename(local(path).constData(), local(kept).constData()) != 0)
        throw StoreError(QStringLiteral("No se puede apartar la plantilla dañada %1: %2")
                             .arg(QDir::toNativeSeparators(path), systemMessage(errno)));
    writeTemplate(root + "/" + kDatabaseFileName);
    return kept;
}

} // namespace korvex::store
