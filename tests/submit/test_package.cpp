#include "ZipInMemory.h"
#include "BusyInput.h"
#include "Failure.h"
#include "Package.h"
#include "StartPackage.h"
#include "TestSupport.h"
#include "ZipFormat.h"
#include "ZipReader.h"
#include "ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QtEndian>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class RecordingProgress : public ProgressSink {
public:
    QStringList messages;
    int closes = 0;
    void FrmShow(unsigned, int) override {}
    void run(const QString&) override {}
    void zipxMsg(const QString& text) override { messages << text; }
    void setGauge(int) override {}
    void Close() override { ++closes; }
};

struct PackageTest : ::testing::Test {
    QTemporaryDir dir;
    PackageState state;
    RecordingProgress window;
    QString doc;
    QByteArray content;

    PackageTest()
    {
        installProgress(&window);
        doc = dir.path() + QStringLiteral("/李四B.qvx");
        content = QByteArray("PK-like document body ").repeated(5000);
        WriteFile(doc, content);
    }
    ~PackageTest() override { installProgress(nullptr); }
    QString Pack()
    {
        const QString pkg = dir.path() + "/out/p.qvs";
        QDir().mkpath(dir.path() + "/out");
        EXPECT_TRUE(CompressPackage(state, doc, pkg, zip::dtDeflateN).ok);
        return pkg;
    }
};

bool Zip(const QString& archive, const QStringList& files)
{
    if (QStandardPaths::findExecutable("zip").isEmpty())
        return false;
    QProcess p;
    p.start("zip", QStringList{"-q", "-j", archive} + files);
    return p.waitForFinished() && p.exitCode() == 0;
}

} // namespace

TEST_F(PackageTest, PackCheckAndUnpack)
{
    const QString pkg = Pack();
    // Packed, then read back and checked before it took its place.
    EXPECT_EQ(state.ListBox1, QStringList({doc, QStringLiteral("成功 李四B.qvx")}));
    EXPECT_EQ(state.CurrentEntryPath, doc);
    EXPECT_EQ(state.BegunCount, 1);
    EXPECT_EQ(window.messages.last(), QStringLiteral("正在压缩申请书文件..."));

    QString message;
    message = CheckPackage(state, pkg).entry;
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(message, QStringLiteral("李四B.qvx"));
    EXPECT_EQ(state.ListBox1, QStringList({QStringLiteral("成功 李四B.qvx")}));
    EXPECT_EQ(window.messages.last(), QStringLiteral("正在校验申请书文件..."));

    // No file of the entry's name in the package's folder: written there, then renamed.
    const QString target = dir.path() + "/test.jx";
    EXPECT_TRUE(ExtractPackage(state, pkg, target).ok);
    EXPECT_EQ(ReadAll(target), content);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/out/李四B.qvx")));
    EXPECT_EQ(state.BegunCount, 2);
    EXPECT_EQ(window.messages.last(), QStringLiteral("正在解压申请书文件..."));
    EXPECT_EQ(window.closes, 3);
}

TEST_F(PackageTest, WhatThePackagesFolderHoldsChangesNothing)
{
    // A file named like the entry beside the package is neither touched nor decisive: the
    // outcome is the same with it as without it.
    const QString pkg = Pack();
    const QString sameName = dir.path() + QStringLiteral("/out/李四B.qvx");
    WriteFile(sameName, "mine");
    const QString target = dir.path() + "/t.qvx";
    WriteFile(target, "old target");
    EXPECT_FALSE(ExtractPackage(state, pkg, target).ok);
    EXPECT_EQ(ReadAll(target), "old target");
    QFile::remove(target);
    EXPECT_TRUE(ExtractPackage(state, pkg, target).ok);
    EXPECT_EQ(ReadAll(sameName), "mine");
    EXPECT_EQ(ReadAll(target), content);
    const QStringList left = QDir(dir.path() + "/out").entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList({"p.qvs", QStringLiteral("李四B.qvx")}));  // nothing staged, nothing left behind
}

TEST_F(PackageTest, ATargetInTheWayMakesTheRenameFail)
{
    const QString pkg = Pack();
    const QString target = dir.path() + "/t.qvx";
    WriteFile(target, "in the way");
    EXPECT_FALSE(ExtractPackage(state, pkg, target).ok);
    EXPECT_EQ(ReadAll(target), "in the way");
}

TEST_F(PackageTest, PackingReplacesAReadOnlyPackage)
{
    const QString pkg = dir.path() + "/out/p.qvs";
    WriteFile(pkg, "old");
    QFile::setPermissions(pkg, QFile::ReadOwner);
    Pack();
    QString message;
    message = CheckPackage(state, pkg).entry;
    EXPECT_FALSE(message.isEmpty());
}

TEST_F(PackageTest, WhatIsNotAPersonalPackage)
{
    QString message;
    WriteFile(dir.path() + "/text.qvs", "plain text, no archive");
    message = CheckPackage(state, dir.path() + "/text.qvs").message;
    EXPECT_EQ(message, PersonalDocumentText);
    message = CheckPackage(state, dir.path() + "/missing.qvs").message;
    EXPECT_EQ(message.section('\n', 0, 0), PersonalDocumentText);

    // A damaged single entry fails its test.
    const QString pkg = Pack();
    QByteArray bytes = ReadAll(pkg);
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x55);
    WriteFile(pkg, bytes);
    message = CheckPackage(state, pkg).message;
    // The system's line, then what is wrong: the package, never the disk.
    EXPECT_EQ(message.section('\n', 0, 0), PersonalDocumentText);
    EXPECT_TRUE(message.section('\n', 1).startsWith(QStringLiteral("上报文件已损坏："))) << message.toStdString();
    EXPECT_TRUE(state.ListBox1.value(0).startsWith(QStringLiteral("失败 ")));
    // Its extraction leaves nothing at the target, and says the package is damaged.
    const PackResult extracted = ExtractPackage(state, pkg, dir.path() + "/t.qvx");
    EXPECT_FALSE(extracted.ok);
    EXPECT_TRUE(extracted.message.startsWith(QStringLiteral("上报文件已损坏："))) << extracted.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/t.qvx"));
}

TEST_F(PackageTest, PlainZipArchivesFromInfoZip)
{
    WriteFile(dir.path() + "/b.txt", "second");
    if (!Zip(dir.path() + "/one.zip", {doc}))
        GTEST_SKIP() << "zip is not installed";
    QString message;
    message = CheckPackage(state, dir.path() + "/one.zip").entry;
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(message, QStringLiteral("李四B.qvx"));
    ASSERT_TRUE(Zip(dir.path() + "/two.zip", {doc, dir.path() + "/b.txt"}));
    message = CheckPackage(state, dir.path() + "/two.zip").message;
    EXPECT_EQ(message, UnitPackageText);
    EXPECT_TRUE(state.ListBox1.isEmpty());  // refused from the central directory, nothing inflated
}

TEST_F(PackageTest, AnEmptyArchiveIsNoPackage)
{
    WriteFile(dir.path() + "/empty.zip", QByteArray("PK\5\6", 4) + QByteArray(18, '\0'));
    QString message;
    message = CheckPackage(state, dir.path() + "/empty.zip").message;
    EXPECT_EQ(message, PersonalDocumentText);
}

TEST_F(PackageTest, NoFolderIsEverMade)
{
    const QString pkg = Pack();
    const QString nowhere = dir.path() + "/nowhere/sub";
    EXPECT_FALSE(ExtractPackage(state, nowhere + "/p.qvs", dir.path() + "/t.qvx").ok);
    const PackResult missing = ExtractPackage(state, pkg, nowhere + "/t.qvx");
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.message.contains(QStringLiteral("文件或文件夹不存在"))) << missing.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/nowhere"));
}

TEST_F(PackageTest, APackageNeverTakesThePlaceOfItsDocument)
{
    const QString hard = dir.path() + "/hard.qvx";
    const QString soft = dir.path() + "/soft.qvs";
    ASSERT_EQ(::link(QFile::encodeName(doc).constData(), QFile::encodeName(hard).constData()), 0);
    ASSERT_TRUE(QFile::link(doc, soft));
    for (const QString& target : {doc, hard, soft}) {
        const PackResult packed = CompressPackage(state, doc, target, zip::dtDeflateN);
        EXPECT_FALSE(packed.ok) << target.toStdString();
        EXPECT_TRUE(packed.message.contains(QStringLiteral("同一个文件"))) << packed.message.toStdString();
        EXPECT_EQ(ReadAll(doc), content);
    }
}

TEST_F(PackageTest, AFailedPackLeavesTheOlderPackageAndSaysWhy)
{
    const QString pkg = Pack();
    const QByteArray older = ReadAll(pkg);
    WriteFile(doc, QByteArray("新的申请书内容，比旧的长得多").repeated(4000));
    PackResult packed;
    {
        const FileSizeLimit full(older.size() + 100);
        packed = CompressPackage(state, doc, pkg, zip::dtDeflateS);
    }
    EXPECT_FALSE(packed.ok);
    EXPECT_TRUE(packed.message.contains(pkg)) << packed.message.toStdString();
    EXPECT_TRUE(packed.message.contains(QStringLiteral("文件太大"))) << packed.message.toStdString();
    EXPECT_EQ(ReadAll(pkg), older);
    EXPECT_EQ(QDir(dir.path() + "/out").entryList(QDir::Files | QDir::Hidden), QStringList({"p.qvs"}));
}

namespace {

// A plain archive of one entry whose central directory lists it a second time: two entries
// sharing one header and one stream, as a crafted package would.
QByteArray SharedData()
{
    QByteArray zip = ZipInMemory({{QStringLiteral("a.qvx"), QByteArray("document").repeated(100)}});
    const qsizetype end = zip.lastIndexOf(QByteArray("PK\5\6", 4));
    const quint32 cdSize = qFromLittleEndian<quint32>(zip.constData() + end + 12);
    const quint32 cdOffset = qFromLittleEndian<quint32>(zip.constData() + end + 16);
    QByteArray central = zip.mid(cdOffset, cdSize);
    central[46] = 'b';  // another name for the same data
    zip.insert(cdOffset + cdSize, central);
    const qsizetype newEnd = end + central.size();
    qToLittleEndian<quint16>(2, zip.data() + newEnd + 8);
    qToLittleEndian<quint16>(2, zip.data() + newEnd + 10);
    qToLittleEndian<quint32>(cdSize * 2, zip.data() + newEnd + 12);
    return zip;
}

} // namespace

TEST_F(PackageTest, MultiEntryAndSharedDataPackagesWriteNothing)
{
    WriteFile(dir.path() + "/in/b.txt", "second");
    const QString two = dir.path() + "/in/two.qvs";
    WriteFile(two, ZipInMemory({{QStringLiteral("a.qvx"), content}, {QStringLiteral("../b.txt"), "x"}}));
    const QString shared = dir.path() + "/in/shared.qvs";
    WriteFile(shared, SharedData());
    QString message;
    message = CheckPackage(state, two).message;
    EXPECT_EQ(message, UnitPackageText);
    message = CheckPackage(state, shared).message;
    EXPECT_EQ(message.section('\n', 0, 0), PersonalDocumentText);
    for (const QString& package : {two, shared}) {
        EXPECT_FALSE(ExtractPackage(state, package, dir.path() + "/target.qvx").ok);
        EXPECT_FALSE(QFileInfo::exists(dir.path() + "/target.qvx"));
    }
    EXPECT_EQ(QDir(dir.path() + "/in").entryList(QDir::Files | QDir::Hidden),
              QStringList({"b.txt", "shared.qvs", "two.qvs"}));  // the download folder is only read
    EXPECT_EQ(ZipReader::openData(SharedData()).reader, nullptr);
}

TEST_F(PackageTest, ADanglingLinkNamedLikeTheEntryIsNotWrittenThrough)
{
    const QString pkg = Pack();
    const QString elsewhere = dir.path() + "/elsewhere.qvx";
    ASSERT_TRUE(QFile::link(elsewhere, dir.path() + QStringLiteral("/out/李四B.qvx")));
    const QString target = dir.path() + "/t.qvx";
    EXPECT_TRUE(ExtractPackage(state, pkg, target).ok);
    EXPECT_EQ(ReadAll(target), content);
    EXPECT_FALSE(QFileInfo::exists(elsewhere));
    // A target whose folder cannot take it fails and leaves nothing staged anywhere.
    EXPECT_FALSE(ExtractPackage(state, pkg, dir.path() + "/missing/t.qvx").ok);
    EXPECT_EQ(QDir(dir.path() + "/out").entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"p.qvs", QStringLiteral("李四B.qvx")}));
}

TEST_F(PackageTest, WhileAnOperationRunsOnlyTheProgressWindowTakesInput)
{
    QWidget main, progressWindow;
    progressWindow.setProperty(TakesInputWhileBusy, true);
    auto* button = new QPushButton(&main);
    auto* close = new QPushButton(&progressWindow);
    int pressed = 0, closed = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++pressed; });
    QObject::connect(close, &QPushButton::clicked, [&] { ++closed; });
    bool tried = false;
    state.gauges = [&](int, int) {
        if (tried)
            return;
        tried = true;
        QTest::mouseClick(button, Qt::LeftButton);  // a second click on the toolbar
        QTest::mouseClick(close, Qt::LeftButton);   // a click that closes the progress window
    };
    Pack();
    EXPECT_TRUE(tried);
    EXPECT_EQ(pressed, 0);
    EXPECT_EQ(closed, 1);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(pressed, 1);  // input is back once the operation has ended
}

// A package opened at start never replaces a document already beside it: the user names
// another (which takes the document's extension) or declines, and then nothing is written.
TEST_F(PackageTest, AtStartAnOccupiedTargetIsNamedByTheUser)
{
    const QString pkg = Pack();
    const QString standing = dir.path() + QStringLiteral("/out/p申请书.qvx");
    WriteFile(standing, "the user's own document");
    QString proposed;
    const StartDocument declined = UnpackAtStart(state, pkg, [&](const QString& p) {
        proposed = p;
        return QString();
    });
    EXPECT_TRUE(declined.path.isEmpty());
    EXPECT_EQ(proposed, standing);
    EXPECT_EQ(ReadAll(standing), "the user's own document");

    const StartDocument named = UnpackAtStart(state, pkg, [&](const QString&) { return dir.path() + "/out/new.doc"; });
    EXPECT_EQ(named.path, dir.path() + "/out/new.qvx");
    EXPECT_TRUE(named.failure.isEmpty());
    EXPECT_EQ(ReadAll(named.path), content);
    EXPECT_EQ(ReadAll(standing), "the user's own document");
}

TEST_F(PackageTest, EncryptedAndCutShortPackagesSaySoAndNeverBlameTheDisk)
{
    // What another archiver writes with AES: method 99 and the encryption flag, in both headers.
    QByteArray aes = ZipInMemory({{QStringLiteral("申请书.qvx"), content}});
    for (qsizetype at = aes.indexOf("PK\3\4"); at >= 0; at = aes.indexOf("PK\3\4", at + 4)) {
        qToLittleEndian<quint16>(1, aes.data() + at + 6);
        qToLittleEndian<quint16>(zip::MethodAes, aes.data() + at + 8);
    }
    for (qsizetype at = aes.indexOf("PK\1\2"); at >= 0; at = aes.indexOf("PK\1\2", at + 4)) {
        qToLittleEndian<quint16>(1, aes.data() + at + 8);
        qToLittleEndian<quint16>(zip::MethodAes, aes.data() + at + 10);
    }
    WriteFile(dir.path() + "/aes.qvs", aes);
    const PackResult encrypted = ExtractPackage(state, dir.path() + "/aes.qvs", dir.path() + "/a.qvx");
    EXPECT_FALSE(encrypted.ok);
    EXPECT_TRUE(encrypted.message.startsWith(QStringLiteral("上报文件使用了不支持的加密方式："))) << encrypted.message.toStdString();
    EXPECT_TRUE(CheckPackage(state, dir.path() + "/aes.qvs").message.contains(QStringLiteral("上报文件使用了不支持的加密方式：")));

    // A package that did not arrive whole, cut in its data or before its directory.
    const QByteArray whole = ReadAll(Pack());
    for (const qsizetype size : {whole.size() / 2, whole.size() - 30}) {
        WriteFile(dir.path() + "/cut.qvs", whole.left(size));
        for (const QString& message : {ExtractPackage(state, dir.path() + "/cut.qvs", dir.path() + "/c.qvx").message,
                                       CheckPackage(state, dir.path() + "/cut.qvs").message}) {
            EXPECT_TRUE(message.contains(QStringLiteral("上报文件已损坏："))) << message.toStdString();
            EXPECT_FALSE(message.contains(QStringLiteral("设备"))) << message.toStdString();
            EXPECT_FALSE(message.contains(QStringLiteral("磁盘"))) << message.toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(dir.path() + "/c.qvx"));
    }
}
