#include "Preview.h"

#include "BusyInput.h"
#include "DocumentEngine.h"
#include "Edition.h"
#include "SafeWrite.h"
#include "Seams.h"
#include "OfficeRun.h"
#include "Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

PreviewResult RenderPdf(const QString& document, const QString& pdf, const std::function<bool()>& stop)
{
    // LibreOffice is told the format by the copy's name.
    const QString copy = IsOldFormatDocument(document) ? QStringLiteral("申请书.doc") : QStringLiteral("申请书.docx");
    const OfficeOutcome run = ConvertWithOffice(document, copy, "pdf", "pdf", PreviewSeconds, stop);
    switch (run.status) {
    case OfficeOutcome::Done: break;
    case OfficeOutcome::NoOffice: return {false, NoPreviewOfficeText};
    case OfficeOutcome::Unreadable: return {false, QStringLiteral("无法读取申请书 %1").arg(run.detail)};
    case OfficeOutcome::NotStarted: return {false, QStringLiteral("无法启动 LibreOffice：%1").arg(run.detail)};
    case OfficeOutcome::Stopped: return {false, QStringLiteral("已取消预览。")};
    case OfficeOutcome::TimedOut:
        return {false, QStringLiteral("LibreOffice 在 %1 秒内没有完成转换，已停止。").arg(PreviewSeconds)};
    case OfficeOutcome::Failed: return {false, QStringLiteral("LibreOffice 未能把申请书转成 PDF。%1").arg(run.detail)};
    }
    QString reason;
    if (!DeliverCopy(run.output, pdf, &reason))
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
