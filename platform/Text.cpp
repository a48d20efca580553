#include "Text.h"

QString TrimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QString NormalizeLineBreaks(const QString& text)
{
    const QString trimmed = TrimBlanks(text);
    QString out;
    out.reserve(trimmed.size() + 8);
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        out += trimmed.at(i);
        if (trimmed.at(i) == '\r' && (i + 1 == trimmed.size() || trimmed.at(i + 1) != '\n'))
            out += '\n';
    }
    return out;
}

void SplitAtLast(QString& text, const QString& separator, QString& tail)
{
    const qsizetype n = text.size();
    // 1-based position of the last occurrence, 0 when absent or the separator is not one character.
    const qsizetype i = separator.size() == 1 ? text.lastIndexOf(separator.at(0)) + 1 : 0;
    tail = i == n ? QStringLiteral(" ") : TrimBlanks(text.mid(i));
    text = i == 1 ? QStringLiteral(" ") : TrimBlanks(text.left(i > 0 ? i - 1 : 0));
}
