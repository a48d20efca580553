// What the short-form screen stores when it closes or saves, and what it refuses to write into:
// a file another program replaced, a read-only one; a link is written through.
#include "ScreenFixture.h"

#include "Failure.h"
#include "ModalResult.h"
#include "Tags.h"

#include <QFile>
#include <QFileInfo>
#include <QToolButton>

TEST_F(ScreenTest, ClosingWithoutChangesLeavesTheFileAsItWas)
{
    const QByteArray before = ReadAll(path);
    const QDateTime written = QFileInfo(path).lastModified();
    EXPECT_EQ(Show(), ModalOk);
    EXPECT_EQ(Show([&] { screen->SbClose->click(); }), ModalOk);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), written);
}

TEST_F(ScreenTest, EveryNormalCloseStoresAndHandsOver)
{
    QString base, id;
    QObject::connect(screen, &TFrmSimpleform::HandOver, [&](const QString& b, const QString& i) {
        base = b;
        id = i;
    });
    EXPECT_EQ(Show([&] {
                  screen->setText("edxmmc", QStringLiteral("  一个项目  "));
                  screen->setText("edxm1", QStringLiteral("张三"));
                  screen->setText("edxmlbdm", "B");
                  screen->setText("edsfzh1", "11010519491231002X");
                  screen->sbSave->click();
                  EXPECT_EQ(Cell(2, 4), QStringLiteral("一个项目"));
                  screen->setText("edxmjj", QStringLiteral("第一行\r\n第二行"));
              }),
              ModalOk);
    EXPECT_EQ(base, QStringLiteral("2013B张三"));
    EXPECT_EQ(id, "11010519491231002X");
    EXPECT_EQ(Cell(4, 138), QStringLiteral("第一行\r第二行"));
    EXPECT_EQ(document.EditValues.at(Record("xmjj")), QStringLiteral("第一行\r\n第二行"));
}

TEST_F(ScreenTest, AFailedStoreIsShownAndTheScreenStaysOpen)
{
    Show([&] {
        screen->setText("edxmmc", QStringLiteral("改过的名称"));
        {
            const FileSizeLimit full(4096);  // the disk fills up while the document is written
            screen->close();
        }
        EXPECT_TRUE(screen->isVisible());
        ASSERT_GE(home.prompter.shown.size(), 2);
        EXPECT_EQ(home.prompter.shown.at(home.prompter.shown.size() - 2).icon, NoticeIcon::Error);
        EXPECT_TRUE(home.prompter.shown.at(home.prompter.shown.size() - 2).text.contains(QStringLiteral("文件太大")));
        EXPECT_EQ(home.prompter.shown.last().text, StoreFailedQuestion);  // answered Cancel
        // The edit is still there, and the next store writes it.
        EXPECT_EQ(screen->text("edxmmc"), QStringLiteral("改过的名称"));
        EXPECT_EQ(Cell(2, 4), QString());
    });
    EXPECT_EQ(Cell(2, 4), QStringLiteral("改过的名称"));
}

TEST_F(ScreenTest, AReplacedDocumentIsNeverWrittenInto)
{
    const QString other = home.path() + "/lisi.qvx";
    createxms(other);
    SetCell(other, 2, 6, QStringLiteral("李四"));
    const QByteArray hers = ReadAll(other);
    const QString moved = home.path() + QStringLiteral("/张三新.qvx");
    home.picker.answers = {moved};
    QStringList announced;  // what the window title and the submission follow
    QObject::connect(&document, &ApplicationDocument::pathChanged, [&announced](const QString& p) { announced << p; });
    Show([&] {
        screen->setText("edxm1", QStringLiteral("张三"));
        QFile::remove(path);
        QFile::copy(other, path);  // another program puts 李四's document in its place
        screen->setText("edxmmc", QStringLiteral("新题目"));
        home.prompter.answers = {false};
        screen->sbSave->click();
        EXPECT_TRUE(home.prompter.shown.last().text.startsWith(Explain(Outcome::failed(Cause::Replaced, path))));
        EXPECT_EQ(ReadAll(path), hers);
        // Then the values go into a new document of their own.
        home.prompter.answers = {true};
        screen->sbSave->click();
    });
    EXPECT_EQ(ReadAll(path), hers);
    EXPECT_EQ(document.CurDocPath(), moved);
    EXPECT_EQ(announced, QStringList{moved});
    EXPECT_EQ(Cell(2, 4, moved), QStringLiteral("新题目"));
    EXPECT_EQ(Cell(2, 6, moved), QStringLiteral("张三"));
    EXPECT_EQ(Cell(2, 10, moved), QStringLiteral("2013年"));  // the blank document's own values stay
    EXPECT_EQ(home.picker.asked.size(), 1);
}

TEST_F(ScreenTest, AReadOnlyDocumentIsRefusedAndLinksAreWrittenThrough)
{
    // Opened through a link: the link's target takes the values and keeps its permissions.
    const QString target = home.path() + "/real.qvx";
    QFile::rename(path, target);
    QFile::link(target, path);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    Show([&] { screen->setText("edxmmc", QStringLiteral("经由链接")); });
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(Cell(2, 4, target), QStringLiteral("经由链接"));
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                        | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
                                        | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(target) & modeBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

    QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QByteArray before = ReadAll(target);
    home.prompter.answers = {};  // 仍要返回吗: no
    Show([&] {
        screen->setText("edxmmc", QStringLiteral("只读"));
        screen->sbSave->click();
        EXPECT_EQ(home.prompter.shown.last().text, Explain(Outcome::failed(Cause::ReadOnly, path)));
        home.prompter.answers = {true};
    });
    EXPECT_EQ(ReadAll(target), before);
}
