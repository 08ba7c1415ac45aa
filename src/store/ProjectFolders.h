#pragma once
// The root folder and project folders. A folder is a project exactly when it holds a file named
// "Presupuesto.mdb" (any letter case). A new project is a byte copy of the root's template.

#include <QString>
#include <QStringList>

namespace korvex::store {

// The outcome of a folder operation. On refusal, message is the system's Spanish text and title the
// message box title ("Error", "Advertencia", or empty for the application's own title).
struct FolderResult {
    bool ok = true;
    QString message;
    QString title;
    QString path; // the folder created or deleted, when ok
    static FolderResult success(const QString& path = {}) { return {true, {}, {}, path}; }
    static FolderResult refusal(const QString& message, const QString& title = {}) {
        return {false, message, title, {}};
    }
};

// --root DIR if given, else $KORVEX_ROOT, else "C:\Korvex" on Windows and ~/Korvex elsewhere.
QString resolveRootFolder(const QString& rootOption = {});

// Creates the root folder if missing, with the template database (full schema, every table
// empty), "Reportes/" and "KORVEX.hlp" from the shipped resources. Files that exist are kept.
// Throws StoreError when the folder cannot be written.
void layOutRootFolder(const QString& root);

QString templateDatabasePath(const QString& root);
QString projectDatabasePath(const QString& projectFolder);
bool isProjectFolder(const QString& folder);
bool samePath(const QString& a, const QString& b); // case-insensitive, separators and trailing "/" folded

// Open: refuses the root folder and folders without a project database with
// "La Carpeta seleccionada NO contiene ningun proyecto" (title "Error").
FolderResult checkOpenProject(const QString& folder, const QString& root);

// Create <parent>/<typedName trimmed> with a copy of the template. Refusals: empty name
// ("Debe escribir un NOMBRE para el PROYECTO", "Advertencia"), existing folder or file
// ("El PROYECTO " + typedName + " ya existe", "Advertencia"), and the system's description of a
// failure to make the folder or copy the file (empty title).
FolderResult createProject(const QString& parent, const QString& typedName, const QString& root);

// The question to ask before deleting, or a refusal ("Esta carpeta no contiene ningun Proyecto")
// for the root folder, system folders and folders without a project database.
FolderResult checkDeleteProject(const QString& folder, const QString& root);
QString deleteQuestion(const QString& folder); // "Esta seguro que desea eliminar el Proyecto " + folder
// Deletes the folder with everything in it (never following a symbolic link out of it), after the
// same checks as checkDeleteProject.
FolderResult deleteProject(const QString& folder, const QString& root);

// Project folders directly under root, by name; only folders whose project database is a
// regular file.
QStringList listProjects(const QString& root);

// A batch argument: a path when it holds a path separator or starts with "." or "~" ("~/x" is
// under the home folder), else the name of a folder under root: the folder of exactly that name,
// else the one whose name matches ignoring letter case. Throws StoreError naming both folders
// when two match ignoring case.
QString projectFolderFromArgument(const QString& argument, const QString& root);

// True when a name holds a line break, a tab or another control character.
bool hasControlCharacters(const QString& name);

// Why the root's template cannot be copied into new projects ("" when it can): it does not open
// as a project database or lacks a table.
QString templateProblem(const QString& root);
// Replaces a damaged template with the built-in one, keeping the damaged file beside it under a
// new name, which it returns ("" when the template was sound). Throws StoreError.
QString repairTemplate(const QString& root);

} // namespace korvex::store
