#pragma once
// Registration of the document and package types with the desktop (freedesktop):
// a shared-mime-info package, a desktop entry that receives the file's full path, and an icon.
#include <QList>
#include <QString>
#include <QStringList>

// contentType empty: the type is named application/x-<ext without dot>. iconFile empty: the
// program's own icon; otherwise a PNG copied into the user's icon theme for the type.
// False when ext or command is empty, or when a file cannot be written (what was written stays).
// Files whose content is already right are left alone; *changed is set when one was written.
bool RegisterFileType(const QString& ext, const QString& className, const QString& displayName,
                      const QString& contentType, const QString& command, const QString& iconFile,
                      bool* changed = nullptr);

// A type as shared-mime-info describes it.
struct DesktopFileType {
    QString mime;     // application/x-qvx
    QString comment;  // the name the desktop shows
    QString icon;     // an icon theme name
    QString ext;      // ".qvx": matched in lower and upper case
};
// The document and the package, as the desktop knows them.
QList<DesktopFileType> ProgramFileTypes();
// The shared-mime-info package that declares types.
QByteArray MimeInfoXml(const QList<DesktopFileType>& types);
// A desktop entry that opens files of mimeTypes with exec. listed: the program's own entry in the
// menus, with its description; otherwise an entry only for opening files, not shown.
QByteArray DesktopEntry(const QString& name, const QString& exec, const QStringList& mimeTypes, bool listed);
// The program's entry as installed: it starts "vantra" from the search path.
QByteArray InstalledDesktopEntry();
inline const QString InstalledEntryName = QStringLiteral("cn.arvel.vantra.desktop");
inline const QString InstalledMimeName = QStringLiteral("vantra.xml");

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
