#include "ProgressWindow.h"

#include "BusyInput.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

const char* const Catalogue[19] = {
    "正在数据导出……", "正在下载WORD文件……", "正在浏览记录……", "正在下载配置数据……", "正在校验记录……",
    "正在生成导出记录……", "正在导入记录……", "正在保存数据", "正在读取数据", "正在打开申请书",
    "正在生成新申请书", "正在修改申请书单位信息", "正在读申请书信息", "正在导出申请书信息",
    "第一次运行，正在生成系统配置信息。", "正在启动科研后台管理系统", "正在打开全文申请书",
    "正在校验申请书信息", "正在导入申请书信息",
};

constexpr int BandHeight = 33;

} // namespace

Tfrmmsgbox::Tfrmmsgbox(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("frmmsgbox");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setProperty(TakesInputWhileBusy, true);  // it can be clicked away while a package operation runs
    resize(385, 48);
    move(147, 127);

    lblmsg = new QLabel(this);
    lblmsg->setObjectName("lblmsg");
    lblmsg->setAlignment(Qt::AlignCenter);
    lblmsg->move(16, 8);
    lblmsg->installEventFilter(this);

    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    QPalette navy = Gauge1->palette();
    navy.setColor(QPalette::Highlight, QColor(0, 0, 128));
    Gauge1->setPalette(navy);
    Gauge1->hide();

    pgbx = new QProgressBar(this);
    pgbx->setObjectName("pgbx");
    pgbx->setTextVisible(false);
    pgbx->hide();

    BtnCancel = new QPushButton(QStringLiteral("取消"), this);
    BtnCancel->setObjectName("BtnCancel");
    BtnCancel->hide();
    connect(BtnCancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });

    ShowTimer = new QTimer(this);
    ShowTimer->setSingleShot(true);
    connect(ShowTimer, &QTimer::timeout, this, &Tfrmmsgbox::Appear);

    Timer1 = new QTimer(this);
    Timer1->setInterval(5000);
    connect(Timer1, &QTimer::timeout, this, &Tfrmmsgbox::Timer1Timer);
}

QString Tfrmmsgbox::CatalogueText(unsigned kind)
{
    return kind >= 1 && kind <= 19 ? QString::fromUtf8(Catalogue[kind - 1]) : QString();
}

void Tfrmmsgbox::Place()
{
    lblmsg->adjustSize();
    int width = lblmsg->width() + 40;
    if (BtnCancel->isVisibleTo(this)) {
        BtnCancel->adjustSize();
        BtnCancel->move(width - 8, 4);
        width += BtnCancel->width() + 8;
    }
    resize(width, height());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : width;
    move((screenWidth - width) / 2, y());
}

void Tfrmmsgbox::Request()
{
    if (isVisible()) {
        repaint();
        return;
    }
    m_pending = true;
    m_since.start();
    if (ShowDelay <= 0)
        Appear();
    else
        ShowTimer->start(ShowDelay);
}

void Tfrmmsgbox::ShowWhenDue()
{
    if (m_pending && m_since.elapsed() >= ShowDelay)
        Appear();
}

void Tfrmmsgbox::Appear()
{
    if (!m_pending)
        return;
    m_pending = false;
    ShowTimer->stop();
    show();
    repaint();
}

void Tfrmmsgbox::SetupStepBar(int steps)
{
    Gauge1->hide();
    if (steps > 0) {
        pgbx->setRange(0, steps);
        pgbx->show();
        pgbx->setValue(0);
    } else {
        pgbx->hide();
    }
    resize(width(), pgbx->isVisibleTo(this) ? 47 : 32);
}

void Tfrmmsgbox::FrmShow(unsigned kind, int steps)
{
    if (kind >= 1 && kind <= 19)
        LastText = CatalogueText(kind);
    lblmsg->setText(LastText);
    lblmsg->repaint();
    SetupStepBar(steps);
    Place();
    Request();
}

void Tfrmmsgbox::run(const QString& text)
{
    if (!text.isEmpty()) {
        lblmsg->setText(text);
        lblmsg->repaint();
    }
    if (pgbx->value() < pgbx->maximum())
        pgbx->setValue(pgbx->value() + 1);
    ShowWhenDue();
    if (isVisible())
        repaint();
}

void Tfrmmsgbox::zipxMsg(const QString& text)
{
    Gauge1->show();
    pgbx->hide();
    lblmsg->setText(text);
    Place();
    Request();
}

void Tfrmmsgbox::setGauge(int percent)
{
    if (!isVisible() && !m_pending)
        return;  // clicked away: the work goes on without it
    if (percent < 0) {
        Gauge1->setRange(0, 0);  // busy
    } else {
        Gauge1->setRange(0, 100);
        Gauge1->setValue(qMin(percent, 100));
    }
    ShowWhenDue();
    if (isVisible())
        Gauge1->repaint();
}

void Tfrmmsgbox::allowCancel(bool on)
{
    m_cancelled = false;
    BtnCancel->setVisible(on);
    Place();
}

bool Tfrmmsgbox::cancelRequested()
{
    ShowWhenDue();
    return m_cancelled;
}

void Tfrmmsgbox::Close()
{
    m_pending = false;
    ShowTimer->stop();
    BtnCancel->hide();
    Gauge1->setRange(0, 100);
    close();
}

void Tfrmmsgbox::Timer1Timer()
{
    Timer1->stop();
    m_pending = false;
    close();
}

void Tfrmmsgbox::lblmsgClick()
{
    m_pending = false;
    close();
}

void Tfrmmsgbox::mousePressEvent(QMouseEvent* event)
{
    lblmsgClick();
    event->accept();
}

bool Tfrmmsgbox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblmsg && event->type() == QEvent::MouseButtonPress) {
        lblmsgClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Tfrmmsgbox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QRect below(0, BandHeight, width(), qMax(0, height() - BandHeight));
    Gauge1->setGeometry(below);
    pgbx->setGeometry(below);
}
