#include "ShortForm.h"

#include "Gb18030.h"
#include "Text.h"
#include "WordHost.h"

void WriteValues(WordDocument& doc, const QStringList& values, const QStringList& before, const std::function<void()>& step)
{
    WalkCatalogue(doc, [](int) { return true; }, [&](int i, int table) {
        const Tfiledata& f = FieldData().at(i);
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
        return true;
    });
}

int ResolveTable(DocumentReader& doc, int previous, const Tfiledata& f)
{
    if (f.TableNo >= 0)
        return f.TableNo;
    for (int t = previous + 1; t <= doc.TablesCount(); ++t)
        if (doc.CellText(t, 1).startsWith(f.TableKey))
            return t;
    return previous;
}

void WalkCatalogue(DocumentReader& doc, const std::function<bool(int)>& wanted,
                   const std::function<bool(int record, int table)>& visit)
{
    int table = 0;
    int lastTableNo = 0;
    for (int i = 0; i <= FieldHigh(); ++i) {
        if (!wanted(i))
            continue;
        const Tfiledata& f = FieldData().at(i);
        if (f.TableNo != lastTableNo) {
            table = ResolveTable(doc, table, f);
            lastTableNo = f.TableNo;
        }
        if (!visit(i, table))
            return;
    }
}

QStringList ReadFieldValues(DocumentReader& doc, const std::function<void()>& step)
{
    QStringList values = EmptyFieldValues();
    WalkCatalogue(doc, [](int) { return true; }, [&](int i, int table) {
        const Tfiledata& f = FieldData().at(i);
        if (f.Source == -1)
            values[i] = NormalizeLineBreaks(doc.CellText(table, f.CellNo));
        if (step)
            step();
        return true;
    });
    return values;
}

QString NotAnApplicationMessage(const Outcome& cause)
{
    const QString why = Explain(cause);
    return why.isEmpty() ? NotAnApplicationText : NotAnApplicationText + "\n" + why;
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
