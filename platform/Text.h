#pragma once
// Text routines for code-list lines and cell texts.
#include <QString>

// Strips leading and trailing characters with codes 0 to 32.
QString TrimBlanks(const QString& text);
// Trims, then turns every CR not followed by LF into CR LF; CR LF and lone LF stay.
QString NormalizeLineBreaks(const QString& text);
// Splits at the last occurrence of a one-character separator. An empty side comes back as a
// single space; an absent separator moves the whole trimmed text into tail.
void SplitAtLast(QString& text, const QString& separator, QString& tail);
