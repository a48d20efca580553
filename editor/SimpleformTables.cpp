#include "SimpleformTables.h"

#include "ShortForm.h"

namespace {

using K = ControlKind;

// Names as people have them: five characters (欧阳建国华), or two names joined by "·"
// (阿不都热合曼·阿不都克力木), up to twenty characters.
constexpr int PersonNameBytes = 40;

const QStringList Months = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};

// Rows are in creation order; the number after the tag is the tab position.
PanelSpec Project()
{
    return {"GroupBox1", QStringLiteral("项  目  概  况"), {120, 262, 120, 261},
        {
            {"edxmmc", K::Edit, "项目名称*", "项目名称", 80, 1, 1},
            {"edxmlb", K::SelectOnly, "项目类别*", "项目类别", 0, 1, 2},
            {"edyjlb", K::SelectOnly, "研究类别*", "研究类别", 0, 1, 3},
            {"edsqje", K::Edit, "申请经费*", "申请经费", 0, 1, 4},
            {"edsqrq", K::Hidden, "", "申请日期", 0, 2, 14, 0, {}, "xxxx"},
            {"cmbmonth", K::SelectOnly, "申请时间*", "申请月份", 0, 1, 5, 0, Months, "", 64},
            {"edxkdm", K::ReadOnly, "学科代码*", "请点击右边▲按钮选择学科代码", 0, 1, 6},
            {"SpeedButton13", K::Button, "▲", "学科代码查询"},
            {"edyjqsjy", K::ReadOnly, "起始时间*", "起始年份", 0, 1, 7, SkipTab, {}, "", 56},
            {"edyjqsjm", K::SelectOnly, "", "开始月份", 0, 1, 8, 0, Months, "", 64},
            {"edtsqyear", K::ReadOnly, "", "", 0, 1, 13, SkipTab, {}, "", 56},
            {"edyjlbdm", K::Hidden, "", "", 0, 2, 15},
            {"edyjzsjy", K::Combo, "终止时间*", "终止年份", 0, 1, 9, 0, {}, "", 76},
            {"edyjzsjm", K::SelectOnly, "", "终止月份", 0, 1, 10, 0, Months, "", 64},
            {"edselffin", K::SelectOnly, "是否同意转自筹*", "是否同意转自筹", 0, 1, 12, 0, {"是", "否"}},
            {"edxk", K::ReadOnly, "学科名称*", "", 0, 1, 16, SkipTab},
            {"edxmlbdm", K::Hidden, "", "", 0, 2, 17},
            {"edyjxk", K::Hidden, "", "", 0, 2, 18},
            {"edxldm", K::Edit, "指南领域名称", "指南领域名称", 80, 0, 11},
        },
        {
            {0, 0, 1, "L:edxmmc"}, {0, 1, 3, "edxmmc"},
            {1, 0, 1, "L:edxmlb"}, {1, 1, 1, "edxmlb"}, {1, 2, 1, "L:edyjlb"}, {1, 3, 1, "edyjlb"},
            {2, 0, 1, "L:edsqje"}, {2, 1, 1, "edsqje 万元"},
            {2, 2, 1, "L:cmbmonth"}, {2, 3, 1, "edtsqyear 年 cmbmonth 月"},
            {3, 0, 1, "L:edxkdm"}, {3, 1, 1, "edxkdm SpeedButton13"}, {3, 2, 1, "L:edxk"}, {3, 3, 1, "edxk"},
            {4, 0, 1, "L:edyjqsjy"}, {4, 1, 1, "edyjqsjy 年 edyjqsjm 月"},
            {4, 2, 1, "L:edyjzsjy"}, {4, 3, 1, "edyjzsjy 年 edyjzsjm 月"},
            {5, 0, 1, "L:edxldm"}, {5, 1, 1, "edxldm"}, {5, 2, 1, "L:edselffin"}, {5, 3, 1, "edselffin"},
        }};
}

PanelSpec Applicant()
{
    return {"GroupBox5", QStringLiteral("申  请  人"), {96, 150, 118, 164, 96, 139},
        {
            {"edxm1", K::Edit, "姓    名*", "申请人姓名", PersonNameBytes, 1, 1},
            {"edsfzh1", K::Edit, "身份证号*", "申请人身份证号", 18, 1, 2, UpperCase},
            {"edxb", K::SelectOnly, "性 别*", "申请人性别", 0, 1, 3, Disabled | SkipTab, {"男", "女"}, "男"},
            {"edcsny", K::ReadOnly, "出生年月*", "申请人出生年月", 0, 1, 11, SkipTab},
            {"edzyjszw1", K::SelectOnly, "专业技术职务*",
             "请选择申请人专业技术职务,点击右边▲按钮查询专业技术职务", 0, 1, 4},
            {"SpeedButton11", K::Button, "▲", "专业技术职务查询"},
            {"edjb", K::Edit, "代   码*", "专业技术职务代码", 0, 1, 12, SkipTab},
            {"edlxdh", K::Edit, "申请人电话*", "申请人电话", 30, 1, 7},
            {"edcz", K::Edit, "人才计划", "人才计划", 100, 0, 8},
            {"edemail", K::Edit, "电子邮件*", "电子邮件", 100, 1, 9},
            {"edzyjszwdm1", K::Hidden, "", "", 0, 2, 13},
            {"edjbdm", K::Hidden, "", "", 0, 2, 14},
            {"edxw", K::SelectOnly, "学  位", "请选择学位", 0, 0, 5},
            {"Edxwdm", K::Hidden, "", "", 0, 2, 15},
            {"edxl", K::Edit, "学位授予时间", "学位授予时间", 0, 0, 6},
            {"edmz", K::Edit, "所在研究基地", "所在研究基地", 0, 0, 10},
        },
        {
            {0, 0, 1, "L:edxm1"}, {0, 1, 1, "edxm1"}, {0, 2, 1, "L:edsfzh1"}, {0, 3, 1, "edsfzh1"},
            {0, 4, 1, "L:edxb"}, {0, 5, 1, "edxb"},
            {1, 0, 1, "L:edcsny"}, {1, 1, 1, "edcsny"}, {1, 2, 1, "L:edzyjszw1"}, {1, 3, 1, "edzyjszw1 SpeedButton11"},
            {1, 4, 1, "L:edjb"}, {1, 5, 1, "edjb"},
            {2, 0, 1, "L:edxw"}, {2, 1, 1, "edxw"}, {2, 2, 1, "L:edxl"}, {2, 3, 1, "edxl"},
            {2, 4, 1, "L:edlxdh"}, {2, 5, 1, "edlxdh"},
            {3, 0, 1, "L:edemail"}, {3, 1, 3, "edemail"}, {3, 4, 1, "L:edmz"}, {3, 5, 1, "edmz"},
            {4, 0, 1, "L:edcz"}, {4, 1, 5, "edcz"},
        }};
}

PanelSpec Units()
{
    return {"GroupBox3", QStringLiteral("承担单位"), {120, 262, 120, 261},
        {
            {"edcddw1", K::Combo, "学校名称*", "第一承担单位", 250, 1, 1},
            {"SpeedButton12", K::Button, "▲", "承担单位查询"},
            {"edcddw2", K::Edit, "参加单位一", "", 250, 0, 3},
            {"edcddw3", K::Edit, "参加单位二", "", 250, 0, 4},
            {"edszxy", K::Edit, "所在院系", "", 100, 0, 2},
        },
        {
            {0, 0, 1, "L:edcddw1"}, {0, 1, 1, "edcddw1 SpeedButton12"}, {0, 2, 1, "L:edszxy"}, {0, 3, 1, "edszxy"},
            {1, 0, 1, "L:edcddw2"}, {1, 1, 1, "edcddw2"}, {1, 2, 1, "L:edcddw3"}, {1, 3, 1, "edcddw3"},
        }};
}

// The nine member rows repeat one row of five fields and a remove button; the summary follows.
PanelSpec Members()
{
    struct Field {
        ControlKind kind;
        int maxBytes;
        int flags;
    };
    const Field fields[] = {{K::Edit, PersonNameBytes, 0}, {K::Edit, 18, UpperCase}, {K::SelectOnly, 0, 0},
                            {K::Combo, 250, 0}, {K::Edit, 40, 0}};
    PanelSpec panel{"GroupBox4", QStringLiteral("项  目  组  主  要  成  员  ★ 不包括申请者 ★"),
                    {96, 168, 112, 200, 154, 33}, {}, {}};
    panel.controls.append({"SpeedButton15", K::Button, "调整成员顺序", "调整成员顺序"});
    panel.cells.append({0, 0, 6, "~ SpeedButton15"});
    for (int c = 0; c < MemberColumns().size(); ++c)
        panel.cells.append({1, c, 1, MemberColumns().at(c).label, true});
    panel.cells.append({1, 5, 1, "", true});
    int tab = 1;
    for (int row = FirstMemberRow; row <= LastMemberRow; ++row) {
        const QString n = QString::number(row);
        const int gridRow = row;  // rows 2 … 10 sit on grid rows 2 … 10
        for (int c = 0; c < MemberColumns().size(); ++c) {
            const QString name = MemberColumns().at(c).prefix + n;
            panel.controls.append({name, fields[c].kind, MemberColumns().at(c).label, "", fields[c].maxBytes, 0,
                                   tab++, fields[c].flags});
            panel.cells.append({gridRow, c, 1, name});
        }
        panel.controls.append({"SpeedButton" + n, K::Button, "×", QStringLiteral("删除成员%1").arg(row - 1)});
        panel.cells.append({gridRow, 5, 1, "SpeedButton" + n});
    }
    const QList<std::pair<QString, QString>> summary[2] = {
        {{"edzrs", "总人数："}, {"edgj", "高级："}, {"edzj", "中级："}, {"edcj", "初级："}},
        {{"edbsh", "博士后："}, {"edbs", "博士生："}, {"edss", "硕士生："}, {"edcjdw", "总单位数："}},
    };
    for (int line = 0; line < 2; ++line) {
        QString content;
        for (const auto& [name, label] : summary[line]) {
            panel.controls.append({name, K::ReadOnly, label, "", 0, 0, tab++, SkipTab, {}, "", 48});
            content += QStringLiteral("L:%1 %1 ").arg(name);
        }
        panel.cells.append({LastMemberRow + 1 + line, 0, 6, content + "~"});
    }
    return panel;
}

PanelSpec Summary()
{
    return {"GroupBox2", QStringLiteral(" 摘                 要"), {90, 164, 90, 164, 90, 165},
        {
            {"edxmjj", K::Memo, "主要研究内容及技术指标（限200 字）*", "主要研究内容及技术指标", 420, 1, 1},
            {"edztc1", K::Edit, "主题词1*", "主题词1", 30, 1, 2},
            {"edztc2", K::Edit, "主题词2", "", 30, 0, 3},
            {"edztc3", K::Edit, "主题词3", "", 30, 0, 4},
        },
        {
            {0, 0, 1, "L:edxmjj", false, 132}, {0, 1, 5, "edxmjj", false, 132},
            {1, 0, 1, "L:edztc1"}, {1, 1, 1, "edztc1"}, {1, 2, 1, "L:edztc2"}, {1, 3, 1, "edztc2"},
            {1, 4, 1, "L:edztc3"}, {1, 5, 1, "edztc3"},
        }};
}

} // namespace

const QList<MemberColumn>& MemberColumns()
{
    static const QList<MemberColumn> columns = {
        {MemberFieldPrefixes.at(0), QStringLiteral("姓名")},
        {MemberFieldPrefixes.at(1), QStringLiteral("身份证号")},
        {MemberFieldPrefixes.at(2), QStringLiteral("专业技术职务")},
        {MemberFieldPrefixes.at(3), QStringLiteral("所在单位")},
        {MemberFieldPrefixes.at(4), QStringLiteral("项目中的分工")},
    };
    return columns;
}

const QList<PanelSpec>& ShortFormPanels()
{
    static const QList<PanelSpec> panels = {Project(), Applicant(), Units(), Members(), Summary()};
    return panels;
}
