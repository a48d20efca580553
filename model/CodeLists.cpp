#include "CodeLists.h"

#include "Edition.h"
#include "Gb18030.h"
#include "Resources.h"
#include "Text.h"

QList<CodeList> ParseCodeLists(const QString& text)
{
    QList<CodeList> lists;
    int expected = 0, seen = 0;
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts)) {
        if (seen == expected) {
            expected = line.left(5).trimmed().toInt();
            seen = 0;
            lists.append({line.mid(5).trimmed(), {}});
            continue;
        }
        const SplitText split = SplitAtLast(line, CodeSeparator);
        lists.last().items.append({split.head, split.tail});
        ++seen;
    }
    return lists;
}

QList<CodeList> EmbeddedCodeLists()
{
    return ParseCodeLists(FromGb18030(ResourceBytes("text", "dbpz").value_or(QByteArray())));
}
