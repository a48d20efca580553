// The short-form screen and its document: the opening sequence that loads it (and offers the
// journal), the stores, the save under a new name when the file was replaced, and the close.
#include "Simpleform.h"

#include "DocumentCommands.h"
#include "Edition.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "Files.h"
#include "FormProblems.h"
#include "InputControls.h"
#include "MemberCompleter.h"
#include "ModalResult.h"
#include "SafeWrite.h"
#include "Seams.h"
#include "ShortForm.h"
#include "Tags.h"
#include "TeamMembers.h"
#include "Text.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTime>
#include <QTimer>

int TFrmSimpleform::exec()
{
    m_closeResult = 0;
    if (!Open()) {
        progress().Close();
        setResult(ModalCancel);
        return ModalCancel;
    }
    progress().Close();
    // Maximised by the window manager; without one, a large window in the middle of the screen.
    if (!isVisible() && windowState() & Qt::WindowMaximized)
        if (const QScreen* where = QGuiApplication::primaryScreen()) {
            const QRect area = where->availableGeometry();
            QRect normal(0, 0, area.width() * 9 / 10, area.height() * 9 / 10);
            normal.moveCenter(area.center());
            setGeometry(normal);
        }
    if (QWidget* first = control("edxmmc"))
        first->setFocus(Qt::OtherFocusReason);
    ScrollBox1->verticalScrollBar()->setValue(0);
    InstallWheelHook();
    if (!m_carryOverNotes.isEmpty())
        ShowProblems();
    RefreshProblems();
    return QDialog::exec();
}

void TFrmSimpleform::ShowWithoutWaiting()
{
    m_closeResult = 0;
    const bool opened = Open();
    progress().Close();
    if (!opened)
        return;
    setWindowModality(Qt::ApplicationModal);
    InstallWheelHook();
    show();
    raise();
    activateWindow();
}

namespace {

constexpr int RememberAfterOpeningMs = 300;

} // namespace

bool TFrmSimpleform::Open()
{
    try {
        Layout();
        if (Tag(this) == 0) {
            // What a save that was killed left half written beside the document goes now.
            RemoveStaleTemporaries(QFileInfo(m_document->CurDocPath()).absolutePath());
            Outcome loaded;
            {
                ProgressSteps steps(9);
                loaded = m_document->LoadShortForm(*this, [&steps] { steps.step(); });
            }
            if (!loaded.ok()) {
                // Not an application: said once, and nothing is stored.
                ShowNotice(NotAnApplicationMessage(loaded), NoticeCaption);
                closeWithTag(88);
                return false;
            }
            if (m_notesLoaded)
                m_carryOverNotes.clear();
            m_notesLoaded = true;
            // What is remembered is offered at once; the loaded team goes into the memory once
            // the screen has been drawn, so that writing it costs the opening nothing.
            OfferRememberedTeam(*this);
            QTimer::singleShot(RememberAfterOpeningMs, this, [this] { RememberTeam(*this); });
            m_journaled.clear();
            OfferJournal();
            RefreshUnits(*this);
            // The post-doctoral count is not stored: it is counted, so that it shows a number
            // as its neighbours do.
            setText("edbsh", QString::number(CountPostdocs(*this)));
            FillEndYears();
            SetTag(this, 1);
        } else {
            for (int i = 0; i <= FieldHigh() && i < m_document->EditValues.size(); ++i)
                if (FieldData().at(i).Source == -1)
                    setText("ed" + FieldData().at(i).Name, m_document->EditValues.at(i));
        }
        return true;
    } catch (const std::exception&) {
        // The notice asks the user to close the word processor; nobody's program is ended.
        ShowNotice(OpeningFailedText(), NoticeCaption);
        SetTag(this, 88);
        return false;
    }
}

void TFrmSimpleform::SetDocument(ApplicationDocument* document)
{
    if (document != m_document)
        SetTag(this, 0);
    m_document = document;
}

void TFrmSimpleform::SetCarryOverNotes(const QList<LeftOut>& notes)
{
    m_carryOverNotes = notes;
    m_notesLoaded = false;
}

void TFrmSimpleform::FillEndYears()
{
    bool ok = false;
    const int start = TrimBlanks(text("edyjqsjy")).toInt(&ok);
    if (!ok)
        throw Failure(QStringLiteral("起始年份不是数字"));
    QStringList years;
    for (int k = 1; k <= MaxProjectYears; ++k)
        years << QString::number(start + k);
    if (auto* endYear = control<QComboBox>("edyjzsjy"))
        ReplaceItems(endYear, years);
}

void TFrmSimpleform::CollectEditValues()
{
    for (int i = 0; i <= FieldHigh() && i < m_document->EditValues.size(); ++i) {
        const Tfiledata& f = FieldData().at(i);
        if (f.Source != -1 || !has("ed" + f.Name))
            continue;
        m_document->EditValues[i] = TrimBlanks(text("ed" + f.Name));
    }
}

bool TFrmSimpleform::Store()
{
    CollectEditValues();
    StoreResult result;
    {
        ProgressSteps steps(8);
        result = m_document->SaveShortForm(*this, steps.interaction());
    }
    if (result.status == StoreStatus::Replaced)
        result = OfferNewDocument(result.cause);
    switch (result.status) {
    case StoreStatus::Stored:
    case StoreStatus::NothingChanged:
        // What the journal kept is in the document now.
        m_journalTimer->stop();
        m_document->RemoveJournal();
        m_journaled.clear();
        SaveState->setText(QStringLiteral("已保存 ") + QTime::currentTime().toString("HH:mm:ss"));
        RememberTeam(*this);
        // In the file, but perhaps not yet on the device.
        if (!result.cause.ok())
            ShowNotice(Explain(result.cause), NoticeCaption);
        return true;
    case StoreStatus::InUse:     // the user chose 取消 while another program held the file
    case StoreStatus::Replaced:  // the user chose not to store the values elsewhere
        return false;
    case StoreStatus::ReadOnly:
        ShowNotice(Explain(result.cause), NoticeCaption);
        return false;
    case StoreStatus::Failed:
        ShowError(IsNoApplication(result.cause.cause) ? NotAnApplicationMessage(result.cause) : Explain(result.cause));
        return false;
    }
    return false;
}

StoreResult TFrmSimpleform::OfferNewDocument(const Outcome& why)
{
    const StoreResult declined{StoreStatus::Replaced, why};
    if (!AskConfirm(Explain(why) + QStringLiteral("\r\n\r\n为免写进别人的文件，简表内容没有保存。要把简表内容另存为一个新的申请书吗？"),
                    NoticeCaption))
        return declined;
    const QFileInfo current(m_document->CurDocPath());
    const QString answer = filePicker().saveFile(QStringLiteral("请输入新的申请书文件名"), current.absolutePath(),
                                                 DocumentsFilter(), current.completeBaseName() + QStringLiteral("（新）") + DocExtension());
    if (answer.isEmpty())
        return declined;
    const QString target = ChangeExtension(answer, ExtPrefix + "x");
    ProgressSteps steps(8);
    return m_document->StoreAsNewDocument(*this, target, steps.interaction());
}

void TFrmSimpleform::sbSaveClick()
{
    if (FocusBlocked())
        return;
    Store();
}

bool TFrmSimpleform::CloseAllowed()
{
    if (FocusBlocked())
        return false;
    RemoveWheelHook();
    if (Tag(this) == 88) {
        m_closeResult = ModalCancel;
        return true;
    }
    // No applicant's name, no name for the document: a new, untouched one keeps its own.
    const QString applicant = TrimBlanks(text("edxm1"));
    emit HandOver(applicant.isEmpty() ? QString() : text("edyjqsjy") + TrimBlanks(text("edxmlbdm")) + applicant,
                  text("edsfzh1"));
    m_closeResult = ModalOk;
    if (Store())
        return true;
    // Nothing is thrown away: by default the screen stays open for another try. A document
    // that is gone for good must not lock the applicant in, though: the edits then stay in
    // memory and the next store writes them.
    return AskConfirm(StoreFailedQuestion, NoticeCaption);
}

void TFrmSimpleform::closeEvent(QCloseEvent* event)
{
    if (!CloseAllowed()) {
        event->ignore();
        return;
    }
    event->accept();
    done(m_closeResult);
}

void TFrmSimpleform::SbCloseClick()
{
    close();
}

void TFrmSimpleform::reject()
{
}

void TFrmSimpleform::SpeedButton16Click()
{
    OpenHelpDocument(m_document->lock());
}

void TFrmSimpleform::SpeedButton1Click()
{
    if (FocusBlocked())
        return;
    ShowProblems();
    ShowNotice(CheckForm(*this), NoticeCaption);
}

void TFrmSimpleform::sbPreviewClick()
{
    // The application as reviewers will see it, with what the screen holds stored first.
    if (FocusBlocked() || !Store())
        return;
    PreviewApplication(m_document->CurDocPath());
}
