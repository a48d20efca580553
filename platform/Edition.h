#pragma once
// The edition's constants and the rules that form every file, folder and window name from them.
#include <QString>

inline const QString TitleText = QStringLiteral("Arvel省高校自然科学研究项目");
inline const QString WelcomeTitleText = QStringLiteral("Arvel省高校自然科学研究项目");
inline const QString ShortFormTitle = QStringLiteral("Arvel省高校自然科学研究项目申请书简表");
inline const QString ExtPrefix = QStringLiteral("qv");
inline const QString DocPrefix = QStringLiteral("省高校");
inline const QString OwnerText = QStringLiteral("Arvel省教育厅科学技术处");
inline const QString HomePageText = QStringLiteral("https://kyxm.arvel-edu.cn/");
inline const QString SupportAddress = QStringLiteral("kyxm@arvel-edu.cn");
inline constexpr int MinBodyChars = 1000;
inline const QString BodyTooShortText = QStringLiteral("正文字数少于一千!");
inline const QString ProtectPassword = QStringLiteral("pbnxvehods");
inline const QString CodeSeparator = QStringLiteral("|");
inline const QString VersionText = QStringLiteral("1.001");
// Every notice and question of the system carries this caption.
inline const QString NoticeCaption = QStringLiteral("请注意");

QString DocExtension();      // ".qvx"
QString PackageExtension();  // ".qvs"

// Folder names end with '/'.
QString DocFolderIn(const QString& baseFolder, const QString& yearText);
QString DefaultDocPath(const QString& docFolder);
QString MarkerFilePath(const QString& docFolder);
QString MarkerFileLine();  // without the line break
QString UnpackTarget(const QString& packagePath);
QString IconFileName();     // vantra_jxsqv.ico
QString HelpDocFileName();  // vantrahelpqv.doc
QString VersionStampKey();  // vantraqv
QString DocClassName();     // qvx_auto_file
QString PackageClassName(); // qvs_auto_file
QString DocumentsFilter();             // documents only
QString DocumentsAndPackagesFilter();  // documents and packages
QString WindowTitleFor(const QString& docPath);
