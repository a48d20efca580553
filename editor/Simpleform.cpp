#include "Simpleform.h"

#include "CodeLookup.h"
#include "DocumentCommands.h"
#include "EditJournal.h"
#include "SafeWrite.h"
#include "Files.h"
#include "Gb18030.h"
#include "Edition.h"
#include "Failure.h"
#include "FieldCatalogue.h"
#include "FormProblems.h"
#include "FormPanel.h"
#include "InputControls.h"
#include "MemberCompleter.h"
#include "ModalResult.h"
#include "Seams.h"
#include "Session.h"
#include "ShortForm.h"
#include "ShortFormControls.h"
#include "SimpleformRules.h"
#include "SimpleformTables.h"
#include "Tags.h"
#include "TeamMembers.h"
#include "Text.h"

#include <QScrollBar>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QFileInfo>
#include <QTime>
#include <QTimer>

OnFirstUse<TFrmSimpleform> FrmSimpleform([]() -> TFrmSimpleform* { return new TFrmSimpleform; });

namespace {

constexpr int ToolbarHeight = 49;
constexpr int PanelGap = 8;
constexpr int ProblemPanelWidth = 300;
} // namespace

QString OpeningFailedText()
{
    return QStringLiteral("打开项目书简表出错，如果是") + YearText + QStringLiteral("年") + DocPrefix
           + QStringLiteral("项目申请书，") + "\r\n\r\n" + QStringLiteral("请将全部WORD关闭，否则WORD中数据可能会丢失！")
           + "\r\n\r\n" + QStringLiteral("请再次点击【申请书简表】按钮。");
}

TFrmSimpleform::TFrmSimpleform(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName("FrmSimpleform");
    setWindowTitle(QStringLiteral("申请书简表"));
    setFont(WindowFont(14));
    setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel_toolbar = new QWidget(this);
    Panel_toolbar->setObjectName("Panel_toolbar");
    Panel_toolbar->setFixedHeight(ToolbarHeight);
    Panel_toolbar->setAutoFillBackground(true);
    layout->addWidget(Panel_toolbar);

    PanelCmds = new QWidget(Panel_toolbar);
    PanelCmds->setObjectName("PanelCmds");
    auto* commands = new QHBoxLayout(PanelCmds);
    commands->setContentsMargins(4, 2, 4, 2);
    commands->setSpacing(2);
    auto command = [&](const char* name, const QString& caption, QStyle::StandardPixmap icon) {
        auto* button = new QToolButton(PanelCmds);
        button->setObjectName(name);
        button->setText(caption);
        button->setIcon(style()->standardIcon(icon));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);  // a click leaves the focus in the field being edited
        button->setFixedHeight(ToolbarHeight - 6);
        commands->addWidget(button);
        return button;
    };
    SpeedButton16 = command("SpeedButton16", QStringLiteral("帮助文档"), QStyle::SP_DialogHelpButton);
    sbSave = command("sbSave", QStringLiteral("保存数据"), QStyle::SP_DialogSaveButton);
    SpeedButton1 = command("SpeedButton1", QStringLiteral("内容检查"), QStyle::SP_DialogApplyButton);
    sbPreview = command("sbPreview", QStringLiteral("预览申请书"), QStyle::SP_FileDialogContentsView);
    SbClose = command("SbClose", QStringLiteral("返回"), QStyle::SP_ArrowBack);
    PanelCmds->adjustSize();
    connect(SpeedButton16, &QToolButton::clicked, this, &TFrmSimpleform::SpeedButton16Click);
    connect(sbSave, &QToolButton::clicked, this, &TFrmSimpleform::sbSaveClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmSimpleform::SpeedButton1Click);
    connect(sbPreview, &QToolButton::clicked, this, &TFrmSimpleform::sbPreviewClick);
    connect(SbClose, &QToolButton::clicked, this, &TFrmSimpleform::SbCloseClick);

    ScrollBox1 = NewScrollBox(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setWidget(new QWidget);
    ScrollBox1->widget()->setObjectName("ScrollBox1Area");

    // Every problem at once, beside the form: shown by 内容检查, followed at every edit.
    ProblemPanel = new QWidget(this);
    ProblemPanel->setObjectName("ProblemPanel");
    ProblemPanel->setFixedWidth(ProblemPanelWidth);
    auto* problems = new QVBoxLayout(ProblemPanel);
    problems->setContentsMargins(4, 8, 8, 8);
    ProblemHeading = new QLabel(QStringLiteral("待完善事项"), ProblemPanel);
    ProblemHeading->setObjectName("ProblemHeading");
    QFont bold = ProblemHeading->font();
    bold.setBold(true);
    ProblemHeading->setFont(bold);
    ProblemList = new QListWidget(ProblemPanel);
    ProblemList->setObjectName("ProblemList");
    ProblemList->setAccessibleName(QStringLiteral("待完善事项"));
    ProblemList->setWordWrap(true);
    ProblemList->setAlternatingRowColors(true);
    ProblemHeading->setBuddy(ProblemList);
    problems->addWidget(ProblemHeading);
    problems->addWidget(ProblemList, 1);
    ProblemPanel->hide();
    connect(ProblemList, &QListWidget::itemActivated, this, &TFrmSimpleform::GoToProblem);
    connect(ProblemList, &QListWidget::itemClicked, this, &TFrmSimpleform::GoToProblem);
    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    middle->addWidget(ScrollBox1, 1);
    middle->addWidget(ProblemPanel);
    layout->addLayout(middle, 1);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusPanel = new QLabel(StatusBarText, StatusBar);
    StatusPanel->setMinimumWidth(360);
    StatusBar->addWidget(StatusPanel);
    StatusNote = new QLabel(StatusBar);
    StatusNote->setObjectName("StatusNote");
    StatusNote->setAccessibleName(QStringLiteral("提示"));
    StatusBar->addWidget(StatusNote, 1);
    m_noteTimer = new QTimer(this);
    m_noteTimer->setSingleShot(true);
    connect(m_noteTimer, &QTimer::timeout, this, [this] { ShowUsage(focusWidget()); });
    SaveState = new QLabel(StatusBar);
    SaveState->setObjectName("SaveState");
    SaveState->setAccessibleName(QStringLiteral("保存状态"));
    StatusBar->addPermanentWidget(SaveState);
    layout->addWidget(StatusBar);

    CreateControls();
    HideCodeFields(ScrollBox1);
    FillCodeLists(this);
    // Filling chose each list's first item; the screen starts with nothing chosen.
    for (QComboBox* combo : findChildren<QComboBox*>()) {
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(-1);
        if (combo->isEditable())
            combo->clearEditText();
    }
    for (const PanelSpec& spec : ShortFormPanels())
        for (const ControlSpec& c : spec.controls)
            if (!c.initial.isEmpty())
                SetControlText(control(c.name), c.initial);

    m_wheelHook = NewWheelHook(ScrollBox1, this);
    m_journalTimer = new QTimer(this);
    m_journalTimer->setSingleShot(true);
    connect(m_journalTimer, &QTimer::timeout, this, &TFrmSimpleform::JournalNow);
    AttachShortFormRules(*this);
    AttachMemberCompleters(*this);
    setWindowState(Qt::WindowMaximized);
}

TFrmSimpleform::~TFrmSimpleform()
{
    RemoveWheelHook();
    FreeBanner(Banner);
}

void TFrmSimpleform::CreateControls()
{
    QWidget* area = ScrollBox1->widget();
    QList<QWidget*> tabChain;
    for (const PanelSpec& spec : ShortFormPanels()) {
        auto* panel = new FormPanel(spec.name, spec.title, spec.columns, area);
        Panels.append(panel);
        QHash<QString, QWidget*> made;
        QList<std::pair<int, QWidget*>> tabbed;
        for (const ControlSpec& c : spec.controls) {
            QWidget* widget = MakeControl(c, panel);
            made.insert(c.name, widget);
            m_controls.insert(c.name.toLower(), widget);
            if (IsInput(widget)) {
                widget->installEventFilter(this);
                tabbed.append({c.tabOrder, widget});
                WatchEdits(widget);
            }
        }
        for (const CellSpec& cell : spec.cells) {
            const bool labelCell = cell.label || (cell.content.startsWith("L:") && !cell.content.contains(' '));
            panel->addCell(CellContent(spec, cell, panel, made, labelCell), cell.row, cell.column, cell.span,
                           labelCell, cell.height);
        }
        panel->finish();
        std::stable_sort(tabbed.begin(), tabbed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& entry : tabbed)
            tabChain.append(entry.second);
    }
    for (qsizetype i = 1; i < tabChain.size(); ++i)
        QWidget::setTabOrder(tabChain.at(i - 1), tabChain.at(i));
}

QWidget* TFrmSimpleform::control(const QString& name) const
{
    return m_controls.value(name.toLower());
}

bool TFrmSimpleform::has(const QString& name) const
{
    return m_controls.contains(name.toLower());
}

QString TFrmSimpleform::text(const QString& name) const
{
    return ControlText(control(name));
}

void TFrmSimpleform::setText(const QString& name, const QString& text)
{
    if (QWidget* widget = control(name))
        SetControlText(widget, text);
}

void TFrmSimpleform::focus(const QString& name)
{
    QWidget* widget = control(name);
    if (!widget)
        return;
    if (!isVisible())
        show();
    // Putting the focus back must not make the control it had reached run its own exit rule.
    const bool before = m_refocusing;
    m_refocusing = true;
    ScrollBox1->ensureWidgetVisible(widget);
    widget->setFocus(Qt::OtherFocusReason);
    m_refocusing = before;
}

void TFrmSimpleform::closeWithTag(int tag)
{
    SetTag(this, tag);
}

int TFrmSimpleform::tagOf(const QString& name) const
{
    const QWidget* widget = control(name);
    return widget ? Tag(widget) : -1;
}

void TFrmSimpleform::setTag(const QString& name, int tag)
{
    if (QWidget* widget = control(name))
        SetTag(widget, tag);
}

void TFrmSimpleform::SetExitRule(const QString& name, ExitRule rule)
{
    if (QWidget* widget = control(name))
        m_exitRules.insert(widget, std::move(rule));
}

void TFrmSimpleform::SetKeyRule(const QString& name, KeyRule rule, const QString& refusal)
{
    if (QWidget* widget = control(name))
        m_keyRefusals.insert(widget, refusal);
    if (QWidget* widget = control(name))
        m_keyRules.insert(widget, std::move(rule));
}

void TFrmSimpleform::Layout()
{
    const int w = width();
    // The panels are centred in the room the list of problems leaves them.
    const int room = ProblemPanel->isVisibleTo(this) ? w - ProblemPanel->width() : w;
    const int panelWidth = Panels.isEmpty() ? 0 : Panels.first()->width();
    int x = 8;
    if (room > panelWidth) {
        x = (room - panelWidth) / 2 - 10;
        if (x < 8)
            x = 8;
    }
    int y = PanelGap;
    for (FormPanel* panel : Panels) {
        panel->move(x, y);
        y += panel->height() + PanelGap;
    }
    ScrollBox1->widget()->resize(x + panelWidth + 8, y);
    ShowBanner(Banner, this, "Panel_toolbar", ShortFormTitle, w - (2 * PanelCmds->width()) / 3, 10, 20, 0);
    PanelCmds->move(w - PanelCmds->width(), (ToolbarHeight - PanelCmds->height()) / 2);
}

void TFrmSimpleform::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Layout();
}

void TFrmSimpleform::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Layout();
}

bool TFrmSimpleform::FocusBlocked()
{
    if (!isVisible())
        return false;
    QWidget* target = control("edszxy");
    if (!target)
        return false;
    target->setFocus(Qt::OtherFocusReason);
    return focusWidget() != target;
}
