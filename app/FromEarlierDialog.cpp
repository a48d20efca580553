#include "FromEarlierDialog.h"

#include "FormHelpers.h"
#include "ShortForm.h"
#include "Text.h"

#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int SummaryWidth = 560;
constexpr int AbstractShown = 80;  // characters of the abstract shown

QString Joined(const QList<std::pair<QString, QString>>& parts)
{
    QStringList shown;
    for (const auto& [label, value] : parts)
        if (!TrimBlanks(value).isEmpty())
            shown << label + QStringLiteral("：") + SingleLineText(TrimBlanks(value));
    return shown.isEmpty() ? QStringLiteral("（空）") : shown.join(QStringLiteral("；"));
}

} // namespace

QString GroupSummary(const EarlierApplication& earlier, CarryGroup group)
{
    auto v = [&](const char* name) { return TrimBlanks(earlier.values.value(QString::fromLatin1(name))); };
    auto both = [](const QString& a, const QString& b) { return b.isEmpty() ? a : a.isEmpty() ? b : a + " " + b; };
    switch (group) {
    case CarryGroup::Project:
        return Joined({{QStringLiteral("项目名称"), v("xmmc")},
                       {QStringLiteral("项目类别"), v("xmlb")},
                       {QStringLiteral("研究类别"), v("yjlb")},
                       {QStringLiteral("申请经费"), v("sqje").isEmpty() ? QString() : v("sqje") + QStringLiteral("万元")},
                       {QStringLiteral("学科"), both(v("xkdm"), v("xk"))},
                       {QStringLiteral("指南领域"), v("xldm")},
                       {QStringLiteral("终止"), v("yjzsjy").isEmpty() ? QString()
                                                : v("yjzsjy") + QStringLiteral("年")
                                                      + (v("yjzsjm").isEmpty() ? QString() : v("yjzsjm") + QStringLiteral("月"))},
                       {QStringLiteral("是否同意转自筹"), v("selffin")}});
    case CarryGroup::Applicant:
        return Joined({{QStringLiteral("姓名"), v("xm1")},
                       {QStringLiteral("性别"), v("xb")},
                       {QStringLiteral("出生年月"), v("csny")},
                       {QStringLiteral("身份证号"), v("sfzh1")},
                       {QStringLiteral("学位"), both(v("xw"), v("xl"))},
                       {QStringLiteral("专业技术职务"), both(v("zyjszw1"), v("jb"))},
                       {QStringLiteral("人才计划"), v("cz")},
                       {QStringLiteral("电话"), v("lxdh")},
                       {QStringLiteral("电子邮件"), v("email")},
                       {QStringLiteral("研究基地"), v("mz")}});
    case CarryGroup::Units:
        return Joined({{QStringLiteral("学校名称"), v("cddw1")},
                       {QStringLiteral("所在院系"), v("szxy")},
                       {QStringLiteral("参加单位"), QStringList({v("cddw2"), v("cddw3")}).join(' ').trimmed()}});
    case CarryGroup::Members: {
        QStringList members;
        for (int row = FirstMemberRow; row <= LastMemberRow; ++row) {
            const QString name = TrimBlanks(earlier.values.value(MemberNamePrefix.mid(2) + QString::number(row)));
            const QString title = TrimBlanks(earlier.values.value(MemberTitlePrefix.mid(2) + QString::number(row)));
            if (!name.isEmpty())
                members << (title.isEmpty() ? name : name + "（" + title + "）");
        }
        return members.isEmpty() ? QStringLiteral("（空）")
                                 : QStringLiteral("%1 人：").arg(members.size()) + members.join(QStringLiteral("、"));
    }
    case CarryGroup::Abstract: {
        QString abstract = SingleLineText(v("xmjj"));
        if (abstract.size() > AbstractShown)
            abstract = abstract.left(AbstractShown) + QStringLiteral("……");
        return Joined({{QStringLiteral("简介"), abstract},
                       {QStringLiteral("主题词"), QStringList({v("ztc1"), v("ztc2"), v("ztc3")}).join(' ').trimmed()}});
    }
    case CarryGroup::Body:
        return (earlier.bodyCharacters > 0 ? QStringLiteral("正文 %1 字").arg(earlier.bodyCharacters)
                                           : QStringLiteral("正文为空"))
               + (earlier.format == DocumentFormat::Word97 ? QStringLiteral("（旧版格式，将先转换为新格式）") : QString());
    }
    return {};
}

TfrmFromEarlier::TfrmFromEarlier(const EarlierApplication& earlier, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      m_earlier(earlier)
{
    setObjectName("frmFromEarlier");
    setWindowTitle(QStringLiteral("从旧申请书新建"));
    setFont(WindowFont());
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("旧申请书：%1\n请选择要带入新申请书的内容。本版的起始年份、申请日期和受理编号不会带入。")
                                 .arg(QDir::toNativeSeparators(earlier.path)), this);
    intro->setWordWrap(true);
    intro->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(intro);

    // The groups scroll where the screen is small.
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* groups = new QWidget(scroll);
    auto* list = new QVBoxLayout(groups);
    for (const CarryGroupInfo& info : CarryGroups()) {
        auto* box = new QCheckBox(info.label, groups);
        box->setObjectName("cb" + info.name);
        box->setChecked(true);
        QFont bold = box->font();
        bold.setBold(true);
        box->setFont(bold);
        auto* summary = new QLabel(GroupSummary(earlier, info.group), groups);
        summary->setObjectName("lab" + info.name);
        summary->setWordWrap(true);
        summary->setFixedWidth(SummaryWidth);
        summary->setIndent(24);
        summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
        box->setAccessibleDescription(summary->text());
        list->addWidget(box);
        list->addWidget(summary);
        GroupBoxes.insert(info.group, box);
    }
    // What today's lists no longer have is said before it is left out.
    QSet<CarryGroup> all;
    for (const CarryGroupInfo& info : CarryGroups())
        all.insert(info.group);
    QStringList dropped;
    for (const LeftOut& left : PlanCarryOver(earlier.values, all).leftOut)
        dropped << left.text();
    if (!dropped.isEmpty()) {
        auto* note = new QLabel(QStringLiteral("以下旧值本版已不再使用，不会带入，请在简表中重新选择：\n") + dropped.join('\n'), groups);
        note->setObjectName("LeftOutNote");
        note->setWordWrap(true);
        note->setFixedWidth(SummaryWidth);
        note->setStyleSheet("color: #a00000");
        list->addWidget(note);
    }
    list->addStretch(1);
    scroll->setWidget(groups);
    layout->addWidget(scroll, 1);

    BtnOk = new QPushButton(QStringLiteral("确定"), this);
    BtnOk->setObjectName("BtnOk");
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("取消"), this);
    BtnCancel->setObjectName("BtnCancel");
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(ButtonRow(this, BtnOk, BtnCancel));
    groups->adjustSize();
    const QSize wanted = QSize(SummaryWidth + 60, groups->height() + intro->sizeHint().height() + 80);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() * 9 / 10 : wanted;
    resize(wanted.boundedTo(room));
}

void TfrmFromEarlier::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!GroupBoxes.isEmpty())
        GroupBoxes.first()->setFocus(Qt::TabFocusReason);
}

QSet<CarryGroup> TfrmFromEarlier::ChosenGroups() const
{
    QSet<CarryGroup> chosen;
    for (auto it = GroupBoxes.cbegin(); it != GroupBoxes.cend(); ++it)
        if (it.value()->isChecked())
            chosen.insert(it.key());
    return chosen;
}
