#include "Conversion.h"

#include "CompoundFile.h"
#include "CompletenessCheck.h"
#include "DocumentEngine.h"
#include "Edition.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "OfficeRun.h"
#include "OoxmlDocument.h"
#include "SafeWrite.h"
#include "ShortForm.h"
#include "WordSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVector>

namespace {

// What an application says, as far as the conversion must keep it.
struct Reading {
    QStringList values;       // the own fields' values, by catalogue record
    QVector<int> cells;       // cells of each table
    QVector<bool> sections;   // each section's form protection
    int bodyCharacters = 0;
};

Reading Read(DocumentReader& doc)
{
    Reading r;
    r.values = ReadFieldValues(doc);
    for (int t = 1; t <= doc.TablesCount(); ++t)
        r.cells << doc.CellsCount(t);
    for (int s = 1; s <= doc.SectionsCount(); ++s)
        r.sections << doc.ProtectedForForms(s);
    r.bodyCharacters = BodyCharacters(doc);
    return r;
}

// What differs, for the user: the first few differences.
QStringList Differences(const Reading& before, const Reading& after)
{
    QStringList found;
    for (int i = 0; i <= FieldHigh() && i < before.values.size() && i < after.values.size(); ++i)
        if (FieldData().at(i).Source == -1 && before.values.at(i) != after.values.at(i))
            found << QStringLiteral("字段 %1：“%2” 变成了 “%3”")
                         .arg(FieldData().at(i).Name, before.values.at(i).left(20), after.values.at(i).left(20));
    if (before.cells != after.cells)
        found << QStringLiteral("表格或单元格的数目变了");
    if (before.sections != after.sections)
        found << QStringLiteral("分节或其保护变了");
    if (before.bodyCharacters != after.bodyCharacters)
        found << QStringLiteral("正文字数从 %1 变成了 %2").arg(before.bodyCharacters).arg(after.bodyCharacters);
    return found.mid(0, 5);
}

ConversionOutcome Refused(ConversionOutcome::Status status, const QString& message)
{
    return {status, message};
}

QString Unchanged()
{
    return QStringLiteral("\n原文件保持不变。");
}

} // namespace

QString ConvertedNameFor(const QString& original)
{
    const QFileInfo info(original);
    const QString stem = info.absolutePath() + "/" + info.completeBaseName() + QStringLiteral("（新格式）");
    const QString suffix = "." + (info.suffix().isEmpty() ? QStringLiteral("qvx") : info.suffix());
    QString candidate = stem + suffix;
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = stem + QString::number(n) + suffix;
    return candidate;
}

ConversionOutcome ConvertToCurrentFormat(const QString& original, const QString& target,
                                         const std::function<bool()>& stop)
{
    const QString shownTarget = QDir::toNativeSeparators(target);
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() || targetInfo.isSymLink())
        return Refused(ConversionOutcome::TargetTaken, QStringLiteral("%1 已存在，没有转换（转换从不写在已有的文件上）。").arg(shownTarget));

    Reading before;
    try {
        const auto doc = OpenWordDocument(original);
        if (doc->Format() != DocumentFormat::Word97)
            return Refused(ConversionOutcome::NotOldFormat,
                           QStringLiteral("%1 已经是新格式，不需要转换。").arg(QDir::toNativeSeparators(original)));
        if (!UnprotectForReading(*doc))
            return Refused(ConversionOutcome::Unreadable, NotAnApplicationText);
        before = Read(*doc);
    } catch (const Failure& failure) {
        return Refused(ConversionOutcome::Unreadable, failure.text());
    }

    const OfficeOutcome run = ConvertWithOffice(original, QStringLiteral("申请书.doc"), "docx:MS Word 2007 XML", "docx",
                                                ConversionSeconds, stop);
    switch (run.status) {
    case OfficeOutcome::Done: break;
    case OfficeOutcome::NoOffice:
        return Refused(ConversionOutcome::NoOffice,
                       QStringLiteral("转换旧版申请书需要 LibreOffice，本机没有找到。请先安装 LibreOffice（Debian 软件包 "
                                      "libreoffice-writer）。") + Unchanged());
    case OfficeOutcome::Stopped: return Refused(ConversionOutcome::Stopped, QStringLiteral("已取消转换。") + Unchanged());
    case OfficeOutcome::Unreadable:
        return Refused(ConversionOutcome::Unreadable, QStringLiteral("无法读取申请书 %1").arg(run.detail));
    case OfficeOutcome::TimedOut:
        return Refused(ConversionOutcome::OfficeFailed,
                       QStringLiteral("LibreOffice 在 %1 秒内没有完成转换，已停止。").arg(ConversionSeconds) + Unchanged());
    case OfficeOutcome::NotStarted:
    case OfficeOutcome::Failed:
        return Refused(ConversionOutcome::OfficeFailed,
                       QStringLiteral("LibreOffice 未能转换申请书。%1").arg(run.detail) + Unchanged());
    }

    // The template's protection on the result: each section as the original had it, the forms
    // protected with the edition's password.
    const QString protectedCopy = run.folder->path() + QStringLiteral("/申请书.qvx");
    try {
        OoxmlDocument converted(run.output);
        UnprotectForReading(converted);
        for (int s = 1; s <= converted.SectionsCount() && s <= before.sections.size(); ++s)
            converted.SetProtectedForForms(s, before.sections.at(s - 1));
        converted.Protect(2, false, ProtectPassword);
        converted.SaveAs(protectedCopy);
        converted.Close(false);
    } catch (const Failure& failure) {
        return Refused(ConversionOutcome::OfficeFailed, QStringLiteral("转换结果无法使用：%1").arg(failure.text()) + Unchanged());
    }

    // Read back as any later opening will read it.
    QStringList differences;
    try {
        const auto back = OpenWordDocument(protectedCopy);
        if (!UnprotectForReading(*back))
            differences << QStringLiteral("保护密码不对");
        else
            differences = Differences(before, Read(*back));
    } catch (const Failure& failure) {
        differences << failure.text();
    }
    if (!differences.isEmpty())
        return Refused(ConversionOutcome::Differs, QStringLiteral("转换后的申请书与原文件不一致，没有使用转换结果：\n")
                                                       + differences.join('\n') + Unchanged());

    if (const Outcome delivered = DeliverCopy(protectedCopy, target, Replace::Never); !delivered.written())
        return Refused(ConversionOutcome::WriteFailed, Explain(delivered) + Unchanged());
    return {ConversionOutcome::Converted, {}};
}
