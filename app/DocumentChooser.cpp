#include "DocumentChooser.h"

#include "Edition.h"
#include "FileDialogs.h"
#include "Files.h"
#include "Forms.h"
#include "FormHelpers.h"
#include "Resources.h"
#include "NewFromEarlier.h"
#include "Session.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int ChooserWidth = 360;

} // namespace

Tfrmfiledlg::Tfrmfiledlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName("frmfiledlg");
    setWindowTitle(WelcomeTitleText);
    setFont(WindowFont());
    // Wide enough for the whole title in the title bar; the buttons stay centred.
    setFixedSize(ChooserWidth, 178);
    auto button = [this](const char* name, const QString& caption, int top) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry((ChooserWidth - 160) / 2, top, 160, 28);
        b->setAutoDefault(true);  // Return presses the button that has the focus
        return b;
    };
    BitBtn1 = button("BitBtn1", QStringLiteral("新建项目申请书"), 16);
    BitBtn3 = button("BitBtn3", QStringLiteral("从旧申请书新建"), 56);
    BitBtn2 = button("BitBtn2", QStringLiteral("打开项目申请书"), 96);
    BitBtn4 = button("BitBtn4", QStringLiteral("退出系统"), 136);
    setTabOrder(BitBtn2, BitBtn1);
    setTabOrder(BitBtn1, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
    connect(BitBtn1, &QPushButton::clicked, this, &Tfrmfiledlg::BitBtn1Click);
    connect(BitBtn3, &QPushButton::clicked, this, &Tfrmfiledlg::BitBtn3Click);
    connect(BitBtn2, &QPushButton::clicked, this, &Tfrmfiledlg::BitBtn2Click);
    connect(BitBtn4, &QPushButton::clicked, this, &Tfrmfiledlg::reject);
}

void Tfrmfiledlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    BitBtn2->setFocus(Qt::TabFocusReason);  // shown as focused, as a keyboard user expects
}

void Tfrmfiledlg::BitBtn1Click()
{
    ChosenPath = FreeDocPath(QStringLiteral("申请书"));
    createxms(ChosenPath);
    done(ResultNew);
}

void Tfrmfiledlg::BitBtn3Click()
{
    QString earlierPath;
    frmunivForm->OpenDlgOne(QStringLiteral("请选择旧的项目申请书或个人上报文件"), DocFolder, DocumentsAndPackagesFilter(),
                            earlierPath);
    if (earlierPath.isEmpty())
        return;
    const std::optional<NewFromEarlier> made = MakeNewFromEarlier(earlierPath, this);
    if (!made)
        return;
    ChosenPath = made->path;
    LeftOutValues = made->leftOut;
    OpenShortForm = true;
    done(ResultNew);
}

void Tfrmfiledlg::BitBtn2Click()
{
    frmunivForm->OpenDlgOne(QStringLiteral("请选择项目申请书或个人上报文件"), DocFolder,
                            DocumentsAndPackagesFilter(), ChosenPath);
    if (!ChosenPath.isEmpty())
        done(ResultChosen);
}

void Tfrmfiledlg::reject()
{
    done(ResultExit);
}
