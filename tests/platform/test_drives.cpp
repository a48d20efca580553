#include "Drives.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A small machine: a fixed root, a USB stick, a CD, a RAM disk and a network share.
struct FakeMachine {
    QTemporaryDir root;     // stands in for the file system the paths live in
    QTemporaryDir sys;      // stands in for /sys
    QString mountInfo;

    FakeMachine()
    {
        for (const char* d : {"home/u", "media/stick", "media/cd", "run/ram", "net/share", "media/my stick"})
            QDir().mkpath(root.path() + "/" + d);
        const QString r = root.path();
        mountInfo = QString("22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                            "23 22 8:1 / %1 rw - ext4 /dev/sda1 rw\n"
                            "30 23 8:17 / %1/media/stick rw - vfat /dev/sdb1 rw\n"
                            "31 23 11:0 / %1/media/cd ro - iso9660 /dev/sr0 ro\n"
                            "32 23 0:40 / %1/run/ram rw - tmpfs tmpfs rw\n"
                            "33 23 0:41 / %1/net/share rw - nfs4 server:/export rw\n"
                            "34 23 8:33 / %2/media/my\\040stick rw - vfat /dev/sdc1 rw\n")
                        .arg(r, r);
        // sda is a fixed disk, sdb removable, sdc an USB stick that reports removable 0.
        const QString s = sys.path();
        QDir().mkpath(s + "/devices/pci/ata1/block/sda/sda1");
        QDir().mkpath(s + "/devices/pci/usb1/block/sdb/sdb1");
        QDir().mkpath(s + "/devices/pci/usb2/block/sdc/sdc1");
        WriteFile(s + "/devices/pci/ata1/block/sda/removable", "0\n");
        WriteFile(s + "/devices/pci/ata1/block/sda/sda1/partition", "1\n");
        WriteFile(s + "/devices/pci/usb1/block/sdb/removable", "1\n");
        WriteFile(s + "/devices/pci/usb1/block/sdb/sdb1/partition", "1\n");
        WriteFile(s + "/devices/pci/usb2/block/sdc/removable", "0\n");
        WriteFile(s + "/devices/pci/usb2/block/sdc/sdc1/partition", "1\n");
        QDir().mkpath(s + "/class/block");
        QFile::link(s + "/devices/pci/ata1/block/sda/sda1", s + "/class/block/sda1");
        QFile::link(s + "/devices/pci/usb1/block/sdb/sdb1", s + "/class/block/sdb1");
        QFile::link(s + "/devices/pci/usb2/block/sdc/sdc1", s + "/class/block/sdc1");
    }
    int kind(const QString& relative) const
    {
        return DriveKindFrom(root.path() + "/" + relative, mountInfo, sys.path());
    }
};

} // namespace

TEST(DriveKind, ClassifiesTheMountThatHoldsThePath)
{
    FakeMachine m;
    EXPECT_EQ(m.kind("home/u/doc.qvx"), DriveFixed);  // missing file: its folder counts
    EXPECT_EQ(m.kind("media/stick/a.qvs"), DriveRemovable);
    EXPECT_EQ(m.kind("media/my stick/a.qvs"), DriveRemovable);
    EXPECT_EQ(m.kind("media/cd"), DriveOptical);
    EXPECT_EQ(m.kind("run/ram/x"), DriveRam);
    EXPECT_EQ(m.kind("net/share/deep/er/x"), DriveNetwork);
    // A name that merely begins like a mount point is not under it.
    QDir().mkpath(m.root.path() + "/media/stickers");
    EXPECT_EQ(m.kind("media/stickers/x"), DriveFixed);
}

TEST(DriveKind, NothingMountedIsUnknown)
{
    EXPECT_EQ(DriveKindFrom("/tmp", "", "/sys"), DriveUnknown);
    EXPECT_EQ(DriveKindFrom("/tmp", "garbage line\n\n1 2 3\n", "/sys"), DriveUnknown);
}

TEST(DriveKind, TheRunningSystemAnswersForItsOwnFolders)
{
    const int kind = DriveKind(QDir::currentPath());
    EXPECT_GE(kind, DriveFixed);
    EXPECT_LE(kind, DriveNetwork);
}

TEST(WorkingFolders, TemporaryAndWindowsFoldersLiveInTheHome)
{
    TestHome home;
    const QString temp = TempFolderPath();
    EXPECT_EQ(temp, home.path() + "/.cache/qentemp/");
    EXPECT_TRUE(QFileInfo(temp).isDir());
    EXPECT_EQ(WindowsFolder(), home.path() + "/.local/share/vantra/");
    // A bare file name has no folder and maps into the temporary folder.
    EXPECT_EQ(LocalCopyPath("a.qvs"), temp + "a.qvs");
}

TEST(WorkingFolders, LocalCopyPathFollowsTheDriveKind)
{
    TestHome home;
    home.drives.kinds.insert(home.path() + "/usb/", DriveRemovable);
    home.drives.kinds.insert(home.path() + "/net/", DriveNetwork);
    EXPECT_EQ(LocalCopyPath(home.path() + "/x.qvs"), home.path() + "/x.qvs");
    EXPECT_EQ(LocalCopyPath(home.path() + "/usb/x.qvs"), TempFolderPath() + "x.qvs");
    EXPECT_EQ(LocalCopyPath(home.path() + "/net/y.qvs"), TempFolderPath() + "y.qvs");
}
