// Writes whose rare failures are made to happen through the system-call table: a folder that
// cannot be flushed, a mode that cannot be kept.
#include "SafeWrite.h"
#include "SystemCalls.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Restores the real calls however the test ends.
struct FaultyCalls {
    ~FaultyCalls() { RestoreSystemCalls(); }
};

int FailOnFolders(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EIO;
        return -1;
    }
    return ::fsync(fd);
}

} // namespace

TEST(SafeWrite, AFolderThatCannotBeFlushedIsAWarningNotAFailure)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/doc.qvx";
    WriteFile(path, "old");
    const FaultyCalls restore;
    systemCalls().fsync = FailOnFolders;
    const Outcome written = WriteBytesAtomically(path, "new");
    EXPECT_EQ(written.cause, Cause::NotDurable);
    EXPECT_TRUE(written.written());
    EXPECT_EQ(written.error, EIO);
    EXPECT_EQ(ReadAll(path), "new");  // the data is where it belongs
    EXPECT_TRUE(Explain(written).contains(QStringLiteral("已保存"))) << Explain(written).toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.qvx"});
}

TEST(SafeWrite, AModeThatCannotBeKeptStopsTheWriteBeforeAnythingIsReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/shared.qvx";
    WriteFile(path, "the applicant's");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const FaultyCalls restore;
    systemCalls().fchmod = [](int, mode_t) {
        errno = EPERM;
        return -1;
    };
    const Outcome written = WriteBytesAtomically(path, "new");
    EXPECT_EQ(written.cause, Cause::WriteFailed);
    EXPECT_EQ(written.error, EPERM);
    EXPECT_EQ(ReadAll(path), "the applicant's");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"shared.qvx"});
}
