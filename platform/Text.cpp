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

SplitText SplitAtLast(const QString& text, const QString& separator)
{
    const qsizetype n = text.size();
    // 1-based position of the last occurrence, 0 when absent or the separator is not one character.
    const qsizetype i = separator.size() == 1 ? text.lastIndexOf(separator.at(0)) + 1 : 0;
    return {i == 1 ? QStringLiteral(" ") : TrimBlanks(text.left(i > 0 ? i - 1 : 0)),
            i == n ? QStringLiteral(" ") : TrimBlanks(text.mid(i))};
}

namespace {

bool Dropped(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

QString Cleaned(const QString& text, bool multiLine)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool lineBreak = c == '\r' || c == '\n' || c == 0x2028 || c == 0x2029;
        if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
            ++i;  // CR LF is one line break
        if (lineBreak)
            out += multiLine ? QStringLiteral("\r\n") : QStringLiteral(" ");
        else if (c == '\t')
            out += multiLine ? QChar('\t') : QChar(' ');
        else if (!Dropped(c))
            out += QChar(c);
    }
    return out;
}

} // namespace

QString SingleLineText(const QString& text)
{
    return Cleaned(text, false);
}

QString MultiLineText(const QString& text)
{
    return Cleaned(text, true);
}

bool HasRefusedCharacters(const QString& text, bool multiLine)
{
    for (const QChar c : text) {
        const bool kept = multiLine && (c == '\r' || c == '\n' || c == '\t');
        if (!kept && (Dropped(c.unicode()) || c.unicode() == 0x2028 || c.unicode() == 0x2029))
            return true;
    }
    return false;
}
