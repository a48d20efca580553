#include "FieldCatalogue.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray Record(qint16 table, qint16 cell, const QByteArray& nameField)
{
    QByteArray r(44, '\0');
    qToLittleEndian<qint16>(table, r.data());
    qToLittleEndian<qint16>(cell, r.data() + 2);
    r.replace(6, nameField.size(), nameField);
    qToLittleEndian<qint16>(-1, r.data() + 40);
    qToLittleEndian<qint16>(-2, r.data() + 42);
    return r;
}

} // namespace

TEST(FieldCatalogue, TheEditionsCatalogueHas96Records)
{
    ASSERT_EQ(FieldData().size(), 96);
    EXPECT_EQ(FieldHigh(), 95);
    const Tfiledata& first = FieldData().at(0);
    EXPECT_EQ(first.TableNo, 1);
    EXPECT_EQ(first.CellNo, 5);
    EXPECT_EQ(first.Name, "xmlbdm");
    EXPECT_EQ(first.Check, -1);
    EXPECT_EQ(FieldData().at(7).AltName, "xmzfg1");
    EXPECT_EQ(FieldData().at(7).Check, -2);
    // Mirrors name their source by index.
    EXPECT_EQ(FieldData().at(14).Source, 4);
    EXPECT_EQ(FieldData().at(14).FitLength, 84);
    EXPECT_EQ(FieldData().at(36).Source, 6);
    EXPECT_EQ(FieldData().at(92).Name, "xmjj");
    EXPECT_EQ(FieldData().at(95).CellNo, 142);
    for (const Tfiledata& f : FieldData()) {
        EXPECT_GT(f.TableNo, 0);
        EXPECT_TRUE(f.TableKey.isEmpty());
    }
}

TEST(FieldCatalogue, MemberRowsFollowTheirPattern)
{
    for (int k = 2; k <= 10; ++k) {
        const int r = 47 + 5 * (k - 2);
        const int base = 82 + 6 * (k - 2);
        const QString n = QString::number(k);
        EXPECT_EQ(FieldData().at(r).Name, "xm" + n);
        EXPECT_EQ(FieldData().at(r).Check, 3);
        EXPECT_EQ(FieldData().at(r).CellNo, base);
        EXPECT_EQ(FieldData().at(r + 2).Name, "sfzh" + n);
        EXPECT_EQ(FieldData().at(r + 2).FitLength, 16);
        EXPECT_EQ(FieldData().at(r + 3).AltName, k == 10 ? QString("czdwa") : "czdw" + n);
        EXPECT_EQ(FieldData().at(r + 3).FitLength, 18);
        EXPECT_EQ(FieldData().at(r + 4).CellNo, base + 4);
        EXPECT_EQ(FieldData().at(r).AltName, k == 10 ? QString("xma") : "xm" + n);
    }
}

TEST(FieldCatalogue, ReadsExactlyTheStoredLengthAndWholeRecords)
{
    // "xkdm" stored with leftovers of an older, longer name after its length byte.
    QByteArray bytes = Record(1, 6, QByteArray("\4xkdmdmzz", 9)) + Record(2, 3, QByteArray("\12abcdefghij", 11));
    bytes += QByteArray(20, '\x7f');  // a partial record
    const Tarrfiledata records = ParseFieldCatalogue(bytes);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].Name, "xkdm");
    EXPECT_EQ(records[0].CellNo, 6);
    EXPECT_EQ(records[1].Name, "abcdefghij");
    EXPECT_EQ(records[1].Source, -1);
    EXPECT_EQ(records[1].Check, -2);
    EXPECT_TRUE(ParseFieldCatalogue(QByteArray()).isEmpty());
    EXPECT_TRUE(ParseFieldCatalogue(QByteArray(43, 'x')).isEmpty());
    // A damaged length byte never reads past the field.
    EXPECT_EQ(ParseFieldCatalogue(Record(1, 1, QByteArray("\xff" "abc", 4)))[0].Name.size(), 10);
}
