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
