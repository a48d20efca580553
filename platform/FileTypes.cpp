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
    if (!WriteBytesAtomically(path, content).written())
        return false;
    if (changed)
        *changed = true;
    return true;
}

// A type's own icon is named after it, as the icon theme names MIME icons.
QString TypeIconName(const QString& mime)
{
    return QString(mime).replace('/', '-');
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

QList<DesktopFileType> ProgramFileTypes()
{
    // The names the desktop shows for the types (in file dialogs, say): the filters' own words.
    return {{MimeTypeFor(DocExtension(), QString()), QStringLiteral("项目申请书"), ProgramIconName, DocExtension()},
            {MimeTypeFor(PackageExtension(), QString()), QStringLiteral("个人上报文件"),
             TypeIconName(MimeTypeFor(PackageExtension(), QString())), PackageExtension()}};
}

QByteArray MimeInfoXml(const QList<DesktopFileType>& types)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n");
    for (const DesktopFileType& type : types) {
        xml += QStringLiteral("  <mime-type type=\"%1\">\n"
                              "    <comment>%2</comment>\n"
                              "    <icon name=\"%3\"/>\n")
                   .arg(XmlEscaped(type.mime), XmlEscaped(type.comment), XmlEscaped(type.icon));
        for (const QString& glob : {"*" + type.ext.toLower(), "*" + type.ext.toUpper()})
            xml += QStringLiteral("    <glob pattern=\"%1\" weight=\"80\"/>\n").arg(XmlEscaped(glob));
        xml += QStringLiteral("  </mime-type>\n");
    }
    xml += QStringLiteral("</mime-info>\n");
    return xml.toUtf8();
}

QByteArray DesktopEntry(const QString& name, const QString& exec, const QStringList& mimeTypes, bool listed)
{
    QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\n").arg(name);
    if (listed)
        entry += QStringLiteral("GenericName=科研项目申报系统\n"
                                "Comment=填写、检查并提交Arvel省高校自然科学研究项目申请书\n");
    entry += QStringLiteral("Exec=%1\nIcon=%2\nTerminal=false\nMimeType=%3;\n")
                 .arg(exec, ProgramIconName, mimeTypes.join(';'));
    if (listed)
        entry += QStringLiteral("Categories=Office;\nKeywords=申请书;项目;申报;科研;\nStartupNotify=true\n");
    else
        entry += QStringLiteral("NoDisplay=true\n");
    return entry.toUtf8();
}

QByteArray InstalledDesktopEntry()
{
    QStringList mimeTypes;
    for (const DesktopFileType& type : ProgramFileTypes())
        mimeTypes << type.mime;
    return DesktopEntry(QStringLiteral("Arvel省高校科研项目申报"), QStringLiteral("vantra %f"), mimeTypes, true);
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
    const QString iconName = iconFile.isEmpty() ? ProgramIconName : TypeIconName(mime);

    const QByteArray mimeXml = MimeInfoXml({{mime, displayName, iconName, ext.startsWith('.') ? ext : "." + ext}});
    if (!WriteWhole(data + "/mime/packages/" + className + ".xml", mimeXml, changed))
        return false;
    const QByteArray entry = DesktopEntry(displayName, DesktopExecLine(command), {mime}, false);
    if (!WriteWhole(data + "/applications/" + className + ".desktop", entry, changed))
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
    const QList<DesktopFileType> types = ProgramFileTypes();
    RegisterFileType(DocExtension(), DocClassName(), types.at(0).comment, QString(), command, QString(), &changed);
    RegisterFileType(PackageExtension(), PackageClassName(), types.at(1).comment, QString(), command, packageIcon,
                     &changed);
    if (changed)
        RefreshDesktopDatabases();
}
