#include "ShortForm.h"

#include "Edition.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "Gb18030.h"
#include "Seams.h"
#include "Text.h"
#include "Files.h"
#include "Resources.h"
#include "WordHost.h"
#include "WordSession.h"
#include "DocumentLock.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

DocumentIdentity LoadedDocument;

namespace {

QString ControlName(const Tfiledata& f)
{
    return "ed" + f.Name;
}

// Every own field's cell into LoadedValues, EditValues and the screen.
void ReadOwnFields(WordDocument& doc, FieldAccess& screen)
{
    const QStringList values = ReadFieldValues(doc);
    for (int i = 0; i <= FieldHigh; ++i) {
        const Tfiledata& f = FieldData.at(i);
        if (f.Source == -1) {
            LoadedValues[i] = values.at(i);
            screen.setText(ControlName(f), values.at(i));
            EditValues[i] = values.at(i);
        }
    }
}

// The cells whose values changed, and their mirrors.
void WriteChangedCells(WordDocument& doc)
{
    WriteValues(doc, EditValues, LoadedValues, [] { progress().run(QString()); });
}

// Why the file may not be written now, or nothing (target is the resolved path).
std::optional<StoreResult> Refusal(const QString& path, const QString& target)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (target.isEmpty())
        return StoreResult{StoreStatus::Replaced, ReplacedText + shown};
    if (IsReadOnlyFile(target))
        return StoreResult{StoreStatus::ReadOnly, ReadOnlyText + shown};
    if (DocLock && !DocLock->EnsureNotInUse(target))
        return StoreResult{StoreStatus::InUse, QFileInfo(path).fileName() + InUseText};
    return std::nullopt;
}

// Ends a store that wrote nothing: nothing reaches the file, LoadedValues keeps its entries,
// and the progress window does not stay on the screen.
StoreResult Abandon(StoreStatus status, const QString& message)
{
    if (WordSession && WordSession->DocumentAlive())
        WordSession->CloseDocument(false);
    progress().Close();
    return {status, message};
}

// Saves the open document with its changed cells; LoadedValues follows.
StoreResult SaveOpenDocument(const QString& path)
{
    WordDocument& doc = *WordSession->Doc;
    WordSession->LastFailure.clear();
    WriteChangedCells(doc);
    if (!WordSession->CloseDocument(true))
        return Abandon(StoreStatus::Failed, WordSession->LastFailure.isEmpty()
                                                ? QStringLiteral("无法保存文档 %1").arg(QDir::toNativeSeparators(path))
                                                : WordSession->LastFailure);
    LoadedDocument = doc.Identity();
    for (int i = 0; i < EditValues.size(); ++i)
        if (EditValues.at(i) != LoadedValues.at(i))
            LoadedValues[i] = EditValues.at(i);
    progress().Close();
    return {StoreStatus::Stored, {}};
}

} // namespace

void WriteValues(WordDocument& doc, const QStringList& values, const QStringList& before, const std::function<void()>& step)
{
    WalkCatalogue(doc, [](int) { return true; }, [&](int i, int table) {
        const Tfiledata& f = FieldData.at(i);
        const int v = f.Source >= 0 ? f.Source : i;
        if (values.at(v) != before.at(v)) {
            if (f.FitLength > 0) {
                doc.SetCellWordWrap(table, f.CellNo, false);
                doc.SetCellFitText(table, f.CellNo, Gb18030Length(values.at(v)) > f.FitLength);
            }
            doc.SetCellText(table, f.CellNo, values.at(v));
        }
        if (step)
            step();
    });
}

int ResolveTable(DocumentReader& doc, int previous, int record)
{
    const Tfiledata& f = FieldData.at(record);
    if (f.TableNo >= 0)
        return f.TableNo;
    for (int t = previous + 1; t <= doc.TablesCount(); ++t)
        if (doc.CellText(t, 1).startsWith(f.TableKey))
            return t;
    return previous;
}

void WalkCatalogue(DocumentReader& doc, const std::function<bool(int)>& wanted,
                   const std::function<void(int record, int table)>& visit)
{
    int table = 0;
    int lastTableNo = 0;
    for (int i = 0; i <= FieldHigh; ++i) {
        if (!wanted(i))
            continue;
        const Tfiledata& f = FieldData.at(i);
        if (f.TableNo != lastTableNo) {
            table = ResolveTable(doc, table, i);
            lastTableNo = f.TableNo;
        }
        visit(i, table);
    }
}

QStringList ReadFieldValues(DocumentReader& doc)
{
    QStringList values(FieldHigh + 1, QString());
    WalkCatalogue(doc, [](int) { return true; }, [&](int i, int table) {
        const Tfiledata& f = FieldData.at(i);
        if (f.Source == -1)
            values[i] = NormalizeLineBreaks(doc.CellText(table, f.CellNo));
        progress().run(QString());
    });
    return values;
}

void LoadShortForm(FieldAccess& screen, const QString& path)
{
    progress().FrmShow(9, FieldHigh + 1);
    LoadedDocument = {};
    if (!WordSession || !WordSession->OpenDocument(path)) {
        // A document opened but not unprotected is not left open in the session.
        if (WordSession && WordSession->DocumentAlive())
            WordSession->CloseDocument(false);
        ShowNotice(NotAnApplicationText, NoticeCaption);
        progress().Close();
        screen.closeWithTag(88);
        return;
    }
    WordDocument& doc = *WordSession->Doc;
    try {
        ReadOwnFields(doc, screen);
    } catch (const Failure&) {
        WordSession->CloseDocument(false);
        progress().Close();
        throw;
    }
    WordSession->CloseDocument(false);
    LoadedDocument = doc.Identity();
    progress().Close();
}

StoreResult SaveShortForm(FieldAccess& screen, const QString& path, unsigned progressKind)
{
    CompactMembers(screen);
    if (EditValues == LoadedValues)
        return {StoreStatus::NothingChanged, {}};
    const QString shown = QDir::toNativeSeparators(path);
    // A link is written through: its target takes the values and keeps its permissions.
    const QString target = QFileInfo(path).canonicalFilePath();
    // Another program may have replaced or rewritten the file since it was loaded: what it holds
    // now is somebody's, and the screen's values do not belong there.
    if (!target.isEmpty() && LoadedDocument.isValid() && !CurrentIdentity(target).sameAs(LoadedDocument))
        return {StoreStatus::Replaced, ReplacedText + shown};
    if (const auto refused = Refusal(path, target))
        return *refused;

    progress().FrmShow(progressKind, FieldHigh + 1);
    try {
        if (!WordSession)
            return Abandon(StoreStatus::Failed, OpenWordFailedText);
        // A document that cannot be opened or unprotected takes no writes: the word processor
        // would refuse them in a protected document, and saving would put our protection over
        // someone else's.
        if (!WordSession->OpenDocument(target))
            return Abandon(StoreStatus::Failed, NotAnApplicationText);
        if (LoadedDocument.isValid() && !WordSession->Doc->Identity().sameAs(LoadedDocument))
            return Abandon(StoreStatus::Replaced, ReplacedText + shown);
        return SaveOpenDocument(path);
    } catch (const Failure& failure) {
        return Abandon(StoreStatus::Failed, failure.text());
    } catch (const std::exception& error) {
        return Abandon(StoreStatus::Failed, QString::fromLocal8Bit(error.what()));
    }
}

StoreResult SetFields(FieldAccess& form, const QString& path, const QMap<int, QString>& values, unsigned progressKind)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty())
        return {StoreStatus::Failed, MissingDocumentText(path)};
    if (const auto refused = Refusal(path, target))
        return *refused;
    progress().FrmShow(progressKind, FieldHigh + 1);
    try {
        if (!WordSession || !WordSession->OpenDocument(target))
            return Abandon(StoreStatus::Failed, NotAnApplicationText);
        ReadOwnFields(*WordSession->Doc, form);
        LoadedDocument = WordSession->Doc->Identity();
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            EditValues[it.key()] = it.value();
            form.setText(ControlName(FieldData.at(it.key())), it.value());
        }
        if (EditValues == LoadedValues)
            return Abandon(StoreStatus::NothingChanged, {});
        return SaveOpenDocument(path);
    } catch (const Failure& failure) {
        return Abandon(StoreStatus::Failed, failure.text());
    }
}

StoreResult StoreAsNewDocument(FieldAccess& screen, const QString& path, unsigned progressKind)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (!createxms(path))
        return {StoreStatus::Failed, QStringLiteral("无法保存文件 %1").arg(shown)};
    try {
        if (!WordSession || !WordSession->OpenDocument(path))
            return {StoreStatus::Failed, NotAnApplicationText};
        // What the new file holds is the blank document's: every value of the screen differs.
        WordDocument& doc = *WordSession->Doc;
        WalkCatalogue(doc, [](int i) { return FieldData.at(i).Source == -1; }, [&](int i, int table) {
            LoadedValues[i] = NormalizeLineBreaks(doc.CellText(table, FieldData.at(i).CellNo));
        });
        WordSession->CloseDocument(false);
        LoadedDocument = doc.Identity();
    } catch (const Failure& failure) {
        if (WordSession && WordSession->DocumentAlive())
            WordSession->CloseDocument(false);
        return {StoreStatus::Failed, failure.text()};
    }
    return SaveShortForm(screen, path, progressKind);
}

void CompactMembers(FieldAccess& screen)
{
    int gap = 0;
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row) {
        QStringList texts;
        bool empty = true;
        for (const QString& prefix : MemberFieldPrefixes) {
            texts << TrimBlanks(screen.text(prefix + QString::number(row)));
            empty = empty && texts.last().isEmpty();
        }
        if (empty) {
            if (gap == 0)
                gap = row;
            continue;
        }
        if (gap == 0)
            continue;
        for (int k = 0; k < MemberFieldPrefixes.size(); ++k) {
            screen.setText(MemberFieldPrefixes[k] + QString::number(row), QString());
            screen.setText(MemberFieldPrefixes[k] + QString::number(gap), texts[k]);
        }
        ++gap;
    }
}
