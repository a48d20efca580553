#include "AboutBox.h"

#include "Background.h"
#include "Edition.h"
#include "Forms.h"
#include "FormHelpers.h"
#include "Resources.h"
#include "Seams.h"
#include "Session.h"
#include "Tags.h"
#include "TeamMemory.h"
#include "DocumentLock.h"
#include "DocumentCommands.h"
#include "DocumentLock.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

QLabel* TextLabel(QWidget* parent, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLabel* LinkLabel(QWidget* parent, const QString& text, const QString& link, int x, int y)
{
    auto* label = new QLabel(parent);
    label->setText(QStringLiteral("<a href=\"%1\" style=\"color:#000080;font-weight:bold\">%2</a>")
                       .arg(link.toHtmlEscaped(), text.toHtmlEscaped()));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    label->setCursor(Qt::PointingHandCursor);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLabel* RedLine(QWidget* parent, const QString& text, int x, int y)
{
    QLabel* label = TextLabel(parent, text, x, y);
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(16);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(palette);
    label->adjustSize();
    return label;
}

constexpr int PictureWidth = 136;
constexpr int PictureHeight = 101;

} // namespace

void RevealStep(QImage& frame, const QImage& picture, int k)
{
    const int w = picture.width();
    const int h = picture.height();
    for (int j = k; j > 0; j -= 2) {
        const int fromLeft = w - k + j - 1;
        const int fromRight = k - j;
        for (int y = 0; y < h; ++y) {
            if (fromLeft >= 0 && fromLeft < w)
                frame.setPixel(j - 1, y, picture.pixel(fromLeft, y));
            if (fromRight >= 0 && fromRight < w && w - j >= 0)
                frame.setPixel(w - j, y, picture.pixel(fromRight, y));
        }
    }
}

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
{
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("系统帮助"));
    setFont(WindowFont());
    setFixedSize(452, 378);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(212, 208, 200));  // the classic active-border grey
    setPalette(palette);
    setAutoFillBackground(true);

    Image1 = new QLabel(this);
    Image1->setGeometry(16, 52, PictureWidth, PictureHeight);

    const int x = 170;
    TextLabel(this, QStringLiteral("版本号 ："), x, 56);
    LabelVersion = TextLabel(this, QString(), x + 70, 56);
    TextLabel(this, QStringLiteral("主管单位："), x, 78);
    LabelOwner = TextLabel(this, OwnerText, x + 70, 78);
    TextLabel(this, QStringLiteral("开发单位："), x, 100);
    TextLabel(this, QStringLiteral("Arvel省高校科研信息中心"), x + 70, 100);
    const QString mailto = "mailto:" + SupportAddress;
    LabelSupport = LinkLabel(this, QStringLiteral("技术支持："), mailto, x, 122);
    LabelMail = LinkLabel(this, SupportAddress, mailto, x + 70, 122);

    int y = 170;
    RedLine(this, QStringLiteral("您如果遇到问题，请按如下流程解决问题。"), 16, y);
    y += 26;
    QLabel* first = RedLine(this, QStringLiteral("首先打开帮助文档:"), 16, y);
    BitBtn2 = new QPushButton(QStringLiteral("帮助文档"), this);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setGeometry(first->x() + first->width() + 6, y - 3, 80, 24);
    RedLine(this, QStringLiteral("未能解决"), BitBtn2->x() + 88, y);
    y += 26;
    QLabel* second = RedLine(this, QStringLiteral("再访问主页:"), 16, y);
    LabelHomePage = LinkLabel(this, HomePageText, HomePageText, second->x() + second->width() + 6, y + 2);
    LabelHomePage->setObjectName("LabelHomePage");
    m_homeUnsolved = RedLine(this, QStringLiteral("未能解决"), 0, y);
    PlaceAfterHomePage();
    y += 26;
    QLabel* third = RedLine(this, QStringLiteral("再发邮件:"), 16, y);
    LinkLabel(this, SupportAddress, mailto, third->x() + third->width() + 6, y + 2);
    y += 26;
    RedLine(this, QStringLiteral("请您耐心等待一天后，问题还未解决，最后再请打电话。"), 16, y);
    y += 26;
    RedLine(this, QStringLiteral("大部分问题通过访问主页就能解决，谢谢合作！"), 16, y);

    BitBtn1 = new QPushButton(QStringLiteral("确定 "), this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setAccessibleName(QStringLiteral("确定"));
    BitBtn1->setGeometry((452 - 90) / 2, 342, 90, 26);
    BitBtn1->setDefault(true);

    // The program has no settings window: what it keeps about people is cleared here.
    BtnClearMembers = new QPushButton(QStringLiteral("清除成员记录"), this);
    BtnClearMembers->setObjectName("BtnClearMembers");
    BtnClearMembers->setToolTip(QStringLiteral("忘记以前申请书中的项目组成员（输入成员姓名时不再提示）"));
    BtnClearMembers->setGeometry(16, 342, 110, 26);
    connect(BtnClearMembers, &QPushButton::clicked, this, &TfrmAbout::ClearMembersClick);

    for (QLabel* link : findChildren<QLabel*>())
        connect(link, &QLabel::linkActivated, this, &TfrmAbout::OpenLink);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(1); });
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmAbout::BitBtn2Click);

    m_reveal = new QTimer(this);
    m_reveal->setInterval(8);
    connect(m_reveal, &QTimer::timeout, this, &TfrmAbout::RevealTick);
}

TfrmAbout::~TfrmAbout()
{
    FreeBanner(Banner);
}

void TfrmAbout::showEvent(QShowEvent* event)
{
    LabelOwner->setText(OwnerText);
    LabelOwner->adjustSize();
    LabelVersion->setText(YearText);
    LabelVersion->adjustSize();
    if (Tag(this) == 0) {
        ShowBanner(Banner, this, QString(), BannerText, width(), 10, 20, 0);
        SetTag(this, 1);
        LabelHomePage->setText(QStringLiteral("<a href=\"%1\" style=\"color:#000080;font-weight:bold\">%2</a>")
                                   .arg(HomePageText.toHtmlEscaped(), HomePageText.toHtmlEscaped()));
        LabelHomePage->adjustSize();
        PlaceAfterHomePage();
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TfrmAbout::PlaceAfterHomePage()
{
    // "未能解决" follows the home page as it follows the button in the row above.
    m_homeUnsolved->move(LabelHomePage->x() + LabelHomePage->width() + 8, m_homeUnsolved->y());
}

void TfrmAbout::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        StartReveal();
}

void TfrmAbout::StartReveal()
{
    // Decoded when first needed: most runs never open the box, and start-up stays short.
    if (m_picture.isNull())
        if (const auto jpeg = ResourceBytes("jpgtype", "bkjpg")) {
            const QImage background = DecodeBackground(*jpeg);
            if (!background.isNull())
                m_picture = background.scaled(PictureWidth, PictureHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_RGB32);
        }
    if (m_picture.isNull())
        return;
    m_frame = QImage(m_picture.size(), QImage::Format_RGB32);
    m_frame.fill(palette().color(QPalette::Window));
    m_step = 0;
    Image1->setPixmap(QPixmap::fromImage(m_frame));
    m_reveal->start();
}

void TfrmAbout::RevealTick()
{
    if (m_step > m_picture.width()) {
        m_reveal->stop();
        return;
    }
    RevealStep(m_frame, m_picture, m_step);
    Image1->setPixmap(QPixmap::fromImage(m_frame));
    m_step += 2;
}

void TfrmAbout::ClearMembersClick()
{
    if (!AskConfirm(QStringLiteral("要清除记住的项目组成员吗？\r\n清除后，输入成员姓名时不再提示以前申请书中的成员。"), NoticeCaption))
        return;
    ShowNotice(TeamMemory().clear() ? QStringLiteral("成员记录已清除。")
                                    : QStringLiteral("成员记录未能清除：无法写入 ") + TeamMemory::DefaultPath(),
               NoticeCaption);
}

void TfrmAbout::BitBtn2Click()
{
    Tlockqen lock;
    OpenHelpDocument(lock);
}

void TfrmAbout::OpenLink(const QString& link)
{
    if (urlOpener().openUrl(link))
        return;
    // A desktop without a web browser or mail program set up: the address is said, to be copied.
    if (link.startsWith(QLatin1String("mailto:")))
        ShowNotice(QStringLiteral("没有找到可以写邮件的程序。请给这个地址写信：\r\n") + link.mid(7), NoticeCaption);
    else
        ShowNotice(QStringLiteral("没有找到可以打开网页的浏览器。请在浏览器中打开这个地址：\r\n") + link, NoticeCaption);
}
