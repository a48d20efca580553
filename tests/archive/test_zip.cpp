#include "ZipInMemory.h"
#include "Gb18030.h"
#include "PkCipher.h"
#include "TestSupport.h"
#include "ZipOps.h"
#include "ZipReader.h"
#include "ZipWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray MixedContent(int size)
{
    QByteArray data;
    data.reserve(size);
    quint32 x = 12345;
    while (data.size() < size) {
        x = x * 1103515245u + 12345u;
        if ((x >> 16) % 3 == 0)
            data += QByteArray("申请书正文 research text, repeated often. ").repeated(3);
        else
            data += char(x >> 24);
    }
    data.truncate(size);
    return data;
}

QByteArray Archive(const QVector<std::pair<QByteArray, QByteArray>>& entries, bool encrypt, int type = zip::dtDeflateN)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ZipWriter writer(&buffer, encrypt);
    for (const auto& [name, data] : entries) {
        ZipWriter::Entry e;
        e.rawName = name;
        e.deflateType = type;
        EXPECT_TRUE(writer.add(e, data.constData(), data.size()));
    }
    EXPECT_TRUE(writer.finish());
    return bytes;
}

int RunTool(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(60000);
    if (out)
        *out = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

TEST(PkCipher, HeaderKeyComesFromTheInitialWords)
{
    EXPECT_EQ(PkCipher::HeaderKey.k0, 0x12345678u & 0x34567890u);
    EXPECT_EQ(PkCipher::HeaderKey.k1, 0x12345678u & 0x23456789u);
    EXPECT_EQ(PkCipher::HeaderKey.k2, 0x34567890u & 0x23456789u);
    QByteArray text = "a header and a name";
    const QByteArray plain = text;
    PkCipher(PkCipher::HeaderKey).encrypt(reinterpret_cast<unsigned char*>(text.data()), text.size());
    EXPECT_NE(text, plain);
    PkCipher(PkCipher::HeaderKey).decrypt(reinterpret_cast<unsigned char*>(text.data()), text.size());
    EXPECT_EQ(text, plain);
}

TEST(PkCipher, MatchesTheTraditionalCipherOfInfoZip)
{
    // A password-protected entry made by Info-ZIP decrypts with keys seeded by the password:
    // its 12-byte header's last byte equals the high byte of the CRC (or of the time).
    if (QStandardPaths::findExecutable("zip").isEmpty())
        GTEST_SKIP() << "zip is not installed";
    QTemporaryDir dir;
    WriteFile(dir.path() + "/t.txt", "hello hello hello");
    ASSERT_EQ(RunTool("zip", {"-q", "-0", "-P", "pw", dir.path() + "/t.zip", dir.path() + "/t.txt"}), 0);
    QString error;
    const auto reader = ZipReader::openFile(dir.path() + "/t.zip").reader;
    ASSERT_TRUE(reader) << error.toStdString();
    const zip::EntryInfo& e = reader->entries().at(0);
    QByteArray raw = ReadAll(dir.path() + "/t.zip").mid(e.dataOffset, e.compressedSize);
    PkCipher cipher;
    for (char c : QByteArray("pw")) {
        unsigned char b = static_cast<unsigned char>(c);
        // Seeding is the key update with the password bytes; decrypting a byte that comes out
        // as c performs the same update.
        PkCipher probe(cipher.keys());
        unsigned char enc = b;
        probe.encrypt(&enc, 1);
        cipher.reset(probe.keys());
    }
    cipher.decrypt(reinterpret_cast<unsigned char*>(raw.data()), raw.size());
    EXPECT_EQ(raw.mid(12), "hello hello hello");
}

TEST(ZipWriter, RoundTripsEveryLevelPlainAndEnciphered)
{
    const QByteArray data = MixedContent(300000);
    for (bool encrypt : {false, true}) {
        for (int type : {-1, 0, 1, 2, 3}) {
            const QByteArray bytes = Archive({{"a.qvx", data}, {"empty", QByteArray()}}, encrypt, type);
            QString error;
            const auto reader = ZipReader::openData(bytes).reader;
            ASSERT_TRUE(reader) << error.toStdString();
            ASSERT_EQ(reader->entries().size(), 2);
            const zip::EntryInfo& e = reader->entries().at(0);
            EXPECT_EQ(e.headersEnciphered, encrypt);
            EXPECT_EQ(e.method, type < 0 ? 0 : 8);
            EXPECT_EQ(e.flags & 0x6, type < 0 ? 0 : zip::DeflateFlags(type));
            EXPECT_EQ(reader->readAll(0).bytes, data);
            EXPECT_EQ(reader->readAll(1).bytes, QByteArray());
        }
    }
    EXPECT_EQ(zip::DeflateFlags(zip::dtDeflateS), 6);
    EXPECT_EQ(zip::DeflateFlags(zip::dtDeflateF), 4);
    EXPECT_EQ(zip::DeflateFlags(zip::dtDeflateN), 0);
    EXPECT_EQ(zip::DeflateFlags(zip::dtDeflateX), 2);
}

TEST(ZipWriter, LargeEntriesRoundTripThroughTheWholeBufferPaths)
{
    // Larger than the buffers the kernel serves in huge pages, and not a whole number of them;
    // one that deflates well (inflated whole) and one that does not (inflated as a stream).
    QByteArray noise((1 << 20) + 7, Qt::Uninitialized);
    quint32 x = 7;
    for (char& c : noise)
        c = char((x = x * 1103515245u + 12345u) >> 24);
    const QVector<std::pair<QByteArray, QByteArray>> entries = {{"big.qvx", MixedContent((3 << 20) + 123)},
                                                                {"noise.jpg", noise}};
    const QByteArray bytes = Archive(entries, true);
    QString error;
    const auto reader = ZipReader::openData(bytes).reader;
    ASSERT_TRUE(reader) << error.toStdString();
    for (int i = 0; i < entries.size(); ++i) {
        const QByteArray& data = entries.at(i).second;
        QByteArray pieces;
        qint64 largest = 0;
        const zip::Outcome inflated = reader->read(i, [&](const char* d, qint64 n) {
            pieces.append(d, n);
            largest = qMax(largest, n);
            return true;
        });
        EXPECT_TRUE(inflated.ok) << inflated.error.toStdString();
        EXPECT_EQ(pieces, data);
        EXPECT_LT(largest, data.size());  // handed on in pieces
        EXPECT_EQ(reader->readAll(i).bytes, data);
    }
}

TEST(ZipWriter, InMemoryContainersFlagUtf8Names)
{
    const QByteArray bytes = ZipInMemory({{"word/document.xml", "<w/>"}, {QStringLiteral("图.png"), "x"}});
    const auto reader = ZipReader::openData(bytes).reader;
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->entries().at(0).flags & zip::FlagUtf8Name, 0);
    EXPECT_EQ(reader->entries().at(1).name, QStringLiteral("图.png"));
    EXPECT_EQ(reader->readAll("word/document.xml").bytes, QByteArray("<w/>"));
    EXPECT_FALSE(reader->readAll("missing").ok());
}

TEST(PackFile, PackageLayoutWithEncipheredHeaders)
{
    QTemporaryDir dir;
    const QString doc = dir.path() + QStringLiteral("/张三A.qvx");
    const QByteArray data = MixedContent(100000);
    WriteFile(doc, data);
    ASSERT_TRUE(zip::PackFile(dir.path() + "/p.qvs", doc, zip::dtDeflateN, true, {}).ok);
    const QByteArray pkg = ReadAll(dir.path() + "/p.qvs");
    ASSERT_TRUE(pkg.startsWith(QByteArray("\x50\x4c\x03\x04")));
    EXPECT_TRUE(pkg.right(22).startsWith(QByteArray("\x50\x4b\x05\x06")));
    const qsizetype central = pkg.indexOf(QByteArray("\x50\x4c\x01\x02"));
    ASSERT_GT(central, 0);

    QByteArray fixed = pkg.mid(4, 26);
    PkCipher cipher(PkCipher::HeaderKey);
    cipher.decrypt(reinterpret_cast<unsigned char*>(fixed.data()), fixed.size());
    EXPECT_EQ(qFromLittleEndian<quint16>(fixed.constData()), 20);        // version needed
    EXPECT_EQ(qFromLittleEndian<quint16>(fixed.constData() + 2) & 7, 0); // flags 0-2 clear
    EXPECT_EQ(qFromLittleEndian<quint16>(fixed.constData() + 4), 8);     // deflate
    const quint16 nameLength = qFromLittleEndian<quint16>(fixed.constData() + 22);
    QByteArray name = pkg.mid(30, nameLength);
    cipher.decrypt(reinterpret_cast<unsigned char*>(name.data()), name.size());
    EXPECT_EQ(name, ToGb18030(QStringLiteral("张三A.qvx")));

    const auto reader = ZipReader::openData(pkg).reader;
    ASSERT_TRUE(reader);
    const zip::EntryInfo& e = reader->entries().at(0);
    EXPECT_EQ(e.versionMadeBy, 20);
    EXPECT_EQ(e.internalAttributes, 1);
    EXPECT_EQ(reader->readAll(0).bytes, data);
}

TEST(Interop, PlainArchivesPassInfoZipAndPython)
{
    if (QStandardPaths::findExecutable("unzip").isEmpty())
        GTEST_SKIP() << "unzip is not installed";
    QTemporaryDir dir;
    WriteFile(dir.path() + "/doc.qvx", MixedContent(200000));
    for (int type : {0, 1, 2, 3}) {
        const QString pkg = dir.path() + QString("/plain%1.zip").arg(type);
        ASSERT_TRUE(zip::PackFile(pkg, dir.path() + "/doc.qvx", type, false, {}).ok);
        QByteArray out;
        EXPECT_EQ(RunTool("unzip", {"-t", pkg}, &out), 0) << out.toStdString();
        EXPECT_EQ(RunTool("python3", {"-c", "import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                                        "assert z.testzip() is None; assert z.namelist() == ['doc.qvx']",
                                  pkg}, &out), 0) << out.toStdString();
    }
    const QByteArray memory = ZipInMemory({{"a/b.xml", "<x/>"}, {"c.txt", MixedContent(5000)}});
    WriteFile(dir.path() + "/mem.zip", memory);
    EXPECT_EQ(RunTool("unzip", {"-t", dir.path() + "/mem.zip"}), 0);
}

TEST(PackFile, NamesOutsideGbkKeepEveryCharacter)
{
    // Extensions B and A, Tibetan, Mongolian, Uyghur and Yi: GB 18030 bytes, never "?", and the
    // Unicode Path field for readers that know it.
    QTemporaryDir dir;
    const QString name = QStringLiteral("𠮷䶮〇བོད ᠮᠣᠩ ئۇي ꆈꌠB上报文件.qvx");
    WriteFile(dir.path() + "/" + name, MixedContent(3000));
    for (const bool enciphered : {true, false}) {
        const QString pkg = dir.path() + (enciphered ? "/p.qvs" : "/p.zip");
        ASSERT_TRUE(zip::PackFile(pkg, dir.path() + "/" + name, zip::dtDeflateN, enciphered, {}).ok);
        const auto reader = ZipReader::openFile(pkg).reader;
        ASSERT_TRUE(reader);
        const zip::EntryInfo& e = reader->entries().at(0);
        EXPECT_EQ(e.name, name);
        EXPECT_EQ(e.rawName, ToGb18030(name));
        EXPECT_FALSE(e.rawName.contains('?'));
        EXPECT_EQ(FromGb18030(e.rawName), name);
        EXPECT_EQ(zip::UnicodePathName(e.extra, e.rawName), name);
        EXPECT_EQ(zip::UnicodePathName(e.extra, e.rawName + "x"), QString());  // a name it does not belong to
    }
    if (QStandardPaths::findExecutable("unzip").isEmpty())
        GTEST_SKIP() << "unzip is not installed";
    QByteArray listed;
    EXPECT_EQ(RunTool("unzip", {"-Z1", dir.path() + "/p.zip"}, &listed), 0);
    EXPECT_EQ(QString::fromUtf8(listed).trimmed(), name);  // Info-ZIP takes the Unicode Path field
}

TEST(ZipReader, DamagedArchivesAreRefusedNotFollowed)
{
    const QByteArray data = MixedContent(50000);
    const QByteArray good = Archive({{"doc.qvx", data}}, false);
    const auto reader = ZipReader::openData(good).reader;
    ASSERT_TRUE(reader);
    const qsizetype cd = good.indexOf(QByteArray("PK\1\2"));
    const qsizetype end = good.size() - 22;
    QString error;

    // Truncated anywhere: refused on opening or on reading, never a crash.
    for (qsizetype cut : {qsizetype(10), qsizetype(100), cd, cd + 20, end, good.size() - 1}) {
        const auto r = ZipReader::openData(good.left(cut)).reader;
        EXPECT_TRUE(!r || !r->readAll(0).ok()) << cut;
    }
    // The central directory pointing outside the file.
    QByteArray outside = good;
    qToLittleEndian<quint32>(quint32(good.size() + 1000), outside.data() + end + 16);
    EXPECT_FALSE(ZipReader::openData(outside).reader);
    // A local header offset pointing past the data.
    QByteArray wild = good;
    qToLittleEndian<quint32>(0x7fffffff, wild.data() + cd + 42);
    EXPECT_FALSE(ZipReader::openData(wild).reader);
    // Declared sizes that disagree with the data.
    QByteArray smaller = good;
    qToLittleEndian<quint32>(quint32(data.size() - 1), smaller.data() + cd + 24);
    EXPECT_FALSE(ZipReader::openData(smaller).reader->readAll(0).ok());
    QByteArray larger = good;
    qToLittleEndian<quint32>(quint32(data.size() + 1), larger.data() + cd + 24);
    EXPECT_FALSE(ZipReader::openData(larger).reader->readAll(0).ok());
    // A wrong CRC.
    QByteArray crc = good;
    crc[cd + 16] = char(crc[cd + 16] ^ 1);
    const ZipReader::Contents wrong = ZipReader::openData(crc).reader->readAll(0);
    EXPECT_FALSE(wrong.ok());
    EXPECT_TRUE(wrong.outcome.error.contains(QStringLiteral("校验")));
    EXPECT_EQ(wrong.outcome.cause, zip::Cause::Damaged);
}

TEST(ZipReader, EntriesDeclaringMoreThanTheBoundAreRefusedQuickly)
{
    // A small deflate stream of zeros that would inflate to 600 MiB.
    const QByteArray zeros(1 << 20, '\0');
    QByteArray bytes = Archive({{"bomb", zeros}}, false);
    const qsizetype cd = bytes.indexOf(QByteArray("PK\1\2"));
    qToLittleEndian<quint32>(600u << 20, bytes.data() + cd + 24);
    const auto reader = ZipReader::openData(bytes).reader;
    ASSERT_TRUE(reader);
    const zip::Outcome inflated = reader->read(0, [](const char*, qint64) { return true; });
    EXPECT_FALSE(inflated.ok);
    EXPECT_TRUE(inflated.error.contains(QStringLiteral("过大")));
}

TEST(ExtractEntryTo, AFailedEntryLeavesNoPartialFile)
{
    QTemporaryDir dir;
    const QByteArray data = MixedContent(400000);
    QByteArray bytes = Archive({{"doc.qvx", data}}, true);
    const qsizetype middle = (30 + 7 + bytes.indexOf(QByteArray("PL\1\2", 4))) / 2;
    bytes[middle] = char(bytes[middle] ^ 0xff);  // damage the middle of the data
    WriteFile(dir.path() + "/d.qvs", bytes);
    QDir().mkdir(dir.path() + "/out");
    EXPECT_FALSE(zip::ExtractEntryTo(dir.path() + "/d.qvs", 0, dir.path() + "/out/doc.qvx", {}).ok);
    EXPECT_TRUE(QDir(dir.path() + "/out").entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(TestArchive, ReportsEachEntryAndRefusesNonArchives)
{
    QTemporaryDir dir;
    WriteFile(dir.path() + "/two.zip", Archive({{"a", "1"}, {"b", "2"}}, false));
    QStringList lines;
    zip::Events events;
    events.tested = [&](const QString& name, const zip::Outcome& r) { lines << name + (r.ok ? "+" : "-"); };
    EXPECT_TRUE(zip::TestArchive(dir.path() + "/two.zip", events).ok);
    EXPECT_EQ(lines, QStringList({"a+", "b+"}));
    WriteFile(dir.path() + "/text.txt", "just text");
    const zip::Outcome text = zip::TestArchive(dir.path() + "/text.txt", events);
    EXPECT_FALSE(text.ok);
    EXPECT_FALSE(text.error.isEmpty());
    EXPECT_FALSE(zip::TestArchive(dir.path() + "/missing.qvs", events).ok);
}
