#include "FileTypes.h"

#include "Edition.h"
#include "Resources.h"
#include "SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString DataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

bool WriteWhole(const QString& path, const QByteArray& content, bool* changed)
{
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == content)
        return true;
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    if (!WriteBytesAtomically(path, content, nullptr))
        return false;
    if (changed)
        *changed = true;
    return true;
}

QString XmlEscaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// Detached: start-up does not wait for the desktop's bookkeeping.
void StartQuietly(const QString& tool, const QStringList& args)
{
    const QString exe = QStandardPaths::findExecutable(tool);
    if (exe.isEmpty())
        return;
    QProcess process;
    process.setProgram(exe);
    process.setArguments(args);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
}

} // namespace

QString MimeTypeFor(const QString& ext, const QString& contentType)
{
    if (!contentType.isEmpty())
        return contentType;
    return "application/x-" + (ext.startsWith('.') ? ext.mid(1) : ext).toLower();
}

QString DesktopExecLine(const QString& command)
{
    // Quoted per the desktop entry rules: inside quotes \ " ` $ are escaped, and % is doubled.
    QString quoted;
    for (const QChar c : command) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    // The value itself escapes backslashes once more.
    quoted.replace("\\", "\\\\");
    return "\"" + quoted + "\" %f";
}

bool RegisterFileType(const QString& ext, const QString& className, const QString& displayName,
                      const QString& contentType, const QString& command, const QString& iconFile,
                      bool* changed)
{
    if (ext.isEmpty() || command.isEmpty())
        return false;
    const QString data = DataHome();
    const QString mime = MimeTypeFor(ext, contentType);
    const QString glob = "*" + (ext.startsWith('.') ? ext : "." + ext);
    const QString iconName = iconFile.isEmpty() ? ProgramIconName : QString(mime).replace('/', '-');

    const QString mimeXml = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"%1\">\n"
        "    <comment>%2</comment>\n"
        "    <icon name=\"%3\"/>\n"
        "    <glob pattern=\"%4\" weight=\"80\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n")
        .arg(XmlEscaped(mime), XmlEscaped(displayName), XmlEscaped(iconName), XmlEscaped(glob));
    if (!WriteWhole(data + "/mime/packages/" + className + ".xml", mimeXml.toUtf8(), changed))
        return false;

    const QString entry = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=%1\n"
        "Exec=%2\n"
        "MimeType=%3;\n"
        "Icon=%4\n"
        "NoDisplay=true\n"
        "Terminal=false\n")
        .arg(displayName, DesktopExecLine(command), mime, ProgramIconName);
    if (!WriteWhole(data + "/applications/" + className + ".desktop", entry.toUtf8(), changed))
        return false;

    if (!iconFile.isEmpty()) {
        QFile icon(iconFile);
        if (!icon.open(QIODevice::ReadOnly))
            return false;
        if (!WriteWhole(data + "/icons/hicolor/32x32/mimetypes/" + iconName + ".png", icon.readAll(), changed))
            return false;
    }
    return true;
}

void RefreshDesktopDatabases()
{
    const QString data = DataHome();
    StartQuietly("update-mime-database", {data + "/mime"});
    StartQuietly("update-desktop-database", {data + "/applications"});
}

void RegisterProgramTypes(const QString& iconFolder, const QString& command, bool force)
{
    // The desktop wants PNG icons; they sit beside the extracted icon file.
    const QString packageIcon = iconFolder + "vantra_jxs" + ExtPrefix + ".png";
    ExtractResource("png", "jxs", packageIcon, force);
    const QString iconTheme = DataHome() + "/icons/hicolor/32x32/apps/";
    QDir().mkpath(iconTheme);
    ExtractResource("png", "mainicon", iconTheme + ProgramIconName + ".png", force);

    bool changed = false;
    // The names the desktop shows for the types (in file dialogs, say): the filters' own words.
    RegisterFileType(DocExtension(), DocClassName(), QStringLiteral("项目申请书"), QString(), command, QString(), &changed);
    RegisterFileType(PackageExtension(), PackageClassName(), QStringLiteral("个人上报文件"), QString(), command,
                     packageIcon, &changed);
    if (changed)
        RefreshDesktopDatabases();
}
