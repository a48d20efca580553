// The one table of causes: every explanation the user reads of what went wrong with a file, a
// document or a package, whichever part of the program met it.
#include "Outcome.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

QString FailureCause(int error)
{
    switch (error) {
    case 0: return {};
    case ENOSPC:
    case EDQUOT: return QStringLiteral("磁盘空间不足");
    case EACCES:
    case EPERM: return QStringLiteral("没有写入权限");
    case EROFS: return QStringLiteral("磁盘是只读的");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("文件或文件夹不存在");
    case EIO:
    case ENXIO:
    case ENODEV: return QStringLiteral("设备读写出错（可能已被拔出）");
    case EISDIR: return QStringLiteral("已有同名的文件夹");
    case ELOOP: return QStringLiteral("路径中有符号链接");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("文件正被占用");
    case EFBIG: return QStringLiteral("文件太大");
    case ENAMETOOLONG: return QStringLiteral("文件名太长");
    case EEXIST: return QStringLiteral("已有同名的文件");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

namespace {

// "：CAUSE" after a sentence, or nothing when the system gave no reason.
QString Because(int error)
{
    const QString cause = FailureCause(error);
    return cause.isEmpty() ? QString() : QStringLiteral("：") + cause;
}

} // namespace

bool IsNoApplication(Cause cause)
{
    switch (cause) {
    case Cause::NotAFile:
    case Cause::TooLarge:
    case Cause::NotADocument:
    case Cause::DamagedDocument:
    case Cause::PasswordToOpen:
    case Cause::Word95:
    case Cause::Spreadsheet:
    case Cause::Presentation:
    case Cause::OtherCompound:
    case Cause::ForeignProtection:
    case Cause::NotAnApplication: return true;
    default: return false;
    }
}

QString Explain(const Outcome& o)
{
    const QString path = QDir::toNativeSeparators(o.path);
    switch (o.cause) {
    case Cause::None: return {};
    case Cause::Missing: return QStringLiteral("找不到文件：") + path;
    case Cause::NotAFile: return QStringLiteral("%1 不是文件，不能作为申请书打开").arg(path);
    case Cause::TooLarge: return QStringLiteral("文件 %1 过大，不是申请书或上报文件").arg(path);
    case Cause::ReadFailed: return QStringLiteral("无法读取文件 %1").arg(path) + Because(o.error);
    case Cause::WriteFailed: return QStringLiteral("无法保存文件 %1").arg(path) + Because(o.error);
    case Cause::NotDurable:
        return QStringLiteral("文件 %1 已保存，但系统未能确认它已写入磁盘%2；在断电或拔出设备前请再保存一次。")
            .arg(path, o.error ? QStringLiteral("（%1）").arg(FailureCause(o.error)) : QString());
    case Cause::CopyDiffers:
        return QStringLiteral("复制到 %1 的文件与原文件不一致，设备可能有故障或已被拔出").arg(path);
    case Cause::NotADocument: return QStringLiteral("文档 %1 不是有效的 Word 文档：%2").arg(path, o.detail);
    case Cause::DamagedDocument: return QStringLiteral("文档 %1 的内容已损坏：%2").arg(path, o.detail);
    case Cause::PasswordToOpen: return QStringLiteral("申请书文件设有打开密码，请先在文字处理软件中去掉密码后再打开：") + path;
    case Cause::Word95:
        return QStringLiteral("%1 是 Word 95 或更早版本的文档，本程序不能读取。请在文字处理软件中把它另存为"
                              " Word 97–2003 或更新的格式后再打开。").arg(path);
    case Cause::Spreadsheet: return QStringLiteral("%1 是电子表格文件，不是申请书，本程序不能读取。").arg(path);
    case Cause::Presentation: return QStringLiteral("%1 是演示文稿文件，不是申请书，本程序不能读取。").arg(path);
    case Cause::OtherCompound: return QStringLiteral("%1 是其他程序的复合文档，不是申请书，本程序不能读取。").arg(path);
    case Cause::OldFormat:
        return QStringLiteral("申请书 %1 是旧版（Word 97–2003）格式，本程序只读取、不写入这种格式；请先把它转换为新格式。")
            .arg(path);
    case Cause::ForeignProtection:
        return QStringLiteral("文档 %1 设有别的保护密码，不是本程序的申请书").arg(path);
    case Cause::NotAnApplication:
        return QStringLiteral("文档 %1 中没有申请书的表格").arg(path) + (o.detail.isEmpty() ? QString() : "（" + o.detail + "）");
    case Cause::ReadOnly: return QStringLiteral("申请书文件是只读的：") + path;
    case Cause::Replaced: return QStringLiteral("申请书文件已被其他程序修改或替换：") + path;
    case Cause::InUse: return QFileInfo(o.path).fileName() + QStringLiteral("文件已打开!!!");
    case Cause::NotAPackage: return QStringLiteral("不是有效的上报文件：") + o.detail;
    case Cause::DamagedPackage: return QStringLiteral("上报文件已损坏：") + o.detail;
    case Cause::EncryptedPackage: return QStringLiteral("上报文件使用了不支持的加密方式：") + o.detail;
    case Cause::UnsupportedPackage: return QStringLiteral("上报文件使用了不支持的压缩方式：") + o.detail;
    case Cause::EmptyPackage: return QStringLiteral("上报文件中没有申请书");
    case Cause::UnitPackage: return QStringLiteral("本文件可能是单位提交数据,无法在个人版打开!");
    case Cause::Other: return o.detail;
    }
    return o.detail;
}
