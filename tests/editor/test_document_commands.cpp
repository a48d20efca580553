// What the windows' shared commands say: the preview, where LibreOffice cannot make it.
#include "DocumentCommands.h"
#include "Preview.h"
#include "Resources.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(Preview, WithoutLibreOfficeTheNoticeSaysWhatToInstall)
{
    TestHome home;
    const QString document = home.path() + "/a.qvx";
    createxms(document);
    PreviewApplication(document);
    EXPECT_EQ(home.prompter.texts(), QStringList({NoPreviewOfficeText}));
    EXPECT_TRUE(home.processes.ran.isEmpty());
    EXPECT_TRUE(home.opener.opened.isEmpty());
}

TEST(Preview, OfficesOwnProfileAndItsFailuresAreSaid)
{
    TestHome home;
    const QString document = home.path() + "/a.qvx";
    createxms(document);
    home.processes.installed = {"soffice"};
    home.processes.runs = [](const QString&, const QStringList& arguments) {
        // LibreOffice writes the PDF where it was told.
        const int outdir = int(arguments.indexOf("--outdir"));
        WriteFile(arguments.at(outdir + 1) + QStringLiteral("/申请书.pdf"), "%PDF-1.4");
        return RunOutcome{true, false, false, 0, {}};
    };
    PreviewApplication(document);
    ASSERT_EQ(home.processes.ran.size(), 1);
    const QStringList arguments = home.processes.ran[0].arguments;
    EXPECT_TRUE(arguments.first().startsWith("-env:UserInstallation=file://"));  // never the user's profile
    EXPECT_TRUE(arguments.contains("--headless"));
    ASSERT_EQ(home.opener.opened.size(), 1);
    EXPECT_TRUE(home.opener.opened[0].endsWith(QStringLiteral("a（预览）.pdf")));
    EXPECT_TRUE(home.prompter.shown.isEmpty());

    home.processes.runs = [](const QString&, const QStringList&) { return RunOutcome{true, true, false, -1, {}}; };
    PreviewApplication(document);
    EXPECT_EQ(home.prompter.texts(), QStringList({QStringLiteral("LibreOffice 在 120 秒内没有完成转换，已停止。")}));
}
