#include "FileTypes.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(RegisterFileType, WritesTypeEntryAndIcon)
{
    TestHome home;
    const QString data = home.path() + "/.local/share";
    WriteFile(home.path() + "/icon.png", "PNG");
    bool changed = false;
    ASSERT_TRUE(RegisterFileType(".qvs", "qvs_auto_file", "kygrsbwj", "", "/opt/my app/vantra",
                                 home.path() + "/icon.png", &changed));
    EXPECT_TRUE(changed);
    const QString xml = QString::fromUtf8(ReadAll(data + "/mime/packages/qvs_auto_file.xml"));
    EXPECT_TRUE(xml.contains("type=\"application/x-qvs\""));
    EXPECT_TRUE(xml.contains("<glob pattern=\"*.qvs\""));
    EXPECT_TRUE(xml.contains("<comment>kygrsbwj</comment>"));
    EXPECT_TRUE(xml.contains("<icon name=\"application-x-qvs\"/>"));
    const QString entry = QString::fromUtf8(ReadAll(data + "/applications/qvs_auto_file.desktop"));
    EXPECT_TRUE(entry.contains("Exec=\"/opt/my app/vantra\" %f\n"));
    EXPECT_TRUE(entry.contains("MimeType=application/x-qvs;\n"));
    EXPECT_EQ(ReadAll(data + "/icons/hicolor/32x32/mimetypes/application-x-qvs.png"), "PNG");

    // A second run finds everything in place and writes nothing.
    changed = false;
    ASSERT_TRUE(RegisterFileType(".qvs", "qvs_auto_file", "kygrsbwj", "", "/opt/my app/vantra",
                                 home.path() + "/icon.png", &changed));
    EXPECT_FALSE(changed);
    // A moved program points the entry to its new place.
    ASSERT_TRUE(RegisterFileType(".qvs", "qvs_auto_file", "kygrsbwj", "", "/usr/bin/vantra",
                                 home.path() + "/icon.png", &changed));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(ReadAll(data + "/applications/qvs_auto_file.desktop").contains("Exec=\"/usr/bin/vantra\" %f"));
}

TEST(RegisterFileType, WithoutIconUsesTheProgramsOwn)
{
    TestHome home;
    ASSERT_TRUE(RegisterFileType(".qvx", "qvx_auto_file", "vantras", "", "/usr/bin/vantra", ""));
    const QString xml = QString::fromUtf8(ReadAll(home.path() + "/.local/share/mime/packages/qvx_auto_file.xml"));
    EXPECT_TRUE(xml.contains("<icon name=\"vantra\"/>"));
}

TEST(RegisterFileType, RefusesEmptyArgumentsAndUnwritableFolders)
{
    TestHome home;
    EXPECT_FALSE(RegisterFileType("", "c", "d", "", "/usr/bin/vantra", ""));
    EXPECT_FALSE(RegisterFileType(".qvx", "c", "d", "", "", ""));
    EXPECT_FALSE(QFileInfo::exists(home.path() + "/.local/share/mime"));
    // A file where the data folder should be: nothing can be written below it.
    WriteFile(home.path() + "/.local/share", "not a folder");
    EXPECT_FALSE(RegisterFileType(".qvx", "qvx_auto_file", "vantras", "", "/usr/bin/vantra", ""));
}

TEST(DesktopExecLine, QuotesWhatTheShellOrTheEntryWouldReadOtherwise)
{
    EXPECT_EQ(DesktopExecLine("/usr/bin/vantra"), "\"/usr/bin/vantra\" %f");
    EXPECT_EQ(DesktopExecLine("/a b/$x`\"%"), "\"/a b/\\\\$x\\\\`\\\\\"%%\" %f");
    EXPECT_EQ(DesktopExecLine("/a\\b"), "\"/a\\\\\\\\b\" %f");
}
