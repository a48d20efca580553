#include "FieldCatalogue.h"

#include "Resources.h"

#include <QtEndian>

namespace {

qint16 Int16At(const char* p)
{
    return qFromLittleEndian<qint16>(p);
}

// One length byte, then up to 10 characters; the bytes past the length are leftovers.
QString ShortStringAt(const char* p)
{
    const int n = qMin(int(static_cast<unsigned char>(p[0])), 10);
    return QString::fromLatin1(p + 1, n);
}

} // namespace

Tarrfiledata ParseFieldCatalogue(const QByteArray& bytes)
{
    const qsizetype count = bytes.size() / FieldRecordSize;
    Tarrfiledata records;
    records.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const char* r = bytes.constData() + i * FieldRecordSize;
        Tfiledata f;
        f.TableNo = Int16At(r);
        f.CellNo = Int16At(r + 2);
        f.FitLength = Int16At(r + 4);
        f.Name = ShortStringAt(r + 6);
        f.AltName = ShortStringAt(r + 17);
        f.TableKey = ShortStringAt(r + 28);
        f.Source = Int16At(r + 40);
        f.Check = Int16At(r + 42);
        records.append(f);
    }
    return records;
}

const Tarrfiledata& FieldData()
{
    static const Tarrfiledata catalogue = ParseFieldCatalogue(ResourceBytes("text", "fieldinfo").value_or(QByteArray()));
    return catalogue;
}

int FieldHigh()
{
    return int(FieldData().size()) - 1;
}

QStringList EmptyFieldValues()
{
    return QStringList(FieldData().size(), QString());
}
