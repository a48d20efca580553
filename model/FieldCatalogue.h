#pragma once
// The field catalogue: where each short-form value lives in the document, and its rules.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

struct Tfiledata {
    qint16 TableNo = 0;    // table in document order from 1; negative: found by TableKey
    qint16 CellNo = 0;     // cell of that table from 1, row by row, a merged cell once
    qint16 FitLength = 0;  // > 0: fit the text to the cell when longer than this many GB 18030 bytes
    QString Name;          // the control showing it is "ed" + Name (letter case ignored)
    QString AltName;
    QString TableKey;
    qint16 Source = -1;    // -1 own field; >= 0 mirrors the record with that index
    qint16 Check = 0;      // -1 required, -2 optional, k > 0 member name tying k+1 cells, 0 none
};
using Tarrfiledata = QVector<Tfiledata>;

inline constexpr int FieldRecordSize = 44;

// The embedded catalogue, read once on first use and never changed after; FieldHigh is the
// index of its last record.
const Tarrfiledata& FieldData();
int FieldHigh();

// Whole 44-byte records only; trailing bytes are ignored.
Tarrfiledata ParseFieldCatalogue(const QByteArray& bytes);
// One empty value per catalogue record: the values of a document not yet read. Entry i of a
// document's values belongs to catalogue record i.
QStringList EmptyFieldValues();
