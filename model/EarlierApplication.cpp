#include "EarlierApplication.h"

#include "CompletenessCheck.h"
#include "Conversion.h"
#include "DocumentEngine.h"
#include "Edition.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "OoxmlDocument.h"
#include "PackageRefusal.h"
#include "Resources.h"
#include "SafeWrite.h"
#include "ShortForm.h"
#include "Text.h"
#include "WordSession.h"
#include "ZipOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The receiving office's number: the cover's last cell of table 1, filled by the office.
constexpr int OfficeNumberTable = 1;
constexpr int OfficeNumberCell = 8;

// What the blank document holds: the own fields' values by record, and the office's number cell.
struct Blank {
    QStringList values;
    QString officeNumber;
};

const Blank& BlankDocument()
{
    static const Blank blank = [] {
        Blank b;
        try {
            OoxmlDocument doc(ResourceBytes("word", "xms").value_or(QByteArray()), QStringLiteral("xms"));
            UnprotectForReading(doc);
            b.values = ReadFieldValues(doc);
            b.officeNumber = NormalizeLineBreaks(doc.CellText(OfficeNumberTable, OfficeNumberCell));
        } catch (const Failure&) {
            b.values = QStringList(FieldHigh() + 1, QString());
        }
        return b;
    }();
    return blank;
}

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The package's one document, into a folder of its own.
QString Unpack(const QString& package, EarlierApplication& earlier)
{
    earlier.unpacked = std::make_shared<QTemporaryDir>(QDir::tempPath() + "/vantra-earlier-XXXXXX");
    if (!earlier.unpacked->isValid())
        return QStringLiteral("无法在临时文件夹中解压上报文件：") + FailureCause(errno);
    const zip::EntryTally tally = zip::EntryCount(package);
    if (tally.entries < 0)
        return PackageRefusal({false, tally.error, tally.cause});
    if (tally.entries != 1)
        return QStringLiteral("上报文件 %1 中不是一份申请书，不能从它新建。").arg(Shown(package));
    earlier.document = earlier.unpacked->path() + QStringLiteral("/申请书.qvx");
    const zip::Outcome extracted = zip::ExtractEntryTo(package, 0, earlier.document, {});
    return extracted.ok ? QString() : (extracted.cause == zip::Cause::WriteFailed ? extracted.error : PackageRefusal(extracted));
}

} // namespace

EarlierApplication ReadEarlierApplication(const QString& path)
{
    EarlierApplication earlier;
    earlier.path = path;
    earlier.document = path;
    if (QFileInfo(path).suffix().compare(QLatin1String("qvs"), Qt::CaseInsensitive) == 0)
        if (const QString why = Unpack(path, earlier); !why.isEmpty()) {
            earlier.message = why;
            return earlier;
        }
    try {
        const auto doc = OpenWordDocument(earlier.document);
        if (!UnprotectForReading(*doc)) {
            earlier.message = NotAnApplicationText;
            return earlier;
        }
        earlier.format = doc->Format();
        earlier.values = ValuesByName(ReadFieldValues(*doc));
        earlier.bodyCharacters = BodyCharacters(*doc);
        earlier.ok = true;
    } catch (const Failure& failure) {
        earlier.message = failure.text();
    }
    return earlier;
}

NewFromEarlierOutcome MakeFromEarlier(const EarlierApplication& earlier, const QString& target,
                                      const QSet<CarryGroup>& groups, const std::function<bool()>& stop)
{
    NewFromEarlierOutcome outcome;
    const QFileInfo existing(target);
    if (existing.exists() || existing.isSymLink()) {
        outcome.message = QStringLiteral("%1 已存在，没有新建（不会写在已有的文件上）。").arg(Shown(target));
        return outcome;
    }
    if (!earlier.ok) {
        outcome.message = earlier.message;
        return outcome;
    }
    const CarryOverPlan plan = PlanCarryOver(earlier.values, groups);

    // The base: the earlier document with its body, or the blank one.
    QString why;
    if (groups.contains(CarryGroup::Body) && earlier.format == DocumentFormat::Word97) {
        const ConversionOutcome converted = ConvertToCurrentFormat(earlier.document, target, stop);
        why = converted.ok() ? QString() : converted.message;
    } else if (groups.contains(CarryGroup::Body)) {
        why = Explain(DeliverCopy(earlier.document, target, Replace::Never));
    } else if (!createxms(target)) {
        why = QStringLiteral("无法写入文件 %1").arg(Shown(target));
    }
    if (!why.isEmpty()) {
        outcome.message = why;
        return outcome;
    }

    // Every own field is the chosen group's value or the blank document's; the office's number
    // and the protection are the blank document's too.
    try {
        const Blank& blank = BlankDocument();
        OoxmlDocument doc(target);
        if (!UnprotectForReading(doc)) {
            QFile::remove(target);  // made here a moment ago: nothing half made stays
            outcome.message = NotAnApplicationMessage(Outcome::failed(Cause::ForeignProtection, target));
            return outcome;
        }
        const QStringList current = ReadFieldValues(doc);
        QStringList values = blank.values;
        for (int i = 0; i <= FieldHigh(); ++i)
            if (FieldData().at(i).Source == -1 && plan.values.contains(FieldData().at(i).Name))
                values[i] = plan.values.value(FieldData().at(i).Name);
        WriteValues(doc, values, current);
        if (NormalizeLineBreaks(doc.CellText(OfficeNumberTable, OfficeNumberCell)) != blank.officeNumber)
            doc.SetCellText(OfficeNumberTable, OfficeNumberCell, blank.officeNumber);
        for (int s = 1; s <= doc.SectionsCount(); ++s)
            doc.SetProtectedForForms(s, s == 1);
        doc.Protect(2, false, ProtectPassword);
        doc.Close(true);
    } catch (const Failure& failure) {
        QFile::remove(target);  // made here a moment ago: nothing half made stays
        outcome.message = failure.text();
        return outcome;
    }
    outcome.ok = true;
    outcome.leftOut = plan.leftOut;
    return outcome;
}
