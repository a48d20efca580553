#include "Gb18030.h"

#include <QStringDecoder>
#include <QStringEncoder>

QByteArray ToGb18030(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString FromGb18030(const QByteArray& bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

int Gb18030Length(const QString& text)
{
    return int(ToGb18030(text).size());
}
