#include "ShortForm.h"

#include "Edition.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "Gbk.h"
#include "Seams.h"
#include "Text.h"
#include "Files.h"
#include "WordHost.h"
#include "WordSession.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString ControlName(const Tfiledata& f)
{
    return "ed" + f.Name;
}

} // namespace

int ResolveTable(WordDocument& doc, int previous, int record)
{
    const Tfiledata& f = FieldData.at(record);
    if (f.TableNo >= 0)
        return f.TableNo;
    for (int t = previous + 1; t <= doc.TablesCount(); ++t)
        if (doc.CellText(t, 1).startsWith(f.TableKey))
            return t;
    return previous;
}

void WalkCatalogue(WordDocument& doc, const std::function<bool(int)>& wanted,
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

void LoadShortForm(FieldAccess& screen, const QString& path)
{
    progress().FrmShow(9, FieldHigh + 1);
    if (!WordSession || !WordSession->OpenDocument(path)) {
        // A document opened but not unprotected is not left open in the session.
        if (WordSession && WordSession->DocumentAlive())
            WordSession->CloseDocument(false);
        ShowNotice(QStringLiteral("本文不是合法项目申请书。"), NoticeCaption);
        progress().Close();
        screen.closeWithTag(88);
        return;
    }
    WordDocument& doc = *WordSession->Doc;
    try {
        WalkCatalogue(doc, [](int) { return true; }, [&](int i, int table) {
            const Tfiledata& f = FieldData.at(i);
            if (f.Source == -1) {
                const QString text = NormalizeLineBreaks(doc.CellText(table, f.CellNo));
                LoadedValues[i] = text;
                screen.setText(ControlName(f), text);
                EditValues[i] = text;
            }
            progress().run(QString());
        });
    } catch (const Failure&) {
        WordSession->CloseDocument(false);
        progress().Close();
        throw;
    }
    WordSession->CloseDocument(false);
    progress().Close();
}

void SaveShortForm(FieldAccess& screen, const QString& path, unsigned progressKind)
{
    CompactMembers(screen);
    if (EditValues == LoadedValues)
        return;
    // A document moved or deleted meanwhile: say so, rather than treat it as held by another program.
    if (!QFileInfo::exists(path))
        throw Failure(MissingDocumentText(path));
    progress().FrmShow(progressKind, FieldHigh + 1);
    try {
        if (!WordSession)
            throw Failure(QStringLiteral("打开Word程序出错!"));
        // A document that cannot be opened or unprotected takes no writes: the word processor
        // would refuse them in a protected document, and saving would put our protection over
        // someone else's.
        if (!WordSession->OpenDocument(path))
            throw Failure(QStringLiteral("本文不是合法项目申请书。"));
        WordSession->LastFailure.clear();
        WordDocument& doc = *WordSession->Doc;
        WalkCatalogue(doc, [](int) { return true; }, [&](int i, int table) {
            const Tfiledata& f = FieldData.at(i);
            const int v = f.Source >= 0 ? f.Source : i;
            if (EditValues.at(v) != LoadedValues.at(v)) {
                if (f.FitLength > 0) {
                    doc.SetCellWordWrap(table, f.CellNo, false);
                    doc.SetCellFitText(table, f.CellNo, GbkLength(EditValues.at(v)) > f.FitLength);
                }
                doc.SetCellText(table, f.CellNo, EditValues.at(v));
            }
            progress().run(QString());
        });
        if (!WordSession->CloseDocument(true))
            throw Failure(WordSession->LastFailure.isEmpty()
                              ? QStringLiteral("无法保存文档 %1").arg(QDir::toNativeSeparators(path))
                              : WordSession->LastFailure);
    } catch (...) {
        // Nothing reaches the file and LoadedValues keeps its entries, so the next save
        // writes the same changes again; the progress window does not stay on the screen.
        if (WordSession && WordSession->DocumentAlive())
            WordSession->CloseDocument(false);
        progress().Close();
        throw;
    }
    for (int i = 0; i < EditValues.size(); ++i)
        if (EditValues.at(i) != LoadedValues.at(i))
            LoadedValues[i] = EditValues.at(i);
    progress().Close();
}

void CompactMembers(FieldAccess& screen)
{
    int gap = 0;
    for (int row = 2; row <= 10; ++row) {
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
