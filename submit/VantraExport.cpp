#include "VantraExport.h"

#include "CompletenessCheck.h"
#include "DocumentLock.h"
#include "Drives.h"
#include "Edition.h"
#include "Failure.h"
#include "FormHelpers.h"
#include "Files.h"
#include "PackageWindow.h"
#include "SafeWrite.h"
#include "Seams.h"
#include "Session.h"
#include "ShortForm.h"
#include "WordSession.h"
#include "ApplicationDocument.h"
#include "DocumentCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OnFirstUse<TfrmVantraExport> frmVantraExport(nullptr);  // the program names its host at start

namespace {

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString PackageFilter()
{
    return QStringLiteral("个人版上报文件(*.") + ExtPrefix + "s)|*." + ExtPrefix + "s";
}

QString PlainFilter()
{
    return QStringLiteral("个人版上报文件(*.") + ExtPrefix + "x)|*." + ExtPrefix + "x";
}

// "NAME+CODE上报文件.qvx" or ".qvs" (kind 'x' or 's'). The applicant's name goes into the file
// name: it must not reach another folder.
QString SubmissionName(const SubmissionValues& values, char kind)
{
    return FileNamePart(values.applicant + values.categoryCode) + QStringLiteral("上报文件.") + ExtPrefix + kind;
}

// The file at target, whole and on the device: flushed where it was made, or copied there and
// read back. A failure is told to the applicant.
bool Delivered(const QString& made, const QString& target)
{
    const Outcome delivered = made == target ? FlushToDevice(target) : DeliverCopy(made, target);
    if (delivered.written()) {
        // In place, but perhaps not yet on the device: the applicant must not pull the stick now.
        if (!delivered.ok())
            ShowNotice(Explain(delivered), NoticeCaption);
        return true;
    }
    ShowNotice(QStringLiteral("申请书没有提交成功：") + Explain(delivered), NoticeCaption);
    return false;
}

} // namespace

TfrmVantraExport::TfrmVantraExport(SubmitHost* host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName("frmVantraExport");
    setWindowTitle(QStringLiteral("申请书提交"));
    setFont(WindowFont());
    auto* steps = new QGroupBox(QStringLiteral("步骤、进度"), this);
    auto* stepLayout = new QVBoxLayout(steps);
    auto step = [&](const char* name, const QString& caption) {
        auto* label = new QLabel(caption, steps);
        label->setObjectName(name);
        stepLayout->addWidget(label);
        return label;
    };
    Label1 = step("Label1", QStringLiteral("校验申请书简表内容是否完整"));
    Label2 = step("Label2", QStringLiteral("校验申请书正文内容是否填完"));
    Label3 = step("Label3", QStringLiteral("压缩打包申请书文件"));
    Label4 = step("Label4", QStringLiteral("导出申请书简表信息"));
    Label5 = step("Label5", QStringLiteral("校验申请书打包文件"));
    Labelmm = new QLabel(QStringLiteral("注意：请在提交申请书之前关闭全部打开的Word。"), this);
    Labelmm->setObjectName("Labelmm");
    Labelmm->setWordWrap(true);
    Button1 = new QPushButton(QStringLiteral("开始提交"), this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    ButtonPreview = new QPushButton(QStringLiteral("预览申请书"), this);
    ButtonPreview->setObjectName("ButtonPreview");
    ButtonPreview->setAutoDefault(false);
    Button2 = new QPushButton(QStringLiteral("返    回"), this);
    Button2->setObjectName("Button2");
    Button2->setAccessibleName(QStringLiteral("返回"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(steps);
    layout->addWidget(Labelmm);
    layout->addWidget(ButtonRow(this, Button1, Button2, {ButtonPreview}));
    resize(360, 280);
    connect(Button1, &QPushButton::clicked, this, &TfrmVantraExport::Button1Click);
    connect(ButtonPreview, &QPushButton::clicked, this, [this] { PreviewApplication(m_host->WorkingDocument().CurDocPath()); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(ModalCancel); });
}

void TfrmVantraExport::showEvent(QShowEvent* event)
{
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5})
        MarkLabel(label, false);
    QDialog::showEvent(event);
}

void TfrmVantraExport::Button1Click()
{
    MarkLabel(Label1, true);
    SubmitFieldValues = {};
    ApplicationDocument& document = m_host->WorkingDocument();
    const QString working = document.CurDocPath();
    DocumentCheck check;
    {
        ProgressSteps steps(18);
        check = ReadAndCheckDocument(document.session(), working, CheckBodyLength | CheckCompleteness, ReadValuesByName,
                                     SubmissionValues::Names(SubmitMode == SubmitMail), steps.checkSteps(18, 13));
    }
    switch (check.outcome) {
    case DocumentCheck::Invalid:
        ShowNotice(check.message, NoticeCaption);
        return;
    case DocumentCheck::BodyTooShort:
        if (AskConfirm(check.message + QStringLiteral(" 要打开申请书吗？"), NoticeCaption))
            m_host->OpenBodyTextOf(working);
        return;
    case DocumentCheck::Incomplete:
    case DocumentCheck::MembersIncomplete:
        if (AskConfirm(check.message + QStringLiteral(",要打开申请书简表吗？"), NoticeCaption))
            m_host->ShowShortFormWithoutWaiting();
        return;
    case DocumentCheck::Passed:
        break;
    }
    const SubmissionValues values = SubmitFieldValues = SubmissionValues::From(check.values);

    const QString copy = TempFolder + SubmissionName(values, 'x');
    if (working != copy) {
        // A copy left by an earlier submission must never be handed in in place of this one.
        if (!ForceDelete(copy)) {
            ShowNotice(QStringLiteral("无法生成上报文件 %1，请关闭其他程序后再试。").arg(Native(copy)), NoticeCaption);
            return;
        }
        const Outcome saved = document.session().SaveDocumentCopy(working, copy);
        if (!saved.written() || !QFileInfo(copy).isFile()) {
            ShowNotice(QStringLiteral("无法生成上报文件：") + Explain(saved), NoticeCaption);
            return;
        }
    }
    MarkLabel(Label1, false);
    MarkLabel(Label2, true);
    MarkLabel(Label2, false);
    if (PackMode == PackPlain)
        PlainCopy(copy);
    else
        Package(copy);
}

bool TfrmVantraExport::PlainCopy(const QString& copy)
{
    const QString proposed = SubmissionName(SubmitFieldValues, 'x');
    QString target = copy;
    if (SubmitMode == SubmitCopy) {
        const QString answer = m_host->SaveDlg(QStringLiteral("请输入项目申请书上报文件名"), DocFolder, PlainFilter(), proposed);
        if (answer.isEmpty())
            return false;
        target = ChangeExtension(answer, ExtPrefix + "x");
        // A document that may not be written is not replaced, even by its own submission copy.
        if (IsReadOnlyFile(target)) {
            ShowNotice(Explain(Outcome::failed(Cause::ReadOnly, target)), NoticeCaption);
            return false;
        }
    } else {
        MailFilePath = copy;
    }
    MarkLabel(Label3, true);
    if (!FreeForWriting(m_host->WorkingDocument().lock(), copy))
        return false;
    MarkLabel(Label3, false);
    MarkLabel(Label4, true);
    MarkLabel(Label4, false);
    MarkLabel(Label5, true);
    // Success is said only of a file that arrived whole and is on the device.
    if (!Delivered(copy, target))
        return false;
    MarkLabel(Label5, false);

    int result = ModalOk;
    if (!AskConfirm(TestQuestionText, NoticeCaption)) {
        if (SubmitMode == SubmitCopy)
            ShowNotice(CopySuccessText, NoticeCaption);
    } else {
        result = ApplicantTest(target, CopySuccessText) ? ModalOk : ModalCancel;
        Ending(target);
    }
    done(result);
    return true;
}

bool TfrmVantraExport::Package(const QString& copy)
{
    const QString proposed = SubmissionName(SubmitFieldValues, 's');
    QString target, work;
    if (SubmitMode == SubmitCopy) {
        const QString answer = m_host->SaveDlg(QStringLiteral("请输入项目申请书上报文件名"), DocFolder, PackageFilter(), proposed);
        if (answer.isEmpty())
            return false;
        target = ChangeExtension(answer, ExtPrefix + "s");
        // A package for a removable, optical or network drive is built on the local disk first.
        work = LocalCopyPath(target);
    } else {
        target = work = TempFolder + proposed;
        MailFilePath = target;
    }
    MarkLabel(Label3, true);
    if (!FreeForWriting(m_host->WorkingDocument().lock(), copy))
        return false;
    // An older package at the place stays until the new one is whole and checked.
    const PackResult packed = frmzipx->CompressPackage(copy, work, 2);
    if (!packed.ok) {
        ShowNotice(QStringLiteral("申请书没有提交成功：") + packed.message, NoticeCaption);
        return false;
    }
    MarkLabel(Label3, false);
    MarkLabel(Label4, true);
    MarkLabel(Label4, false);
    MarkLabel(Label5, true);
    // The package was checked as it was packed; where it goes, it must arrive byte for byte as
    // it was checked and be on the device (read back past the cache).
    if (!Delivered(work, target))
        return false;
    MarkLabel(Label5, false);

    int result = ModalOk;
    if (!AskConfirm(TestQuestionText, NoticeCaption)) {
        if (SubmitMode == SubmitCopy)
            ShowNotice(PackageSuccessText, NoticeCaption);
        done(result);
        return true;
    }
    // The test reads the package back from where it was handed in.
    const QString test = TempFolder + QStringLiteral("xmstest.jx");
    QString reason;
    bool unpacked = true;
    if (work != target) {
        const Outcome copied = DeliverCopy(target, work);
        unpacked = copied.written();
        reason = unpacked ? QString() : Explain(copied);
    }
    ForceDelete(test);
    if (unpacked) {
        const PackResult extracted = frmzipx->ExtractPackage(work, test);
        unpacked = extracted.ok;
        reason = extracted.message;
    }
    if (!unpacked) {
        ShowNotice(QStringLiteral("上报文件已提交到 %1，但测试时未能从中解压出申请书%2。").arg(Native(target),
                   reason.isEmpty() ? QString() : QStringLiteral("：") + reason), NoticeCaption);
        return false;
    }
    result = ApplicantTest(test, PackageSuccessText) ? ModalOk : ModalCancel;
    Ending(test);
    done(result);
    return true;
}

bool TfrmVantraExport::ApplicantTest(const QString& test, const QString& successText)
{
    // The file under test is an application of its own: the working one keeps its path, its
    // values and its journal.
    ApplicationDocument& working = m_host->WorkingDocument();
    ApplicationDocument tested(working.session(), working.lock(), test);
    m_host->SetAutoNameEnabled(false);
    m_host->ShowShortFormOf(tested);
    m_host->SetAutoNameEnabled(true);
    if (!AskConfirm(QStringLiteral("申请书简表内容正确吗？"), NoticeCaption))
        return false;
    m_host->OpenBodyTextOf(test);
    sleeper().sleep(1000);
    if (!AskConfirm(QStringLiteral("申请书正文内容正确吗？"), NoticeCaption))
        return false;
    if (SubmitMode == SubmitCopy)
        ShowNotice(successText, NoticeCaption);
    return true;
}

void TfrmVantraExport::Ending(const QString& test)
{
    if (QFileInfo::exists(test))
        FreeForWriting(m_host->WorkingDocument().lock(), test);
}
