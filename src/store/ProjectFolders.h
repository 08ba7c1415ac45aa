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

// Project folders directly under root, by name.
QStringList listProjects(const QString& root);

// A batch argument: an existing folder path, or a folder name under root.
QString projectFolderFromArgument(const QString& argument, const QString& root);

} // namespace korvex::store
