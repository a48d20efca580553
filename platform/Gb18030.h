#pragma once
// Chinese text at the edges, in GB 18030: the national standard that is a superset of GBK,
// identical to it on every GBK character, that encodes every Unicode character (a character
// outside GBK takes four bytes). Resource texts, the marker file, byte lengths and entry names
// use it, so that no name is ever turned into "?".
#include <QByteArray>
#include <QString>

QByteArray ToGb18030(const QString& text);
QString FromGb18030(const QByteArray& bytes);
// Length in GB 18030 bytes: an ASCII character counts 1, a GBK Chinese character 2, any other
// character 2 or 4. Field and cell limits count this way.
int Gb18030Length(const QString& text);
