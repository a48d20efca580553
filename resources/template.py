#!/usr/bin/env python3
"""The blank application document, written out as the parts of an OOXML package.

  template.py OUTDIR FIELDINFO_TSV PASSWORD

Section 1 (protected for forms) holds the cover and tables 1 to 4, whose value cells are where
the field catalogue says; the build stops when a catalogue cell is missing or is a label.
Section 2 (editable) holds the body headings, the budget table and the commitments.
The body starts directly with table 1, so that select-all and delete in section 2 cannot reach
into section 1. BODY_SPACING below tunes the blank document's character count (see the engine).
"""
import base64
import hashlib
import struct
import sys
from pathlib import Path
from xml.sax.saxutils import escape

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
R = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
YEAR = "2013"
# Empty paragraphs left under each body heading for the applicant's text; the first heading gets
# FIRST_EXTRA more. Together they set the blank document's character count (2880).
BODY_SPACING = 14
FIRST_EXTRA = 21
SONG = '<w:rFonts w:ascii="Times New Roman" w:hAnsi="Times New Roman" w:eastAsia="宋体" w:hint="eastAsia"/>'
HEI = '<w:rFonts w:ascii="Times New Roman" w:hAnsi="Times New Roman" w:eastAsia="黑体" w:hint="eastAsia"/>'


# A new page through paragraph properties: LibreOffice turns a page-break character here into a
# section break of its own on saving, which would leave part of section 1 unprotected.
PAGE_BREAK = '<w:p><w:pPr><w:pageBreakBefore/></w:pPr></w:p>'


# Paragraph styles: the document's formatting lives in styles.xml, so that every paragraph and
# cell carries only its style's name. That keeps the main part small, which is what opening and
# saving spend their time on.
STYLES = {
    # id: (size, bold, font, justification, first-line indent, space before, space after)
    # Table text: labels 9 pt, values 10 pt (texts left, short values centred).
    "Label": (18, False, SONG, "center", False, 0, 0),
    "LabelBold": (18, True, SONG, "center", False, 0, 0),
    "CellLeft": (20, False, SONG, "left", False, 0, 0),
    "CellCenter": (20, False, SONG, "center", False, 0, 0),
    "CellSmall": (14, False, SONG, "center", False, 0, 0),
    "OfficeLabel": (12, False, SONG, "center", False, 0, 0),
    "CoverLabel": (28, True, SONG, "distribute", False, 0, 0),
    "CoverBox": (18, False, SONG, "center", False, 0, 0),
    "CoverValue": (28, False, SONG, "left", False, 0, 0),
    "Title": (44, True, HEI, "center", False, 0, 0),
    "Subtitle": (32, False, SONG, "center", False, 200, 600),
    "Issuer": (30, True, SONG, "center", False, 800, 0),
    "NotesTitle": (32, True, HEI, "center", False, 200, 200),
    "Note": (24, False, SONG, None, True, 0, 60),
    "Heading": (24, True, HEI, None, False, 240, 120),
    "BasicHeading": (28, True, HEI, None, False, 0, 120),
    "Guide": (21, False, SONG, None, True, 0, 0),
    "Body": (24, False, SONG, None, True, 0, 0),
    "Signature": (24, False, SONG, "right", False, 0, 0),
}


# The receiving office's data row is small and grey: nothing for reviewers to puzzle over.
COLOURS = {"OfficeLabel": "808080"}


def style_xml(style_id, size, bold, font, align, indent, before, after):
    ppr = f'<w:spacing w:before="{before}" w:after="{after}"/>'
    if indent:
        ppr += '<w:ind w:firstLineChars="200" w:firstLine="420"/>'
    # Normal centres (it is the cells' style), so every other style says how it aligns.
    ppr += f'<w:jc w:val="{align or "both"}"/>'
    colour = f'<w:color w:val="{COLOURS[style_id]}"/>' if style_id in COLOURS else ""
    rpr = f'{font}{"<w:b/>" if bold else ""}{colour}<w:sz w:val="{size}"/><w:szCs w:val="{size}"/>'
    return (f'<w:style w:type="paragraph" w:customStyle="1" w:styleId="{style_id}"><w:name w:val="{style_id}"/>'
            f'<w:basedOn w:val="Normal"/><w:qFormat/><w:pPr>{ppr}</w:pPr><w:rPr>{rpr}</w:rPr></w:style>')


def para(text="", style="Body", before=None):
    """A paragraph; style "Normal" (centred table text) needs no properties at all."""
    if style != "Normal" and style not in STYLES:
        raise SystemExit(f"no paragraph style {style}")
    spacing = f'<w:spacing w:before="{before}"/>' if before is not None else ""
    props = f'<w:pStyle w:val="{style}"/>' if style != "Normal" else ""
    ppr = f"<w:pPr>{props}{spacing}</w:pPr>" if props or spacing else ""
    space = ' xml:space="preserve"' if text != text.strip() else ""
    run = f'<w:r><w:t{space}>{escape(text)}</w:t></w:r>' if text else ""
    return f"<w:p>{ppr}{run}</w:p>"


class Cell:
    """A table cell. Text with "\n" is one paragraph a line: a label that must break does so
    between words, never inside one. width (twips) places the cell in a free-width table."""

    def __init__(self, text="", span=1, merge=None, value=False, style="Label", width=0):
        self.text, self.span, self.merge, self.value, self.style = text, span, merge, value, style
        self.width = width


def L(text, span=1, width=0, **kw):  # a label cell
    return Cell(text, span, width=width, **kw)


def V(text="", span=1, width=0, style="CellLeft", **kw):  # a value cell the system writes
    return Cell(text, span, value=True, width=width, style=style, **kw)


def C(text="", width=0):  # a short value (code, year, count), centred
    return V(text, width=width, style="CellCenter")


def G(text, width=0):  # first cell of a vertically merged label: a group written down its column
    return Cell(text, 1, merge="restart", style="LabelBold", width=width)


def CONT(width=0):  # a cell continuing the merged cell above
    return Cell(merge="continue", width=width)


def cell_paragraphs(c):
    return "".join(para(line, c.style) for line in c.text.split("\n")) if c.text else para("", c.style)


def free_table(rows, number, **kw):
    """A table whose rows give each cell's width: the grid is every column edge any row has."""
    edges = {0}
    for _, cells in rows:
        x = 0
        for c in cells:
            x += c.width
            edges.add(x)
        if x != sum(c.width for c in rows[0][1]):
            raise SystemExit(f"table {number}: a row is {x} wide, the first {sum(c.width for c in rows[0][1])}")
    edges = sorted(edges)
    widths = [b - a for a, b in zip(edges, edges[1:])]
    spanned = []
    for height, cells in rows:
        x, out = 0, []
        for c in cells:
            start, x = x, x + c.width
            c.span = edges.index(x) - edges.index(start)
            out.append(c)
        spanned.append((height, out))
    return table(widths, spanned, number, **kw)


def table(widths, rows, number, align="center", border="single", border_size=4, border_colour="000000"):
    """Builds a table and returns its XML and its counted cells (row by row, merged once).
    Every cell's content sits vertically centred."""
    total = sum(widths)
    xml = ['<w:tbl><w:tblPr>', f'<w:tblW w:w="{total}" w:type="dxa"/><w:jc w:val="{align}"/>',
           '<w:tblBorders>' + "".join(f'<w:{s} w:val="{border}" w:sz="{border_size}" w:space="0" w:color="{border_colour}"/>'
                                      for s in ("top", "left", "bottom", "right", "insideH", "insideV"))
           + '</w:tblBorders><w:tblLayout w:type="fixed"/>',
           '<w:tblCellMar><w:left w:w="43" w:type="dxa"/><w:right w:w="43" w:type="dxa"/></w:tblCellMar>',
           '</w:tblPr><w:tblGrid>' + "".join(f'<w:gridCol w:w="{w}"/>' for w in widths) + '</w:tblGrid>']
    counted = []
    for row in rows:
        height, cells = row
        if sum(c.span for c in cells) != len(widths):
            raise SystemExit(f"table {number}: a row spans {sum(c.span for c in cells)} of {len(widths)} columns")
        xml.append(f'<w:tr><w:trPr><w:cantSplit/><w:trHeight w:val="{height}"/></w:trPr>')
        col = 0
        for c in cells:
            width = sum(widths[col:col + c.span])
            col += c.span
            tcpr = f'<w:tcW w:w="{width}" w:type="dxa"/>'
            if c.span > 1:
                tcpr += f'<w:gridSpan w:val="{c.span}"/>'
            if c.merge == "restart":
                tcpr += '<w:vMerge w:val="restart"/>'
            elif c.merge == "continue":
                tcpr += '<w:vMerge/>'
            tcpr += '<w:vAlign w:val="center"/>'
            xml.append(f'<w:tc><w:tcPr>{tcpr}</w:tcPr>' + cell_paragraphs(c) + '</w:tc>')
            if c.merge != "continue":
                counted.append(c)
        xml.append('</w:tr>')
    xml.append('</w:tbl>')
    return "".join(xml), counted


# The text width of the page (A4 less 2 cm margins left and right), in twips. A Chinese character
# is as wide as its size: 180 twips at the labels' 9 pt, 200 at the values' 10 pt, 280 at the
# cover's 14 pt; cells lose 86 twips to their margins. Value cells are as wide as their field's
# longest value (its FitLength, else its screen limit) needs; identity numbers always fit.
TEXT_WIDTH = 9638


def cover_tables():
    t1 = table([1300, 1300, 1700, 1300],
               [(400, [L("项目类别", style="CoverBox"), L("学科代码", style="CoverBox"),
                       L("是否同意转自筹", style="CoverBox"), L("编  号", style="CoverBox")]),
                (400, [C(), C(), C(), L("", style="CoverBox")])], 1, align="right")
    # The project name takes 40 bytes (20 characters at 14 pt) on one line.
    t2 = table([2000, 5800],
               [(600, [L(t, style="CoverLabel"), V(v, style="CoverValue")])
                for t, v in (("学 科 门 类：", ""), ("项 目 名 称：", ""), ("项目 负责人：", ""),
                             ("所 在 学 校：", ""), ("填 表 日 期：", YEAR + "年"))], 2)
    t3 = table([900] * 6, [(240, [V(style="OfficeLabel") for _ in range(6)])], 3, align="right",
               border_size=2, border_colour="BFBFBF")
    return t1, t2, t3


def basic_table():
    W, G0 = TEXT_WIDTH, 300  # the group column carries its label down the cells
    rest = lambda *used: W - G0 - sum(used)
    r = 380  # a row of one line
    rows = [
        (r, [G("项 目 概 况", G0), L("项目名称", width=810), V(width=rest(810))]),
        (r, [CONT(G0), L("项目类别", width=810), C(width=1050), L("A.重大项目  B.面上项目", width=2809),
             L("研究类别", width=810), C(width=1050), L("A.基础研究  B.应用基础", width=2809)]),
        (r, [CONT(G0), L("申请经费", width=810), C(width=1600), L("万元", width=rest(810, 1600), style="CellLeft")]),
        (r, [CONT(G0), L("指南领域名称", width=1166), V(width=rest(1166))]),
        (r, [CONT(G0), L("学科代码", width=810), C(width=1400), L("学科名称", width=810), V(width=rest(810, 1400, 810))]),
        (500, [CONT(G0), L("起止\n年限", width=810), C(YEAR, 1400), L("年", width=600), C(width=1100),
               L("月至", width=600), C(width=1400), L("年", width=600), C(width=1100),
               L("月", width=rest(810, 1400, 600, 1100, 600, 1400, 600, 1100))]),
        (r, [G("项 目 负 责 人", G0), L("姓  名", width=810), V(width=2500), L("性别", width=810), C(width=1000),
             L("出生年月", width=900), C(width=rest(810, 2500, 810, 1000, 900))]),
        (r, [CONT(G0), L("身份证号", width=810), C(width=2600), L("学位", width=810), C(width=1000),
             L("学位授予时间", width=1166), C(width=rest(810, 2600, 810, 1000, 1166))]),
        (r, [CONT(G0), L("职称", width=810), V(width=1800), L("人才计划", width=810), V(width=rest(810, 1800, 810))]),
        (r, [CONT(G0), L("联系电话", width=810), V(width=2600), L("电子信箱", width=810), V(width=rest(810, 2600, 810))]),
        (r, [CONT(G0), L("所在研究基地", width=1166), V(width=rest(1166))]),
        (r, [G("所在单位", G0), L("学校名称", width=1000), V(width=rest(1000))]),
        (r, [CONT(G0), L("所在院系", width=1000), V(width=rest(1000))]),
        (r, [CONT(G0), L("参加单位一", width=1000), V(width=rest(1000))]),
        (r, [CONT(G0), L("参加单位二", width=1000), V(width=rest(1000))]),
        (r, [G("项     目     组", G0)] + [L(t, width=1334) for t in ("总人数", "高级", "中级", "初级", "博士生", "硕士生", "总单位数")]),
        (r, [CONT(G0)] + [C("0", 1334) for _ in range(7)]),
    ]
    # A member row: name (4 characters), title (3), identity number (18 digits), unit and division
    # of work (9 and 8 characters; Word fits longer ones to the cell), the signature. Each with
    # room to spare: LibreOffice spaces Latin letters from Chinese ones.
    member = [886, 686, 2100, 2100, 1850]
    sign = rest(660, *member)
    rows.append((r, [CONT(G0), Cell("主要\n参加\n人员", merge="restart", width=660)]
                 + [L(t, width=w) for t, w in zip(("姓  名", "职  称", "身份证号", "工作单位", "项目分工"), member)]
                 + [L("签名", width=sign)]))
    for _ in range(2, 11):
        rows.append((r, [CONT(G0), CONT(660), V(width=member[0]), C(width=member[1]), C(width=member[2]),
                         V(width=member[3]), V(width=member[4]), L("", width=sign)]))
    rows.append((1700, [L("主要研究内容\n及技术指标", width=1250), L("（限200字）", width=1350), V(width=W - 2600)]))
    subject = 1800
    rows.append((r, [Cell("主题词\n（不超过3个）", merge="restart", width=subject), V(width=W - subject)]))
    rows.append((r, [CONT(subject), V(width=W - subject)]))
    rows.append((r, [CONT(subject), V(width=W - subject)]))
    return free_table(rows, 4)


def check_catalogue(tables, tsv):
    for line in Path(tsv).read_text(encoding="utf-8").splitlines():
        if not line.strip() or line.startswith("#") or line.startswith("TableNo"):
            continue
        cols = line.split("\t")
        t, c, name = int(cols[0]), int(cols[1]), cols[3]
        cells = tables[t - 1][1]
        if c > len(cells) or not cells[c - 1].value:
            raise SystemExit(f"template: catalogue field {name} (table {t}, cell {c}) is not a value cell")


def sect(protected, footer_id, first=False):
    return ('<w:sectPr>' + f'<w:footerReference w:type="default" r:id="{footer_id}"/>'
            + ('' if first else '<w:type w:val="nextPage"/>')
            + '<w:pgSz w:w="11906" w:h="16838"/>'
            + '<w:pgMar w:top="1247" w:right="1134" w:bottom="1247" w:left="1134" w:header="709" w:footer="709" w:gutter="0"/>'
            + '<w:cols w:space="425"/>'
            + ('<w:formProt/>' if protected else '<w:formProt w:val="0"/>')
            # The short form's tables take their own line heights; the body text keeps a grid.
            + ('<w:docGrid w:linePitch="312"/>' if protected else '<w:docGrid w:type="lines" w:linePitch="312"/>')
            + '</w:sectPr>')


BUDGET_GUIDE = ("（填写说明：经费概算应实事求是，支出科目包括设备费、材料费、测试化验加工费、燃料动力费、"
                "差旅费、会议费、国际合作与交流费、出版/文献/信息传播/知识产权事务费、劳务费和专家咨询费等，"
                "每一科目均须写明计算根据及理由。）")


def body():
    (t1, c1), (t2, c2), (t3, c3) = cover_tables()
    t4, c4 = basic_table()
    parts = [t1, para(), para(), para("Arvel省高校自然科学研究", "Title", before=600),
             para("项目申请书", "Title"),
             para("（基础研究项目）", "Subtitle"), t2,
             para(), para("Arvel省教育厅制", "Issuer"),
             PAGE_BREAK, t3,
             para("填  表  说  明", "NotesTitle")]
    headings = [
        ("二、立项依据（包括项目研究意义，国内外研究现状、水平和发展趋势，并附主要参考文献及出处）",
         "（填写说明：结合本学科发展和经济社会发展的需要，阐述项目的科学意义或应用前景；"
         "分析国内外研究现状、已达到的水平和发展趋势，说明尚待解决的问题；列出主要参考文献，"
         "注明作者、题目、刊物或出版单位、年份、卷期和页码。）"),
        ("三、研究目标、研究内容和拟解决的关键问题",
         "（填写说明：研究目标应具体、明确、可考核；研究内容应围绕目标展开，层次清楚，"
         "重点突出；拟解决的关键问题指实现研究目标必须解决的科学问题或技术难点，"
         "应说明解决的思路。）"),
        ("四、课题的研究方法、技术路线、实验方案及可行性分析",
         "（填写说明：说明采用的研究方法和技术路线，可用流程图表示；实验方案应写明实验对象、"
         "条件、步骤和数据处理方法；可行性分析应从理论依据、研究基础、实验条件、人员结构"
         "和经费保障等方面论证项目能够按计划完成。）"),
        ("五、项目创新点",
         "（填写说明：与国内外同类研究相比，说明本项目在学术思想、研究方法、技术路线"
         "或预期成果等方面的特色与创新之处，一般不超过三条，每条应简明扼要。"
         "）"),
        ("六、申请人简历与已具备的研究基础",
         "（填写说明：申请人简历包括学习和工作经历、主要研究方向、近五年承担的科研项目、"
         "发表的主要论文与著作、获得的科研奖励和专利；研究基础包括与本项目有关的前期研究工作"
         "积累和已取得的研究成果，已具备的实验条件，尚缺少的实验条件和拟解决的途径。"
         "）"),
        ("七、项目进度安排及提供成果形式",
         "（填写说明：按年度或半年度列出研究进度安排，写明各阶段的研究内容和预期进展；"
         "成果形式包括学术论文、专著、专利、研究报告、新产品、新工艺、软件和人才培养等，"
         "应写明数量和水平。）"),
    ]
    notes = [
        "一、申请书各项内容均须填写，不适用的项目填写“/”，数字项目无内容的填写“0”。",
        "二、项目名称应确切反映研究内容，最多不超过25个汉字（包括标点符号）。",
        "三、学科代码按国家标准《学科分类与代码》(GB/T13745-92)填写，范围为110至620。",
        "四、封面的学科门类填写一级学科名称；项目基本信息表中的学科代码和学科名称填写到三级学科，"
        "没有三级学科的填写到二级学科。",
        "五、人才计划指获得省级及以上人才计划资助的情况。",
        "六、申请书用A4纸双面打印，于左侧装订成册。",
        "七、申请书正文（第二至第八部分）的填写要求如下。",
    ]
    # The guidance for the body sits here, where the applicant cannot delete it: the length rule
    # counts the whole document, and text the applicant was invited to delete made it unstable.
    for h, guide in headings + [("八、经费概算", BUDGET_GUIDE)]:
        number, title = h.split("（")[0].split("、", 1)
        notes.append(f"（{number}）{title}：" + guide.strip("（）").replace("填写说明：", ""))
    parts += [para(n, "Note") for n in notes]
    parts += [PAGE_BREAK,
              para("一、项目基本信息：", "BasicHeading"), t4,
              f'<w:p><w:pPr>{sect(True, "rIdFooter1", first=True)}</w:pPr></w:p>']

    for h, _ in headings:
        parts.append(para(h, "Heading"))
        spacing = BODY_SPACING + (FIRST_EXTRA if h.startswith("二") else 0)
        parts += [para("", "Body") for _ in range(spacing)]
    parts.append(para("八、经费概算（单位：万元）", "Heading"))
    budget_w = [2200, 1500, 2000, 3600]
    budget_rows = [(450, [L("申请经费"), V(), L("申请省教育厅经费"), V()]),
                   (450, [L("学校配套经费"), V(), L("其他自筹经费"), V()]),
                   (450, [L("总经费"), V(span=3)]),
                   (450, [L("支 出 科 目", style="LabelBold"), L("总预算", style="LabelBold"),
                          L("其中拟申请教育厅资助", style="LabelBold"), L("计  算  根  据  及  理  由", style="LabelBold")])]
    budget_rows += [(450, [V(), V(), V(), V()]) for _ in range(8)]
    budget_rows.append((450, [L("合    计"), V(), V(), V()]))
    parts.append(table(budget_w, budget_rows, 5)[0])
    parts.append(para("九、项目负责人承诺", "Heading"))
    parts.append(para("本人保证申请书所填写的内容真实、准确，不存在知识产权争议，所列参加人员均已同意参加"
                      "本项目并在签名栏亲笔签名。如获资助，本人将严格遵守省教育厅科研项目管理的有关规定，"
                      "按计划认真开展研究工作，合理使用研究经费，按时报送年度进展报告和结题材料，"
                      "及时报告项目执行中的重大情况变动，并在发表与本项目有关的成果时注明资助来源。"
                      "如有弄虚作假，本人愿意承担相应责任。", "Body"))
    parts.append(para("负责人签字：", "Signature", before=240))
    parts.append(para("年    月    日", "Signature"))
    parts.append(para("十、项目承担单位承诺", "Heading"))
    parts.append(para("本单位已按照申报通知的要求审核申请书的全部内容，确认申请人和参加人员具备承担本项目"
                      "的资格和能力，申请书所填写的内容真实可靠。如获资助，本单位将按要求提供研究所需的"
                      "实验条件、工作时间和配套经费，对项目的实施进行管理和监督，保证研究经费专款专用，"
                      "并督促项目组按时完成研究任务和报送有关材料。", "Body"))
    parts.append(para("单位（公章）：            负责人签字：", "Signature", before=240))
    parts.append(para("年    月    日", "Signature"))
    parts.append(para("十一、项目申请书附件内容说明", "Heading"))
    attachments = ["1．申请人及主要参加人员近五年发表的与本项目有关的代表性论文、著作的目录及首页复印件；",
                   "2．申请人近五年获得的主要科研奖励证书复印件；",
                   "3．与本项目有关的已授权专利证书复印件；",
                   "4．有合作研究单位的，提供双方签署的合作协议，写明分工和经费分配；",
                   "5．其他需要说明的材料。附件材料装订在申请书之后，不另行装订。"]
    parts += [para(a, "Body") for a in attachments]
    parts.append(sect(False, "rIdFooter1"))
    return "".join(parts), [(t1, c1), (t2, c2), (t3, c3), (t4, c4)]


# Document protection: the legacy key of the password, then SHA-512 spun 100000 times.
INITIAL = [0xE1F0, 0x1D0F, 0xCC9C, 0x84C0, 0x110C, 0x0E10, 0xF1CE, 0x313E,
           0x1872, 0xE139, 0xD40F, 0x84F9, 0x280C, 0xA96A, 0x4EC3]


MATRIX = [
    [0xAEFC, 0x4DD9, 0x9BB2, 0x2745, 0x4E8A, 0x9D14, 0x2A09], [0x7B61, 0xF6C2, 0xFDA5, 0xEB6B, 0xC6F7, 0x9DCF, 0x2BBF],
    [0x4563, 0x8AC6, 0x05AD, 0x0B5A, 0x16B4, 0x2D68, 0x5AD0], [0x0375, 0x06EA, 0x0DD4, 0x1BA8, 0x3750, 0x6EA0, 0xDD40],
    [0xD849, 0xA0B3, 0x5147, 0xA28E, 0x553D, 0xAA7A, 0x44D5], [0x6F45, 0xDE8A, 0xAD35, 0x4A4B, 0x9496, 0x390D, 0x721A],
    [0xEB23, 0xC667, 0x9CEF, 0x29FF, 0x53FE, 0xA7FC, 0x5FD9], [0x47D3, 0x8FA6, 0x0F6D, 0x1EDA, 0x3DB4, 0x7B68, 0xF6D0],
    [0xB861, 0x60E3, 0xC1C6, 0x93AD, 0x377B, 0x6EF6, 0xDDEC], [0x45A0, 0x8B40, 0x06A1, 0x0D42, 0x1A84, 0x3508, 0x6A10],
    [0xAA51, 0x4483, 0x8906, 0x022D, 0x045A, 0x08B4, 0x1168], [0x76B4, 0xED68, 0xCAF1, 0x85C3, 0x1BA7, 0x374E, 0x6E9C],
    [0x3730, 0x6E60, 0xDCC0, 0xA9A1, 0x4363, 0x86C6, 0x1DAD], [0x3331, 0x6662, 0xCCC4, 0x89A9, 0x0373, 0x06E6, 0x0DCC],
    [0x1021, 0x2042, 0x4084, 0x8108, 0x1231, 0x2462, 0x48C4]]


def legacy_key(password):
    chars = [(ord(c) & 0xFF) or (ord(c) >> 8) for c in password[:15]]
    n = len(chars)
    high = INITIAL[n - 1]
    for i, ch in enumerate(chars):
        for bit in range(7):
            if ch & (1 << bit):
                high ^= MATRIX[15 - n + i][bit]
    low = 0
    rot = lambda w, b: (((w >> 14) & 1) | ((w << 1) & 0x7FFF)) ^ b
    for ch in reversed(chars):
        low = rot(low, ch)
    low = rot(low, n) ^ 0xCE4B
    key = (high << 16) | low
    return "".join(f"{(key >> (8 * i)) & 0xFF:02X}" for i in range(4))


def protection(password):
    salt = hashlib.sha256(b"vantra blank application document").digest()[:16]
    h = hashlib.sha512(salt + legacy_key(password).encode("utf-16-le")).digest()
    for i in range(100000):
        h = hashlib.sha512(h + struct.pack("<I", i)).digest()
    return ('<w:documentProtection w:edit="forms" w:enforcement="1" w:cryptProviderType="rsaAES" '
            'w:cryptAlgorithmClass="hash" w:cryptAlgorithmType="typeAny" w:cryptAlgorithmSid="14" '
            f'w:cryptSpinCount="100000" w:hash="{base64.b64encode(h).decode()}" w:salt="{base64.b64encode(salt).decode()}"/>')


def main(out, tsv, password):
    out = Path(out)
    text, tables = body()
    check_catalogue(tables, tsv)
    decl = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    files = {
        "[Content_Types].xml": decl + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
        '<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>'
        '<Override PartName="/word/settings.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/>'
        '<Override PartName="/word/fontTable.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml"/>'
        '<Override PartName="/word/footer1.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml"/>'
        '</Types>',
        "_rels/.rels": decl + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>'
        '</Relationships>',
        "word/_rels/document.xml.rels": decl + '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rIdStyles" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>'
        '<Relationship Id="rIdSettings" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings" Target="settings.xml"/>'
        '<Relationship Id="rIdFonts" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/fontTable" Target="fontTable.xml"/>'
        '<Relationship Id="rIdFooter1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer" Target="footer1.xml"/>'
        '</Relationships>',
        "word/document.xml": decl + f'<w:document xmlns:w="{W}" xmlns:r="{R}"><w:body>{text}</w:body></w:document>',
        "word/styles.xml": decl + f'<w:styles xmlns:w="{W}"><w:docDefaults><w:rPrDefault><w:rPr>{SONG}'
        '<w:kern w:val="2"/><w:sz w:val="21"/><w:szCs w:val="21"/><w:lang w:val="en-US" w:eastAsia="zh-CN" w:bidi="ar-SA"/>'
        '</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:widowControl w:val="0"/><w:jc w:val="both"/></w:pPr></w:pPrDefault>'
        # Normal is the table cells' centred text: most paragraphs are cells and need no style.
        '</w:docDefaults><w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/><w:qFormat/>'
        '<w:pPr><w:spacing w:before="0" w:after="0"/><w:jc w:val="center"/></w:pPr></w:style>'
        '<w:style w:type="table" w:default="1" w:styleId="TableNormal"><w:name w:val="Normal Table"/><w:tblPr>'
        '<w:tblInd w:w="0" w:type="dxa"/><w:tblCellMar><w:top w:w="0" w:type="dxa"/><w:left w:w="108" w:type="dxa"/>'
        '<w:bottom w:w="0" w:type="dxa"/><w:right w:w="108" w:type="dxa"/></w:tblCellMar></w:tblPr></w:style>'
        + "".join(style_xml(k, *v) for k, v in STYLES.items()) + '</w:styles>',
        "word/settings.xml": decl + f'<w:settings xmlns:w="{W}">{protection(password)}'
        '<w:defaultTabStop w:val="420"/><w:characterSpacingControl w:val="compressPunctuation"/></w:settings>',
        "word/fontTable.xml": decl + f'<w:fonts xmlns:w="{W}">'
        '<w:font w:name="宋体"><w:altName w:val="SimSun"/><w:charset w:val="86"/><w:family w:val="auto"/><w:pitch w:val="variable"/></w:font>'
        '<w:font w:name="黑体"><w:altName w:val="SimHei"/><w:charset w:val="86"/><w:family w:val="modern"/><w:pitch w:val="fixed"/></w:font>'
        '<w:font w:name="Times New Roman"><w:charset w:val="00"/><w:family w:val="roman"/><w:pitch w:val="variable"/></w:font>'
        '</w:fonts>',
        "word/footer1.xml": decl + f'<w:ftr xmlns:w="{W}"><w:p><w:pPr><w:jc w:val="center"/></w:pPr>'
        '<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> PAGE </w:instrText></w:r>'
        '<w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>1</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r>'
        '</w:p></w:ftr>',
    }
    for name, content in files.items():
        path = out / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(content, encoding="utf-8")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    main(*sys.argv[1:])
