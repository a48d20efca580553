#include "DisciplineTree.h"

#include "Gb18030.h"
#include "Resources.h"
#include "Text.h"

QList<DisciplineNode> ParseDisciplines(const QString& text)
{
    QList<DisciplineNode> nodes;
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts)) {
        int level = 0;
        while (level < line.size() && line.at(level) == '\t')
            ++level;
        if (level < line.size())
            nodes.append({level, line.mid(level)});
    }
    return nodes;
}

QString DisciplineCode(const QString& text)
{
    return TrimBlanks(text.section(' ', 0, 0));
}

QString DisciplineName(const QString& text)
{
    const qsizetype blank = text.indexOf(' ');
    return blank < 0 ? QString() : TrimBlanks(text.mid(blank + 1));
}

QList<DisciplineNode> EmbeddedDisciplines()
{
    return ParseDisciplines(FromGb18030(ResourceBytes("text", "xkpz").value_or(QByteArray())));
}
