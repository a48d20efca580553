#pragma once
// Word 97–2003 documents for the tests: made by LibreOffice from the project's own documents at
// test time, and compound files written here, stream by stream, for the kinds no program at
// hand writes (an encrypted package, a Word 95 document) and for documents changed in one field
// of their FIB or their document properties.
#include "CompoundFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QVector>

namespace word97test {

inline bool HaveOffice()
{
    return !QStandardPaths::findExecutable("soffice").isEmpty();
}

// The document converted by LibreOffice to the Word 97 format, in outDir; empty when it failed.
inline QString ToWord97(const QString& document, const QString& outDir)
{
    QTemporaryDir profile;
    QProcess soffice;
    soffice.setProcessChannelMode(QProcess::MergedChannels);
    soffice.start("soffice", {"-env:UserInstallation=file://" + profile.path(), "--headless", "--norestore",
                              "--convert-to", "doc:MS Word 97", "--outdir", outDir, document});
    if (!soffice.waitForFinished(180000) || soffice.exitCode() != 0)
        return {};
    const QString made = outDir + "/" + QFileInfo(document).completeBaseName() + ".doc";
    return QFileInfo::exists(made) ? made : QString();
}

// A version 3 compound file holding the streams in its root storage. Every stream is given at
// least the mini-stream cutoff, so that all live in ordinary sectors; readers take a stream's
// declared size, so the padding is never read as data.
inline QByteArray CompoundFileOf(const QVector<std::pair<QString, QByteArray>>& streams)
{
    constexpr int Sector = 512;
    constexpr quint32 End = 0xFFFFFFFE, Free = 0xFFFFFFFF, FatSector = 0xFFFFFFFD;
    QVector<QByteArray> data;
    for (const auto& s : streams) {
        QByteArray padded = s.second;
        padded.resize(qMax<qsizetype>(4096, (padded.size() + Sector - 1) / Sector * Sector), '\0');
        data << padded;
    }
    const int directorySectors = int((streams.size() + 1) * 128 + Sector - 1) / Sector;
    int dataSectors = 0;
    for (const QByteArray& d : data)
        dataSectors += int(d.size() / Sector);
    int fatSectors = 1;
    while (fatSectors * (Sector / 4) < fatSectors + directorySectors + dataSectors)
        ++fatSectors;
    QVector<quint32> fat(fatSectors * (Sector / 4), Free);
    int next = 0;
    for (int i = 0; i < fatSectors; ++i)
        fat[next++] = FatSector;
    auto chain = [&](int count) {
        const int start = next;
        for (int i = 0; i < count; ++i, ++next)
            fat[next] = i + 1 < count ? quint32(next + 1) : End;
        return start;
    };
    const int directoryStart = chain(directorySectors);
    QVector<int> starts;
    for (const QByteArray& d : data)
        starts << chain(int(d.size() / Sector));

    QByteArray header(Sector, '\0');
    const char signature[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
    std::copy(signature, signature + 8, header.data());
    auto put16 = [](QByteArray& b, int at, quint16 v) { qToLittleEndian(v, b.data() + at); };
    auto put32 = [](QByteArray& b, int at, quint32 v) { qToLittleEndian(v, b.data() + at); };
    put16(header, 24, 0x3E);
    put16(header, 26, 3);
    put16(header, 28, 0xFFFE);
    put16(header, 30, 9);
    put16(header, 32, 6);
    put32(header, 44, quint32(fatSectors));
    put32(header, 48, quint32(directoryStart));
    put32(header, 56, 4096);
    put32(header, 60, End);
    put32(header, 68, End);
    for (int i = 0; i < 109; ++i)
        put32(header, 76 + 4 * i, i < fatSectors ? quint32(i) : Free);

    QByteArray directory(directorySectors * Sector, '\0');
    auto entry = [&](int index, const QString& name, int type, quint32 start, quint32 size, quint32 child,
                     quint32 right) {
        const int at = index * 128;
        for (int c = 0; c < name.size() && c < 31; ++c)
            put16(directory, at + 2 * c, name.at(c).unicode());
        put16(directory, at + 64, quint16((qMin<qsizetype>(name.size(), 31) + 1) * 2));
        directory[at + 66] = char(type);
        directory[at + 67] = 1;  // black
        put32(directory, at + 68, Free);
        put32(directory, at + 72, right);
        put32(directory, at + 76, child);
        put32(directory, at + 116, start);
        put32(directory, at + 120, size);
    };
    entry(0, QStringLiteral("Root Entry"), 5, End, 0, streams.isEmpty() ? Free : 1, Free);
    for (int i = 0; i < streams.size(); ++i)
        entry(i + 1, streams.at(i).first, 2, quint32(starts.at(i)), quint32(data.at(i).size()), Free,
              i + 1 < streams.size() ? quint32(i + 2) : Free);
    for (int i = int(directory.size()) / 128 - 1; i > streams.size(); --i)
        put32(directory, i * 128 + 68, Free), put32(directory, i * 128 + 72, Free), put32(directory, i * 128 + 76, Free);

    QByteArray out = header;
    QByteArray fatBytes(fat.size() * 4, '\0');
    for (int i = 0; i < fat.size(); ++i)
        put32(fatBytes, 4 * i, fat.at(i));
    out += fatBytes + directory;
    for (const QByteArray& d : data)
        out += d;
    return out;
}

// Every stream of a compound file, to be changed and written again.
inline QVector<std::pair<QString, QByteArray>> StreamsOf(const QByteArray& file)
{
    const cfb::CompoundFile compound(file);
    QVector<std::pair<QString, QByteArray>> streams;
    for (const QString& name : compound.streams())
        streams.append({name, compound.stream(name).bytes});
    return streams;
}

inline QByteArray& Stream(QVector<std::pair<QString, QByteArray>>& streams, const QString& name)
{
    for (auto& s : streams)
        if (s.first == name)
            return s.second;
    static QByteArray none;
    return none;
}

// The document with its protection's key set (the Windows edition kept the key of its password).
inline QByteArray WithProtectionKey(const QByteArray& document, quint32 key)
{
    auto streams = StreamsOf(document);
    const QByteArray& main = Stream(streams, "WordDocument");
    const bool tableOne = qFromLittleEndian<quint16>(main.constData() + 10) & 0x0200;
    QByteArray& table = Stream(streams, tableOne ? "1Table" : "0Table");
    const quint32 dop = qFromLittleEndian<quint32>(main.constData() + 154 + 31 * 8);
    qToLittleEndian(key, table.data() + dop + 78);
    table[dop + 7] = char(table.at(dop + 7) | 0x02);  // protected for forms
    return CompoundFileOf(streams);
}

// The document with its FIB's version and flags changed (an older Word, an encrypted one).
inline QByteArray WithFib(const QByteArray& document, quint16 nFib, quint16 setFlags)
{
    auto streams = StreamsOf(document);
    QByteArray& main = Stream(streams, "WordDocument");
    qToLittleEndian(nFib, main.data() + 2);
    qToLittleEndian(quint16(qFromLittleEndian<quint16>(main.constData() + 10) | setFlags), main.data() + 10);
    return CompoundFileOf(streams);
}

} // namespace word97test
