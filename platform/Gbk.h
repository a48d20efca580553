#pragma once
// GBK (code page 936) at the edges: resource texts, the marker file, byte lengths, entry names.
#include <QByteArray>
#include <QString>

QByteArray ToGbk(const QString& text);
QString FromGbk(const QByteArray& bytes);
// Length in GBK bytes: a Chinese character counts 2. Field and cell limits count this way.
int GbkLength(const QString& text);
