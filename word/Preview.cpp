#include "Preview.h"

#include "DocumentEngine.h"
#include "SafeWrite.h"
#include "OfficeRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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
    if (const Outcome delivered = DeliverCopy(run.output, pdf); !delivered.written())
        return {false, Explain(delivered)};
    return {true, {}};
}
