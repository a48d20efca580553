// The documents open in the word processor users have: LibreOffice converts them, and what it
// saves back opens here with the same cells and the same per-section protection.
#include "Edition.h"
#include "DocumentEngine.h"
#include "OoxmlDocument.h"
#include "Resources.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool Convert(const QString& home, const QString& file, const QString& format, const QString& outDir)
{
    QProcess soffice;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);  // a private profile
    soffice.setProcessEnvironment(env);
    soffice.setProcessChannelMode(QProcess::MergedChannels);
    soffice.start("soffice", {"--headless", "--norestore", "--convert-to", format, "--outdir", outDir, file});
    return soffice.waitForFinished(180000) && soffice.exitCode() == 0;
}

} // namespace

TEST(LibreOffice, ConvertsAndSavesBackWhatTheEngineWrites)
{
    if (QStandardPaths::findExecutable("soffice").isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir dir;
    const QString blank = dir.path() + "/blank.qvx";
    const QString filled = dir.path() + "/filled.qvx";
    createxms(blank);
    createxms(filled);
    DocumentEngine app;
    {
        auto doc = app.Open(filled, false, true);
        doc->Unprotect(ProtectPassword);
        doc->SetCellText(2, 4, QStringLiteral("黄土高原土壤侵蚀的过程与机理研究"));
        doc->SetCellText(2, 6, QStringLiteral("张三"));
        doc->SetCellText(4, 138, QStringLiteral("第一段内容。\r\n第二段内容。"));
        doc->SetCellWordWrap(4, 3, false);
        doc->SetCellFitText(4, 3, true);
        doc->SetCellText(4, 3, QStringLiteral("黄土高原土壤侵蚀的过程与机理研究"));
        doc->Protect(2, false, ProtectPassword);
        doc->Close(true);
    }
    ASSERT_TRUE(Convert(dir.path(), blank, "pdf", dir.path() + "/pdf"));
    ASSERT_TRUE(Convert(dir.path(), filled, "pdf", dir.path() + "/pdf"));
    EXPECT_GT(QFileInfo(dir.path() + "/pdf/blank.pdf").size(), 1000);
    EXPECT_GT(QFileInfo(dir.path() + "/pdf/filled.pdf").size(), 1000);

    ASSERT_TRUE(Convert(dir.path(), filled, "docx", dir.path() + "/resaved"));
    auto original = app.Open(filled, false, true);
    auto resaved = app.Open(dir.path() + "/resaved/filled.docx", false, true);
    ASSERT_EQ(resaved->SectionsCount(), original->SectionsCount());
    for (int s = 1; s <= original->SectionsCount(); ++s)
        EXPECT_EQ(resaved->ProtectedForForms(s), original->ProtectedForForms(s)) << s;
    for (int t = 1; t <= 4; ++t) {
        ASSERT_EQ(resaved->CellsCount(t), original->CellsCount(t)) << t;
        for (int c = 1; c <= original->CellsCount(t); ++c)
            EXPECT_EQ(resaved->CellText(t, c), original->CellText(t, c)) << t << "/" << c;
    }
    // LibreOffice keeps the password hash, so the program can lift the protection again.
    EXPECT_NO_THROW(resaved->Unprotect(ProtectPassword));
}
