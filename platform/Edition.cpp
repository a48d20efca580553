#include "Edition.h"

#include <QFileInfo>

QString DocExtension() { return "." + ExtPrefix + "x"; }
QString PackageExtension() { return "." + ExtPrefix + "s"; }

QString DocFolderIn(const QString& baseFolder, const QString& yearText)
{
    QString base = baseFolder;
    if (!base.endsWith('/'))
        base += '/';
    return base + DocPrefix + QStringLiteral("申请书") + yearText + "/";
}

QString DefaultDocPath(const QString& docFolder)
{
    return docFolder + DocPrefix + QStringLiteral("申请书") + DocExtension();
}

QString MarkerFilePath(const QString& docFolder)
{
    return docFolder + DocPrefix + QStringLiteral("vantra.txt");
}

QString MarkerFileLine() { return QStringLiteral("没有问题请不要删除本文件!"); }

QString UnpackTarget(const QString& packagePath)
{
    // Only a dot in the file-name part shortens the path; dots in folder names do not.
    const int nameStart = int(packagePath.lastIndexOf('/')) + 1;
    const int dot = int(packagePath.indexOf('.', nameStart));
    const QString stem = dot < 0 ? packagePath : packagePath.left(dot);
    return stem + QStringLiteral("申请书") + DocExtension();
}

QString IconFileName() { return "vantra_jxs" + ExtPrefix + ".ico"; }
QString HelpDocFileName() { return "vantrahelp" + ExtPrefix + ".doc"; }
QString VersionStampKey() { return "vantra" + ExtPrefix; }
QString DocClassName() { return ExtPrefix + "x_auto_file"; }
QString PackageClassName() { return ExtPrefix + "s_auto_file"; }

QString DocumentsFilter()
{
    return QStringLiteral("项目申请书(*.%1x)|*.%1x").arg(ExtPrefix);
}

QString DocumentsAndPackagesFilter()
{
    return DocumentsFilter() + QStringLiteral("|个人上报文件(*.%1s)|*.%1s").arg(ExtPrefix);
}

QString WindowTitleFor(const QString& docPath)
{
    return QFileInfo(docPath).fileName() + " -" + TitleText + QStringLiteral("项目申报系统");
}
