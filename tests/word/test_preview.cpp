// The application as reviewers will see it: rendered by LibreOffice, or a clear word where it
// cannot be.
#include "Edition.h"
#include "Preview.h"
#include "Processes.h"
#include "Resources.h"
#include "TestSupport.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

TEST(Preview, AFilledDocumentAsLibreOfficeRendersIt)
{
    TestHome home;
    SystemProcesses system;
    installProcesses(&system);
    if (system.findExecutable("soffice").isEmpty() || system.findExecutable("pdftotext").isEmpty()) {
        installProcesses(&home.processes);
        GTEST_SKIP() << "LibreOffice or pdftotext is not installed";
    }
    const QString document = home.path() + QStringLiteral("/申请书.qvx");
    createxms(document);
    {
        DocumentEngine word;
        auto doc = word.Open(document, false, true);
        doc->Unprotect(ProtectPassword);
        doc->SetCellText(2, 4, QStringLiteral("面向科研项目评审的异构数据融合方法研究"));
        doc->SetCellText(2, 6, QStringLiteral("欧阳建国华"));
        doc->Protect(2, false, ProtectPassword);
        doc->Close(true);
    }
    const QByteArray before = ReadAll(document);
    const PreviewResult result = RenderPdf(document, home.path() + "/out.pdf", {});
    installProcesses(&home.processes);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    QProcess text;
    text.start("pdftotext", {home.path() + "/out.pdf", "-"});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString pages = QString::fromUtf8(text.readAllStandardOutput()).remove(' ');
    EXPECT_TRUE(pages.contains(QStringLiteral("面向科研项目评审的异构数据融合方法研究")));
    EXPECT_TRUE(pages.contains(QStringLiteral("欧阳建国华")));
    EXPECT_EQ(ReadAll(document), before);  // the applicant's document is only read
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"out.pdf", QStringLiteral("申请书.qvx")}));
}

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
