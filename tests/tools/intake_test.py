#!/usr/bin/python3
"""The receiving office's intake end to end: a folder of good, damaged and hostile files into the
register, read back with SQL, the spreadsheet read back with openpyxl, the CSV's first bytes,
a second run, a changed file, an interruption, and a register that is no database.

  intake_test.py QVTOOL
"""
import os
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

import openpyxl

QVTOOL = None
BODY = "本项目研究高校科研项目评审中的智能方法。" * 60  # well over the thousand characters required


def qvtool(*arguments, env=None):
    return subprocess.run([QVTOOL, *arguments], capture_output=True, text=True, env=env)


def filled(path, **values):
    """A new document with a full short form; values replace the standard ones."""
    standard = dict(
        xmmc="基于深度学习的高校科研项目智能评审方法研究", xmlbdm="B", xkdm="520.2040", selffin="是",
        yjxk="计算机科学技术", xm1="张三丰", cddw1="Arvel理工大学", sqrq="2013年 3月", xmlb="面上项目",
        yjlb="基础研究", yjlbdm="A", sqje="10", xk="人工智能", yjqsjm="1", yjzsjy="2015", yjzsjm="12",
        xb="男", csny="1975-06", sfzh1="11010519491231002X", xw="博士", zyjszw1="教授", zyjszwdm1="011",
        jb="正高", jbdm="A", lxdh="0791-8812345", email="zhangsf@arvel.edu.cn", szxy="计算机学院",
        zrs="2", gj="1", zj="1", cj="0", bs="0", ss="0", cjdw="1", xmjj="研究高校科研项目评审中的智能方法。",
        ztc1="深度学习", ztc2="项目评审", ztc3="知识图谱", xm2="李四", sfzh2="110105198001010032",
        zyjszw2="中级", szdw2="Arvel理工大学", xmzfg2="实验")
    standard.update(values)
    assert qvtool("new", path).returncode == 0
    result = qvtool("set", path, *[f"{k}={v}" for k, v in standard.items()])
    assert result.returncode == 0, result.stdout + result.stderr
    # The body: a paragraph before the last section's properties, as a word processor writes it.
    with zipfile.ZipFile(path) as z:
        parts = {i: z.read(i) for i in z.infolist()}
    for info, data in parts.items():
        if info.filename == "word/document.xml":
            text = data.decode("utf-8")
            at = text.rindex("<w:sectPr")
            paragraph = f"<w:p><w:r><w:t>{BODY}</w:t></w:r></w:p>"
            parts[info] = (text[:at] + paragraph + text[at:]).encode("utf-8")
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for info, data in parts.items():
            z.writestr(info, data)


def packed(document, package):
    assert qvtool("pack", document, package).returncode == 0


def bomb(path):
    """A package of one entry whose headers claim 600 MiB from a small stream of zeros."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("bomb.qvx", b"\0" * (1 << 20))
    with open(path, "r+b") as f:
        data = bytearray(f.read())
        central = data.rindex(b"PK\x01\x02")
        data[central + 24:central + 28] = (600 << 20).to_bytes(4, "little")
        f.seek(0)
        f.write(bytes(data))


def listing(folder):
    found = []
    for root, folders, files in os.walk(folder):
        found += [os.path.join(root, f) for f in folders + files]
    return sorted(found)


class Intake(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp()
        self.box = os.path.join(self.work, "box")
        self.tmp = os.path.join(self.work, "tmp")
        os.makedirs(os.path.join(self.box, "sub"))
        os.makedirs(self.tmp)
        self.env = dict(os.environ, TMPDIR=self.tmp, HOME=self.work)
        self.db = os.path.join(self.work, "register.sqlite")

    def tearDown(self):
        shutil.rmtree(self.work)

    def intake(self, *extra):
        return subprocess.run([QVTOOL, "intake", self.box, "--db", self.db, *extra], capture_output=True,
                              text=True, env=self.env)

    def rows(self, sql, *parameters):
        with sqlite3.connect(self.db) as db:
            return db.execute(sql, parameters).fetchall()

    def path(self, name):
        return os.path.join(self.box, name)

    def test_a_folder_of_good_damaged_and_hostile_files(self):
        filled(self.path("zhang.qvx"))
        packed(self.path("zhang.qvx"), self.path("zhang.qvs"))
        shutil.copy(self.path("zhang.qvs"), self.path("sub/again.QVS"))  # the same package twice
        filled(self.path("other.qvx"), xmmc="另一个项目")  # the same applicant, another application
        packed(self.path("other.qvx"), self.path("sub/other.qvs"))
        os.remove(self.path("other.qvx"))
        with open(self.path("zhang.qvs"), "rb") as good, open(self.path("damaged.qvs"), "wb") as damaged:
            data = good.read()
            damaged.write(data[: len(data) // 2])
        with open(self.path("text.qvs"), "w") as text:
            text.write("not a package")
        bomb(self.path("bomb.qvs"))
        os.symlink("/etc/passwd", self.path("link.qvs"))
        os.mkfifo(self.path("pipe.qvx"))
        before = listing(self.box)

        result = self.intake("--xlsx", os.path.join(self.work, "t.xlsx"), "--csv", os.path.join(self.work, "t.csv"))
        self.assertEqual(result.returncode, 1, result.stderr)  # some were refused, all were recorded
        self.assertEqual(listing(self.box), before)  # nothing written among the files
        self.assertEqual(os.listdir(self.tmp), [])  # the unpacked documents went with the run

        status = dict(self.rows("SELECT path, status FROM applications"))
        self.assertEqual(len(status), 9)
        taken = {p for p, s in status.items() if s == "ok"}
        self.assertEqual(taken, {self.path(n) for n in ("zhang.qvx", "zhang.qvs", "sub/again.QVS", "sub/other.qvs")})
        messages = dict(self.rows("SELECT path, message FROM applications"))
        self.assertEqual(messages[self.path("zhang.qvs")], "检查通过")
        self.assertIn("符号链接", messages[self.path("link.qvs")])
        self.assertIn("不是普通文件", messages[self.path("pipe.qvx")])
        for refused in ("damaged.qvs", "text.qvs", "bomb.qvs"):
            self.assertTrue(messages[self.path(refused)], refused)

        row = self.rows("SELECT kind, entry, applicant, id_number, category, discipline, unit, title, amount, start,"
                        " \"end\", members, body_chars FROM applications WHERE path = ?", self.path("zhang.qvs"))[0]
        self.assertEqual(row, ("package", "zhang.qvx", "张三丰", "11010519491231002X", "面上项目", "人工智能",
                               "Arvel理工大学", "基于深度学习的高校科研项目智能评审方法研究", "10", "2013-01",
                               "2015-12", 1, len(BODY)))
        shared = self.rows("SELECT COUNT(*), COUNT(DISTINCT path) FROM applications WHERE sha256 <> ''"
                           " GROUP BY sha256 HAVING COUNT(*) > 1")
        self.assertEqual(shared, [(2, 2)])  # the two copies, both listed, one hash
        # The document and its package are one application; the other one is flagged with them.
        flagged = {p for (p,) in self.rows("SELECT path FROM duplicates")}
        self.assertEqual(flagged, taken)
        self.assertEqual(self.rows("SELECT COUNT(*) FROM duplicates WHERE path = ?", self.path("sub/other.qvs")), [(1,)])

        book = openpyxl.load_workbook(os.path.join(self.work, "t.xlsx"))
        self.assertEqual(book.sheetnames, ["已接收", "未接收"])
        accepted, refused = book["已接收"], book["未接收"]
        self.assertEqual(accepted.freeze_panes, "A2")
        self.assertEqual([c.value for c in accepted[1]][:6], ["文件", "类型", "文档名", "检查结果", "申请人", "身份证号"])
        self.assertEqual((accepted.max_row, refused.max_row), (5, 6))
        self.assertGreater(accepted.column_dimensions["L"].width, 30)  # the project's name fits
        self.assertIn("原因", [c.value for c in refused[1]])
        with open(os.path.join(self.work, "t.csv"), "rb") as table:
            csv = table.read()
        self.assertTrue(csv.startswith("\ufeff文件,类型,文档名,状态".encode("utf-8")))
        self.assertEqual(csv.count(b"\r\n"), 10)

        # Again: nothing is read again and no row is added, only the sightings change.
        first = dict(self.rows("SELECT path, first_seen FROM applications"))
        result = self.intake()
        self.assertEqual(result.returncode, 1)
        self.assertEqual(dict(self.rows("SELECT path, first_seen FROM applications")), first)
        self.assertIn("7 个已登记且未改动", result.stdout)

        # A changed file gets a row of its own; the old one stays.
        self.assertEqual(qvtool("set", self.path("zhang.qvx"), "xmmc=改过的项目名称").returncode, 0)
        self.intake()
        titles = {t for (t,) in self.rows("SELECT title FROM applications WHERE path = ?", self.path("zhang.qvx"))}
        self.assertEqual(titles, {"基于深度学习的高校科研项目智能评审方法研究", "改过的项目名称"})

    def test_what_spreadsheet_programs_make_of_the_tables(self):
        # Digits a spreadsheet would take for a number, a code with a trailing zero, a title that
        # would run as a formula.
        weights = [7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2]
        first17 = next(f"3601021961021101{n}" for n in range(10)
                       if "10X98765432"[sum(int(c) * w for c, w in zip(f"3601021961021101{n}", weights)) % 11] != "X")
        digits = first17 + "10X98765432"[sum(int(c) * w for c, w in zip(first17, weights)) % 11]
        filled(self.path("a.qvx"), sfzh1=digits, xkdm="520.2040", xmmc="=1+1 异构数据融合")
        csv_path, xlsx_path = os.path.join(self.work, "t.csv"), os.path.join(self.work, "t.xlsx")
        self.assertEqual(self.intake("--csv", csv_path, "--xlsx", xlsx_path).returncode, 0)
        register = self.rows("SELECT id_number, discipline_code, title, start FROM applications")[0]
        self.assertEqual(register[:2], (digits, "520.2040"))

        # LibreOffice Calc opens the CSV as its import offers (UTF-8, formulas evaluated).
        if not shutil.which("soffice"):
            if os.environ.get("VANTRA_REQUIRE_SERVERS"):
                self.fail("LibreOffice is not installed")
            self.skipTest("LibreOffice is not installed")
        office = os.path.join(self.work, "office")
        os.makedirs(office)
        options = "44,34,76,1,,0,false,false,false,false,false,-1,true,false,false,false,false,false"
        subprocess.run(["soffice", f"-env:UserInstallation=file://{office}/profile", "--headless",
                        f"--infilter=CSV:{options}", "--convert-to", "xlsx", "--outdir", office, csv_path],
                       capture_output=True, timeout=120, env=self.env)
        opened = openpyxl.load_workbook(os.path.join(office, "t.xlsx"), data_only=True).active
        header = [c.value for c in opened[1]]
        values = dict(zip(header, [c.value for c in opened[2]]))
        self.assertEqual(values["身份证号"], digits)
        self.assertEqual(values["学科代码"], "520.2040")
        self.assertEqual(values["项目名称"], "=1+1 异构数据融合")  # as it is: no guard shown, nothing run
        self.assertEqual(values["起始时间"], register[3])

        # The program's own XLSX: the times as dates, printed landscape one page wide with the header.
        book = openpyxl.load_workbook(xlsx_path)
        sheet = book["已接收"]
        cells = {c.value: i for i, c in enumerate(sheet[1])}
        self.assertIsInstance(sheet.cell(2, cells["首次登记"] + 1).value, __import__("datetime").datetime)
        self.assertEqual(sheet.cell(2, cells["身份证号"] + 1).value, digits)
        self.assertEqual(sheet.page_setup.orientation, "landscape")
        self.assertTrue(sheet.sheet_properties.pageSetUpPr.fitToPage)
        self.assertIn(sheet.page_setup.fitToWidth, (None, 1))  # one page wide (1 is the default)
        self.assertEqual(sheet.page_setup.fitToHeight, 0)        # as many pages down as it takes
        self.assertEqual(sheet.print_title_rows.replace("$", ""), "1:1")

    def test_every_problem_with_all(self):
        assert qvtool("new", self.path("blank.qvx")).returncode == 0
        result = self.intake("--all")
        self.assertEqual(result.returncode, 0)  # a blank application is taken, with its problems
        message = self.rows("SELECT message FROM applications")[0][0]
        self.assertIn("正文：正文字数少于一千!", message)
        self.assertIn("项目名称：请输入项目名称", message)
        self.assertGreater(message.count("\n"), 20)

    def test_an_interruption_is_no_verdict_and_writes_nothing_aside(self):
        filled(self.path("zhang.qvx"))
        packed(self.path("zhang.qvx"), self.path("zhang.qvs"))
        os.remove(self.path("zhang.qvx"))
        for n in range(400):  # names of one file: quick to make, each read on its own
            os.link(self.path("zhang.qvs"), self.path(f"sub/{n}.qvs"))
        run = subprocess.Popen([QVTOOL, "intake", self.box, "--db", self.db], env=self.env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        # Interrupted once the first rows are in the register and while others are being read.
        deadline = time.monotonic() + 60
        while self.count_rows() < 100:
            self.assertLess(time.monotonic(), deadline, "nothing was registered")
            self.assertIsNone(run.poll(), "the run ended before it could be interrupted")
        run.send_signal(signal.SIGINT)
        self.assertEqual(run.wait(timeout=60), 130)
        self.assertIn("已中断", run.stderr.read())
        run.stderr.close()
        self.assertEqual(os.listdir(self.tmp), [])  # no applicant's document was ever written out
        self.assertEqual(self.rows("SELECT count(*) FROM applications WHERE status <> 'ok'"), [(0,)])
        # The rerun reads what the interruption left, and takes every package.
        result = self.intake()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(self.rows("SELECT count(*), sum(status = 'ok') FROM applications"), [(401, 401)])
        with sqlite3.connect(self.db) as db:
            self.assertEqual(db.execute("PRAGMA integrity_check").fetchone(), ("ok",))

    def test_a_second_clerk_waits_for_the_register_and_loses_nothing(self):
        for name in ("zhang", "li", "wang"):
            filled(self.path(f"{name}.qvx"), xm1=name)
        self.assertEqual(self.intake().returncode, 0)
        for name in ("zhao", "qian"):
            filled(self.path(f"sub/{name}.qvx"), xm1=name)
        # Another clerk's run holds the register; this one waits for it, says so, and writes all.
        holder = sqlite3.connect(self.db, isolation_level=None)
        holder.execute("BEGIN IMMEDIATE")
        run = subprocess.Popen([QVTOOL, "intake", self.box, "--db", self.db, "--csv", os.path.join(self.work, "t.csv")],
                               env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.assertIn("正被另一次接收写入", run.stderr.readline())
        holder.execute("COMMIT")
        holder.close()
        self.assertEqual(run.wait(timeout=60), 0, run.stderr.read())
        run.stderr.close()
        self.assertEqual(self.rows("SELECT count(*), sum(status = 'ok') FROM applications"), [(5, 5)])
        self.assertTrue(os.path.exists(os.path.join(self.work, "t.csv")))

    def test_two_clerks_start_on_a_new_register_at_once(self):
        filled(self.path("zhang.qvx"))
        packed(self.path("zhang.qvx"), self.path("zhang.qvs"))
        os.remove(self.path("zhang.qvx"))
        for clerk in ("a", "b"):
            os.makedirs(os.path.join(self.work, clerk))
            for n in range(100):
                os.link(self.path("zhang.qvs"), os.path.join(self.work, clerk, f"{n}.qvs"))
        runs = [subprocess.Popen([QVTOOL, "intake", os.path.join(self.work, clerk), "--db", self.db], env=self.env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True) for clerk in ("a", "b")]
        for run in runs:
            self.assertEqual(run.wait(timeout=120), 0, run.stderr.read())
            run.stderr.close()
        self.assertEqual(self.rows("SELECT count(*), sum(status = 'ok') FROM applications"), [(200, 200)])

    def count_rows(self):
        try:
            return self.rows("SELECT count(*) FROM applications")[0][0]
        except sqlite3.Error:
            return 0

    def test_a_register_that_is_no_database_is_left_as_it_is(self):
        with open(self.db, "w") as notes:
            notes.write("the office's notes, not a database")
        assert qvtool("new", self.path("blank.qvx")).returncode == 0
        result = self.intake()
        self.assertEqual(result.returncode, 1)
        self.assertIn("登记册", result.stderr)
        with open(self.db) as notes:
            self.assertEqual(notes.read(), "the office's notes, not a database")

    @unittest.skipUnless(shutil.which("soffice"), "the Word 97 documents are made by LibreOffice")
    def test_the_windows_editions_documents_and_packages(self):
        filled(self.path("new.qvx"))
        subprocess.run(["soffice", f"-env:UserInstallation=file://{self.work}/lo", "--headless", "--convert-to",
                        "doc:MS Word 97", "--outdir", self.work, self.path("new.qvx")], capture_output=True, check=True)
        shutil.move(os.path.join(self.work, "new.doc"), self.path("张三.qvx"))
        packed(self.path("张三.qvx"), self.path("张三.qvs"))  # as the Windows edition packed it
        result = self.intake()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        rows = self.rows("SELECT path, kind, status, format, message, applicant, body_chars FROM applications ORDER BY path")
        formats = {os.path.basename(path): (kind, status, fmt) for path, kind, status, fmt, *_ in rows}
        self.assertEqual(formats, {"new.qvx": ("document", "ok", "ooxml"), "张三.qvx": ("document", "ok", "word97"),
                                   "张三.qvs": ("package", "ok", "word97")})
        self.assertEqual({r[4:] for r in rows}, {("检查通过", "张三丰", rows[0][6])})  # judged alike

    def test_a_folder_without_a_package_says_so(self):
        # As an old unpacker saves attachments: mangled names, no .qvs among them.
        for name in ("ATT00001.dat", "=_UTF-8_B_55Sz6K-35Lmm.qvs_=", "申请书.doc"):
            with open(os.path.join(self.box, name), "wb") as f:
                f.write(b"x")
        result = self.intake()
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
        self.assertIn("没有找到上报文件（.qvs）或申请书（.qvx）", result.stderr)
        for name in ("ATT00001.dat", "申请书.doc"):
            self.assertIn(name, result.stderr)

    def test_bad_usage(self):
        self.assertEqual(qvtool("intake", self.box).returncode, 2)  # no register
        self.assertEqual(qvtool("intake", "--db", self.db).returncode, 2)  # no folder
        self.assertEqual(qvtool("intake", self.box, "--db", self.db, "--frobnicate").returncode, 2)


if __name__ == "__main__":
    QVTOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=1)
