#include "PackageRefusal.h"

QString PackageRefusal(const zip::Outcome& outcome)
{
    switch (outcome.cause) {
    case zip::Cause::Damaged:
    case zip::Cause::TooLarge: return DamagedPackageText + outcome.error;
    case zip::Cause::Encrypted: return EncryptedPackageText + outcome.error;
    case zip::Cause::Unsupported: return QStringLiteral("上报文件使用了不支持的压缩方式：") + outcome.error;
    case zip::Cause::NotArchive: return QStringLiteral("不是有效的上报文件：") + outcome.error;
    default: return outcome.error;
    }
}
