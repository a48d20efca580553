#include "MainWindow.h"

#include "AboutBox.h"
#include "Background.h"
#include "Edition.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "FileDialogs.h"
#include "DocumentEngine.h"
#include "Files.h"
#include "Forms.h"
#include "OldFormat.h"
#include "DocumentChooser.h"
#include "PackageWindow.h"
#include "Resources.h"
#include "Seams.h"
#include "Session.h"
#include "SendEmail.h"
#include "Simpleform.h"
#include "SubmitType.h"
#include "StartPackage.h"
#include "Startup.h"
#include "UserFiles.h"
#include "ModalResult.h"
#include "Tags.h"
#include "DocumentCommands.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

namespace {

constexpr int StatusNoteMs = 15000;  // how long the status bar says the word processor is starting
constexpr int ToolButtonWidth = 86;

// A document that is gone is said so plainly, not taken for one another program holds.
bool DocumentIsThere(const QString& path)
{
    if (QFileInfo::exists(path))
        return true;
    ShowNotice(MissingDocumentText(path), NoticeCaption);
    return false;
}

} // namespace

TFrmVantraMain::TFrmVantraMain(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      Document(WordSession, DocLock)
{
    setObjectName("FrmVantraMain");
    setWindowTitle(QStringLiteral("Arvel省基础研究计划(自然科学基金)项目申报系统(个人版)"));
    setFont(WindowFont());
    if (const auto icon = ResourceBytes("png", "mainicon")) {
        QPixmap pixmap;
        pixmap.loadFromData(*icon);
        setWindowIcon(QIcon(pixmap));
    }

    ToolBarx = new QToolBar(this);
    ToolBarx->setObjectName("ToolBarx");
    ToolBarx->setMovable(false);
    ToolBarx->setFloatable(false);
    ToolBarx->setIconSize(QSize(32, 32));
    ToolBarx->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBarx->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBarx);
    auto* lead = new QWidget(ToolBarx);
    lead->setFixedWidth(20);
    ToolBarx->addWidget(lead);
    auto item = [this](const char* name, const QString& caption, QStyle::StandardPixmap image, bool separator) {
        if (separator)
            ToolBarx->addSeparator();
        QAction* action = ToolBarx->addAction(style()->standardIcon(image), caption);
        action->setObjectName(name);
        if (auto* button = qobject_cast<QToolButton*>(ToolBarx->widgetForAction(action)))
            button->setFixedSize(ToolButtonWidth, 54);  // five characters of the window's face
        return action;
    };
    TbSimpleform = item("TbSimpleform", QStringLiteral("申请书简表"), QStyle::SP_FileDialogDetailedView, false);
    Tbtext = item("Tbtext", QStringLiteral("申请书正文"), QStyle::SP_FileIcon, true);
    tbExport = item("tbExport", QStringLiteral("申请书提交"), QStyle::SP_DialogSaveButton, true);
    tbabout = item("tbabout", QStringLiteral("系统帮助"), QStyle::SP_MessageBoxQuestion, true);
    tbabout->setToolTip(QStringLiteral("您有问题，请点我一下好吗？"));
    tbexit = item("tbexit", QStringLiteral("退出系统"), QStyle::SP_DialogCloseButton, true);
    // Each command from the keyboard too: Alt and its place on the toolbar, said in its tooltip.
    int place = 1;
    for (QAction* action : {TbSimpleform, Tbtext, tbExport, tbabout, tbexit}) {
        const QKeySequence keys(QStringLiteral("Alt+%1").arg(place++));
        action->setShortcut(keys);
        action->setToolTip(action->toolTip() + QStringLiteral("（%1）").arg(keys.toString(QKeySequence::NativeText)));
    }
    connect(TbSimpleform, &QAction::triggered, this, &TFrmVantraMain::TbSimpleformClick);
    connect(Tbtext, &QAction::triggered, this, &TFrmVantraMain::TbtextClick);
    connect(tbExport, &QAction::triggered, this, &TFrmVantraMain::tbExportClick);
    connect(tbabout, &QAction::triggered, this, &TFrmVantraMain::tbaboutClick);
    connect(tbexit, &QAction::triggered, this, &TFrmVantraMain::tbexitClick);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setScaledContents(true);
    setCentralWidget(Image1);

    StatusPanel = new QLabel(this);
    statusBar()->addWidget(StatusPanel);
    statusBar()->setSizeGripEnabled(false);

    resize(600, 420);
    FormCreate();
}

TFrmVantraMain::~TFrmVantraMain()
{
    FreeBanner(TitleBanner);
    FreeBanner(EditionBanner);
}

void TFrmVantraMain::FormCreate()
{
    // The title, the recent name and the submission follow the document wherever it moves.
    connect(&Document, &ApplicationDocument::pathChanged, this,
            [this](const QString& path) { setWindowTitle(WindowTitleFor(path)); });
    NamingBase.clear();
    StatusPanel->setText(QStringLiteral("欢迎使用 ") + TitleText + QStringLiteral("科研项目申报系统") +
                         QStringLiteral("  版本：") + VersionText);
    // At least the designed 360 pixels, and as wide as the greeting.
    StatusPanel->setMinimumWidth(qMax(360, StatusPanel->sizeHint().width() + 8));
    YearText = StringResource(1);
    MaxProjectYears = StringResource(2).toInt();
    try {
        PrepareUserFiles(QCoreApplication::applicationFilePath(), YearText);
    } catch (const Failure& failure) {
        ShowError(failure.text());
        return;
    }
    SetTag(this, 2);
    LoadBackground(Image1);
}

void TFrmVantraMain::Quit()
{
    CloseWithoutAsking = true;
    QuitRequested = true;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TFrmVantraMain::FormShow()
{
    if (!WordSession.WordStarted) {
        ShowNotice(QStringLiteral("打开Word程序出错!"), NoticeCaption);
        Quit();
        return;
    }
    const QString argument = Arguments.value(0);
    CloseWithoutAsking = !argument.isEmpty();
    QString path = argument;
    try {
        RemoveStaleWork();
        bool markerExisted = true;
        bool defaultExists = false;
        if (argument.isEmpty() || argument == QLatin1String("_link")) {
            path = DefaultDocPath(DocFolder);
            markerExisted = EnsureMarkerFile(MarkerFilePath(DocFolder));
            defaultExists = QFileInfo::exists(path);
        }
        switch (DecideStart(argument, markerExisted, defaultExists, Tag(this))) {
        case StartAction::UseArgument:
            break;
        case StartAction::ShowChooser: {
            const int result = frmfiledlg->exec();
            if (result == Tfrmfiledlg::ResultExit) {
                Quit();
                return;
            }
            path = frmfiledlg->ChosenPath;
            if (result == Tfrmfiledlg::ResultNew)
                SetTag(this, 1);
            // Made from an earlier application: its screen opens at once, with what it did not take.
            if (frmfiledlg->OpenShortForm) {
                FrmSimpleform->SetCarryOverNotes(frmfiledlg->LeftOutValues);
                QTimer::singleShot(0, this, &TFrmVantraMain::TbSimpleformClick);
            }
            break;
        }
        case StartAction::CreateDefault:
            createxms(path);
            SetTag(this, 1);
            break;
        }

        if (IsPackagePath(path)) {
            const StartDocument opened = UnpackAtStart(frmzipx->State, path, [this](const QString& proposed) {
                return SaveDlg(QStringLiteral("本文件已打包，请输入解压的文件名。"), DocFolder, DocumentsFilter(), proposed);
            });
            if (opened.path.isEmpty()) {
                Quit();
                return;
            }
            if (!opened.failure.isEmpty())
                ShowNotice(QStringLiteral("上报文件解压失败，请检查文件是否完好!\r\n") + opened.failure, NoticeCaption);
            path = opened.path;
        }

        Document.Open(path);
        setWindowTitle(WindowTitleFor(path));

        setFixedSize(600, 420);
        PlaceAtTop();
        AutoNameEnabled = true;
    } catch (const Failure& failure) {
        ShowError(failure.text());
    }
}

void TFrmVantraMain::PlaceAtTop()
{
    // The frame, title bar included, goes to the top edge, so that the window can be seen,
    // moved and closed.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : width();
    if (!windowHandle())
        create();
    windowHandle()->setFramePosition(QPoint((screenWidth - width()) / 2, 0));
}

void TFrmVantraMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // A window manager tells the frame's size a moment after the window is mapped: the window
    // is placed again once it is known.
    if (!m_placedOnScreen) {
        m_placedOnScreen = true;
        auto* wait = new QTimer(this);
        wait->setInterval(20);
        connect(wait, &QTimer::timeout, this, [this, wait, tries = 0]() mutable {
            if (windowHandle() && windowHandle()->frameMargins().top() > 0) {
                // The client goes below its title bar; the frame then starts at the top edge.
                const QMargins frame = windowHandle()->frameMargins();
                windowHandle()->setPosition(QPoint(windowHandle()->x(), frame.top()));
            }
            if (++tries >= 25 || (windowHandle() && windowHandle()->frameMargins().top() > 0))
                wait->deleteLater();
        });
        wait->start();
    }
}

void TFrmVantraMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFrmVantraMain::FormResize()
{
    const int w = width();
    const int h = height();
    ShowBanner(TitleBanner, this, QString(), TitleText, w, h * 3 / 10, 26, 0);
    ShowBanner(EditionBanner, this, QString(), YearText + QStringLiteral("年度  个人版"), w, h * 7 / 10, 24, 1);
}

void TFrmVantraMain::closeEvent(QCloseEvent* event)
{
    if (CloseWithoutAsking) {
        event->accept();
        return;
    }
    if (!AskConfirm(QStringLiteral("请问真的要退出系统吗？"), NoticeCaption)) {
        event->ignore();
        return;
    }
    event->accept();
}

void TFrmVantraMain::ConnectShortForm(TFrmSimpleform* screen)
{
    screen->MaxProjectYears = MaxProjectYears;
    screen->SetDocument(&Document);
    connect(screen, &TFrmSimpleform::HandOver, this, [this](const QString& namingBase, const QString& applicantId) {
        NamingBase = namingBase;
        ApplicantId = applicantId;
    });
}

void TFrmVantraMain::TbSimpleformClick()
{
    if (!DocumentIsThere(Document.CurDocPath()))
        return;
    // The Windows edition's format is read, never written: editing starts with a converted copy.
    if (IsOldFormatDocument(Document.CurDocPath())) {
        const std::optional<QString> converted = ConvertOnRequest(Document.CurDocPath());
        if (!converted)
            return;
        Document.Open(*converted);
        SetTag(FrmSimpleform, 0);  // the screen reads the new document
    }
    FrmSimpleform->SetDocument(&Document);
    if (FrmSimpleform->exec() == ModalCancel) {
        CloseWithoutAsking = true;
        SetTag(FrmSimpleform, 0);
        return;
    }
    if (AutoNameEnabled)
        AutoName();
}

void TFrmVantraMain::AutoName()
{
    const AutoNameTarget target = AutoNameTargetFor(Document.CurDocPath(), NamingBase, FrmSimpleform->text("edsfzh1"));
    if (target.path.isEmpty())
        return;
    NamingBase = target.namingBase;
    // The journal of edits not yet stored follows the document to its new name.
    if (!Document.MoveTo(target.path).written())
        return;
    ShowNotice(QStringLiteral("系统自动命名申请书为:") + DocPrefix + NamingBase, NoticeCaption);
}

void TFrmVantraMain::TbtextClick()
{
    OpenBodyTextOf(Document.CurDocPath());
}

void TFrmVantraMain::OpenBodyTextOf(const QString& path)
{
    if (!DocumentIsThere(path))
        return;
    if (!FreeForWriting(DocLock, path))
        return;
    if (!SaveAsWarned) {
        ShowNotice(QStringLiteral("在word中，您只能“保存”,禁止“另存为”!"), NoticeCaption);
        SaveAsWarned = true;
    }
    // The word processor takes seconds to appear: the status bar says what is happening.
    const QString greeting = StatusPanel->text();
    StatusPanel->setText(QStringLiteral("正在用文字处理软件打开申请书，请稍候……"));
    StatusPanel->repaint();
    if (const Outcome started = DocLock.OpenWithProgram(path, "winword"); !started.ok()) {
        StatusPanel->setText(greeting);
        ShowNotice(Explain(started), NoticeCaption);
        return;
    }
    QTimer::singleShot(StatusNoteMs, StatusPanel, [this, greeting] { StatusPanel->setText(greeting); });
}

void TFrmVantraMain::tbExportClick()
{
    if (frmsubmittype->exec() != ModalOk)
        return;
    frmVantraExport->SubmitMode = frmsubmittype->rgsubtype->ItemIndex();
    frmVantraExport->PackMode = frmsubmittype->RadioGroupZip->ItemIndex();
    if (frmVantraExport->exec() == ModalOk && frmVantraExport->SubmitMode == SubmitMail)
        MailSubmission(frmVantraExport->SubmitFieldValues, frmVantraExport->MailFilePath);
}

void TFrmVantraMain::ShowShortFormOf(ApplicationDocument& document)
{
    if (&document == &Document) {
        TbSimpleformClick();
        return;
    }
    // Another document (the file under test): shown as it is, never renamed; the screen reads
    // the working document again at its next showing.
    FrmSimpleform->SetDocument(&document);
    FrmSimpleform->exec();
    FrmSimpleform->SetDocument(&Document);
}

void TFrmVantraMain::ShowShortFormWithoutWaiting()
{
    if (!DocumentIsThere(Document.CurDocPath()))
        return;
    FrmSimpleform->SetDocument(&Document);
    FrmSimpleform->ShowWithoutWaiting();
    // The submission found the short form incomplete: every problem is listed beside it.
    if (FrmSimpleform->isVisible())
        FrmSimpleform->ShowProblems();
}

QString TFrmVantraMain::SaveDlg(const QString& title, const QString& folder, const QString& filter,
                                const QString& proposedName)
{
    QString answer;
    frmunivForm->SaveDlg(title, folder, filter, proposedName, answer);
    return answer;
}

void TFrmVantraMain::tbaboutClick()
{
    frmAbout->BannerText = QStringLiteral("科研项目申报系统");
    frmAbout->exec();
}

void TFrmVantraMain::tbexitClick()
{
    close();
}
