#include "DocumentCommands.h"

#include "BusyInput.h"
#include "DocumentLock.h"
#include "Edition.h"
#include "FieldCatalogue.h"
#include "Preview.h"
#include "Seams.h"
#include "Session.h"
#include "ShortForm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

ProgressSteps::ProgressSteps(unsigned kind) : m_kind(kind)
{
}

ProgressSteps::~ProgressSteps()
{
    if (m_shown)
        progress().Close();
}

void ProgressSteps::step()
{
    if (!m_shown) {
        progress().FrmShow(m_kind, FieldHigh() + 1);
        m_shown = true;
    }
    progress().run(QString());
}

Interaction ProgressSteps::interaction()
{
    return {[this] { step(); }, AskCloseElsewhere};
}

CheckStep ProgressSteps::checkSteps(unsigned checkingKind, unsigned readingKind)
{
    return [this, checkingKind, readingKind, phase = -1](CheckPhase now) mutable {
        const unsigned kind = now == CheckPhase::Checking ? checkingKind : readingKind;
        if (int(now) != phase && m_shown) {
            progress().Close();
            m_shown = false;
        }
        phase = int(now);
        m_kind = kind;
        step();
    };
}

bool AskCloseElsewhere(const QString& path)
{
    return AskConfirm(QFileInfo(path).fileName() + CloseItFirstText, NoticeCaption);
}

bool FreeForWriting(Tlockqen& lock, const QString& path)
{
    const Outcome free = lock.EnsureNotInUse(path, AskCloseElsewhere);
    if (free.cause == Cause::Missing)
        ShowNotice(Explain(Outcome::failed(Cause::InUse, path)), NoticeCaption);
    return free.ok();
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

bool OpenInWordProcessor(Tlockqen& lock, const QString& path)
{
    if (!FreeForWriting(lock, path))
        return false;
    if (const Outcome started = lock.OpenWithProgram(path, "winword"); !started.ok()) {
        ShowNotice(Explain(started), NoticeCaption);
        return false;
    }
    return true;
}

void OpenHelpDocument(Tlockqen& lock)
{
    OpenInWordProcessor(lock, HelpDocPath);
}
