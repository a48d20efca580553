#include "Preview.h"

#include "BusyInput.h"
#include "Edition.h"
#include "SafeWrite.h"
#include "Seams.h"
#include "Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QString Office()
{
    for (const char* name : {"soffice", "libreoffice"})
        if (const QString found = processes().findExecutable(name); !found.isEmpty())
            return found;
    return {};
}

QString Tail(const QByteArray& output)
{
    return QString::fromLocal8Bit(output).trimmed().right(300);
}

} // namespace

PreviewResult RenderPdf(const QString& document, const QString& pdf, const std::function<bool()>& stop)
{
    const QString office = Office();
    if (office.isEmpty())
        return {false, NoOfficeText};
    // LibreOffice works on a copy in a folder of its own: no lock file or backup of it appears
    // beside the applicant's document.
    QTemporaryDir work(QDir::tempPath() + "/vantra-preview-XXXXXX");
    const QString copy = work.path() + "/" + QStringLiteral("申请书.docx");
    if (!work.isValid() || !QFile::copy(document, copy))
        return {false, QStringLiteral("无法读取申请书 %1").arg(QDir::toNativeSeparators(document))};
    const RunOutcome run = processes().run(
        office,
        {"-env:UserInstallation=" + QUrl::fromLocalFile(work.path() + "/profile").toString(), "--headless",
         "--norestore", "--nologo", "--nodefault", "--convert-to", "pdf", "--outdir", work.path(), copy},
        PreviewSeconds * 1000, stop);
    if (!run.started)
        return {false, QStringLiteral("无法启动 LibreOffice（%1）：%2").arg(office, Tail(run.output))};
    if (run.stopped)
        return {false, QStringLiteral("已取消预览。")};
    if (run.timedOut)
        return {false, QStringLiteral("LibreOffice 在 %1 秒内没有完成转换，已停止。").arg(PreviewSeconds)};
    const QString made = work.path() + "/" + QStringLiteral("申请书.pdf");
    if (run.exitCode != 0 || !QFileInfo(made).isFile())
        return {false, QStringLiteral("LibreOffice 未能把申请书转成 PDF。%1").arg(Tail(run.output))};
    QString reason;
    if (!DeliverCopy(made, pdf, &reason))
        return {false, reason};
    return {true, {}};
}

void PreviewApplication(const QString& document)
{
    const QString folder = TempFolder.isEmpty() ? QDir::tempPath() + "/" : TempFolder;
    const QString pdf = folder + QFileInfo(document).completeBaseName() + QStringLiteral("（预览）.pdf");
    PreviewResult result;
    {
        // The progress window repaints and takes its 取消; nothing else takes input meanwhile.
        const BusyInput busy;
        progress().zipxMsg(QStringLiteral("正在用 LibreOffice 生成申请书的预览……"));
        progress().setGauge(-1);
        progress().allowCancel(true);
        result = RenderPdf(document, pdf, [] {
            if (QCoreApplication::instance())
                QCoreApplication::processEvents();
            return progress().cancelRequested();
        });
        progress().allowCancel(false);
        progress().Close();
    }
    if (!result.ok) {
        ShowNotice(result.message, NoticeCaption);
        return;
    }
    if (!urlOpener().openUrl(QUrl::fromLocalFile(pdf).toString()))
        ShowNotice(QStringLiteral("预览已生成，但没有找到打开 PDF 的程序。文件在：\r\n") + QDir::toNativeSeparators(pdf),
                   NoticeCaption);
}
