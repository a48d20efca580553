#include "OldFormat.h"

#include "BusyInput.h"
#include "Conversion.h"
#include "Edition.h"
#include "Seams.h"

#include <QCoreApplication>
#include <QDir>

std::optional<QString> ConvertOnRequest(const QString& document)
{
    const QString target = ConvertedNameFor(document);
    if (!AskConfirm(QStringLiteral("本申请书是旧版（Word 97–2003）格式，要转换为新格式后再编辑吗？\r\n"
                                   "转换后的申请书保存为：%1\r\n原文件保持不变。")
                        .arg(QDir::toNativeSeparators(target)),
                    NoticeCaption))
        return std::nullopt;
    ConversionOutcome converted;
    {
        // The progress window repaints and takes its 取消; nothing else takes input meanwhile.
        const BusyInput busy;
        progress().zipxMsg(QStringLiteral("正在把申请书转换为新格式……"));
        progress().setGauge(-1);
        progress().allowCancel(true);
        converted = ConvertToCurrentFormat(document, target, [] {
            if (QCoreApplication::instance())
                QCoreApplication::processEvents();
            return progress().cancelRequested();
        });
        progress().allowCancel(false);
        progress().Close();
    }
    if (!converted.ok()) {
        ShowNotice(converted.message, NoticeCaption);
        return std::nullopt;
    }
    ShowNotice(QStringLiteral("申请书已转换为新格式：%1\r\n原文件保持不变。").arg(QDir::toNativeSeparators(target)),
               NoticeCaption);
    return target;
}
