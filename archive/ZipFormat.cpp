#include "ZipFormat.h"

#include <QtEndian>
#include <libdeflate.h>

namespace zip {

quint16 DeflateFlags(int deflateType)
{
    switch (deflateType) {
    case dtDeflateS: return 0x0006;
    case dtDeflateF: return 0x0004;
    case dtDeflateX: return 0x0002;
    default: return 0x0000;
    }
}

int CompressionLevel(int deflateType)
{
    switch (deflateType) {
    case dtDeflateS: return 1;
    case dtDeflateF: return 3;
    case dtDeflateX: return 9;
    default: return 6;
    }
}

quint32 Crc32(quint32 crc, const void* data, qint64 size)
{
    return libdeflate_crc32(crc, data, size_t(size));
}

QByteArray UnicodePathField(const QByteArray& storedName, const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    QByteArray field(9, '\0');
    qToLittleEndian<quint16>(UnicodePathTag, field.data());
    qToLittleEndian<quint16>(quint16(5 + utf8.size()), field.data() + 2);
    field[4] = 1;  // version
    qToLittleEndian<quint32>(Crc32(0, storedName.constData(), storedName.size()), field.data() + 5);
    return field + utf8;
}

QString UnicodePathName(const QByteArray& extra, const QByteArray& storedName)
{
    for (qsizetype at = 0; at + 4 <= extra.size();) {
        const quint16 tag = qFromLittleEndian<quint16>(extra.constData() + at);
        const quint16 size = qFromLittleEndian<quint16>(extra.constData() + at + 2);
        if (at + 4 + size > extra.size())
            break;
        const char* data = extra.constData() + at + 4;
        if (tag == UnicodePathTag && size >= 5 && data[0] == 1
            && qFromLittleEndian<quint32>(data + 1) == Crc32(0, storedName.constData(), storedName.size()))
            return QString::fromUtf8(data + 5, size - 5);
        at += 4 + size;
    }
    return {};
}

} // namespace zip
