#pragma once
// Why a submission package cannot be read, for the user, whoever reads it (the window, qvtool,
// the intake, a new application made from a package): damaged, enciphered as packages never
// are, or no package at all. One cause, one explanation.
#include "ZipFormat.h"

inline const QString DamagedPackageText = QStringLiteral("上报文件已损坏：");
inline const QString EncryptedPackageText = QStringLiteral("上报文件使用了不支持的加密方式：");

QString PackageRefusal(const zip::Outcome& outcome);
