#!/usr/bin/python3
"""The application document as reviewers see it: the blank and a fully filled document (every
field at its longest plausible value, nine members) are rendered to PDF by LibreOffice, and the
PDF's text shows that every value stands unbroken on one line, that the short form takes its
three pages and that the body text starts on a page of its own.

  render_check.py QVTOOL [KEEP_FOLDER]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

qvtool = os.path.abspath(sys.argv[1])
keep = sys.argv[2] if len(sys.argv) > 2 else None
work = tempfile.mkdtemp()

# Longest plausible values: a field's limit where a value can reach it (project name, topics,
# divisions of work), real-world lengths where the limit is far beyond any (units: 250 bytes).
def IdNumber(first17):
    """An identity number with its check character, as the short form accepts it."""
    weights = [7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2]
    return first17 + "10X98765432"[sum(int(c) * w for c, w in zip(first17, weights)) % 11]


VALUES = {
    "xmlbdm": "B", "xkdm": "520.2040", "selffin": "是", "yjxk": "计算机科学技术",
    "xmmc": "面向科研项目评审异构数据智能融合方法研究",  # 40 bytes: the cover's FitLength
    "xm1": "欧阳修文", "cddw1": "Arvel中医药大学附属第一医院", "sqrq": "2013年12月",
    "xmlb": "面上项目", "xwdm": "A", "yjlb": "应用基础", "zyjszwdm1": "262", "jb": "副高", "jbdm": "B",
    "yjlbdm": "B", "sqje": "100.50", "xldm": "新一代信息技术与人工智能在高等教育治理和科研管理中的融合应用",
    "xk": "计算机科学技术其他学科及交叉学科研究", "yjqsjm": "12", "yjzsjy": "2016", "yjzsjm": "12",
    "xb": "女", "csny": "1988-02", "sfzh1": "44030419880229008X", "xw": "博士", "xl": "2015年12月",
    "zyjszw1": "助理技术编辑", "cz": "省高校中青年学科带头人及骨干教师培养计划第二批入选者",
    "lxdh": "0791-88123456-12345", "email": "ouyang.jianguohua.chemistry@mail.arvel-edu.edu.cn1"[:50],
    "mz": "省高校智能计算与大数据分析重点实验室", "szxy": "信息工程与计算机科学技术学院及软件学院",
    "cddw2": "Arvel师范大学化学与材料科学学院", "cddw3": "Arvel农业大学动物科技学院",
    "zrs": "10", "gj": "4", "zj": "3", "cj": "1", "bs": "1", "ss": "1", "cjdw": "3",
    "xmjj": "本项目研究高校科研项目评审中的智能方法。" * 9,
    "ztc1": "多源异构数据融合与可信评估方法", "ztc2": "高校科研项目管理与智能评审", "ztc3": "知识图谱构建与表示学习方法",
}
# Members with five-character names, twelve-character units and ten-character divisions of work:
# longer than their cells, so narrowed to stay on one line.
for k in range(2, 11):
    VALUES.update({f"xm{k}": "欧阳建国华", f"zyjszw{k}": "博士后", f"sfzh{k}": IdNumber(f"32010219850101{k:02d}1"),
                   f"szdw{k}": "东北师范大学化学化工学院", f"xmzfg{k}": "样品制备与结构表征"[:8] + "分析"})
assert len(VALUES["email"]) == 50 and len(VALUES["szdw2"]) == 12 and len(VALUES["xmzfg2"]) == 10
ONE_LINE = [k for k in VALUES if k not in ("xmjj", "selffin", "xb")]


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def render(document):
    profile = "file://" + os.path.join(work, "profile")
    run("soffice", f"-env:UserInstallation={profile}", "--headless", "--convert-to", "pdf",
        "--outdir", work, document)
    pdf = os.path.splitext(document)[0] + ".pdf"
    if keep:
        shutil.copy(pdf, keep)
    return run("pdftotext", "-layout", pdf, "-").split("\f")


def squeeze(text):
    return re.sub(r"\s+", "", text)


failures = []
blank, filled = os.path.join(work, "blank.qvx"), os.path.join(work, "filled.qvx")
run(qvtool, "new", blank)
shutil.copy(blank, filled)
run(qvtool, "set", filled, *[f"{k}={v}" for k, v in VALUES.items()])

for name, document in (("blank", blank), ("filled", filled)):
    pages = render(document)
    if len(pages) < 4:
        failures.append(f"{name}: {len(pages)} pages")
        continue
    if "项目申请书" not in squeeze(pages[0]):
        failures.append(f"{name}: page 1 is not the cover")
    if "填表说明" not in squeeze(pages[1]):
        failures.append(f"{name}: page 2 holds no filling instructions")
    third = squeeze(pages[2])
    if "一、项目基本信息" not in third or "主题词" not in third:
        failures.append(f"{name}: the basic-information table is not on page 3 alone")
    if "立项依据" in third or not squeeze(pages[3]).startswith("二、立项依据"):
        failures.append(f"{name}: the body text does not start on page 4")
    if name == "filled":
        lines = [squeeze(line) for page in pages[:3] for line in page.splitlines()]
        for key in ONE_LINE:
            value = squeeze(VALUES[key])
            if not any(value in line for line in lines):
                failures.append(f"filled: {key} = {VALUES[key]} is not on one line")

shutil.rmtree(work, ignore_errors=True)
if failures:
    print("\n".join(failures))
    sys.exit(1)
print("rendered: blank and filled documents laid out as designed")
