#pragma once
// Text routines for code-list lines and cell texts.
#include <QString>

// Strips leading and trailing characters with codes 0 to 32.
QString TrimBlanks(const QString& text);
// Trims, then turns every CR not followed by LF into CR LF; CR LF and lone LF stay.
QString NormalizeLineBreaks(const QString& text);
// Splits at the last occurrence of a one-character separator. An empty side comes back as a
// single space; an absent separator moves the whole trimmed text into tail.
struct SplitText {
    QString head;
    QString tail;
};
SplitText SplitAtLast(const QString& text, const QString& separator);

// What a single-line field holds of a text: each line break (CR LF, CR, LF, the Unicode line
// and paragraph separators) and each tab becomes one blank; other control characters and the
// direction embeddings, overrides and isolates are dropped (they would reorder what follows).
QString SingleLineText(const QString& text);
// What a multi-line field holds: line breaks as CR LF and tabs stay; the rest as above.
QString MultiLineText(const QString& text);
// True when text holds characters such a field does not: line breaks and tabs in a single-line
// field, other control characters and direction overrides in any.
bool HasRefusedCharacters(const QString& text, bool multiLine);
