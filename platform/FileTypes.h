#pragma once
// Registration of the document and package types with the desktop (freedesktop):
// a shared-mime-info package, a desktop entry that receives the file's full path, and an icon.
#include <QString>

// contentType empty: the type is named application/x-<ext without dot>. iconFile empty: the
// program's own icon; otherwise a PNG copied into the user's icon theme for the type.
// False when ext or command is empty, or when a file cannot be written (what was written stays).
// Files whose content is already right are left alone; *changed is set when one was written.
bool RegisterFileType(const QString& ext, const QString& className, const QString& displayName,
                      const QString& contentType, const QString& command, const QString& iconFile,
                      bool* changed = nullptr);

// The MIME type RegisterFileType uses for ext.
QString MimeTypeFor(const QString& ext, const QString& contentType);
// The Exec line of a desktop entry that starts command with the file as first argument.
QString DesktopExecLine(const QString& command);
// The document and package types, with their icons (refreshed like the extracted icon file
// in iconFolder: when missing, or when force), for the program at command. Tells the desktop
// when a registration changed.
void RegisterProgramTypes(const QString& iconFolder, const QString& command, bool force);
// Asks the desktop to reread the registrations, when its tools are installed.
void RefreshDesktopDatabases();

inline const QString ProgramIconName = QStringLiteral("vantra");
