#!/usr/bin/python3
"""The receiving office's intake from its mailbox, against real servers started here on loopback:
Dovecot (IMAP), PostgreSQL (the register several clerks share) and the SMTP server of the mail
tests (the receipts). Messages as mail programs write them: names in RFC 2231 and RFC 2047 form,
in GB 18030, two attachments, a forwarded message, none, a damaged package, one too large.

  mail_intake_test.py QVTOOL
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
from email import policy
from email.message import EmailMessage
from email.parser import BytesParser
from pathlib import Path

import intake_test
import servers

QVTOOL = None
SERVERS = {}  # started once for the module
WHY_NOT = {}


def setUpModule():
    SERVERS["folder"] = tempfile.mkdtemp()
    os.chmod(SERVERS["folder"], 0o755)  # the servers' own users pass through it to their files
    for name, make in (("imap", lambda f: servers.Dovecot(f)), ("pg", lambda f: servers.Postgres(f)),
                       ("smtp", lambda f: servers.Smtp(f, auth="office:smtppw"))):
        folder = os.path.join(SERVERS["folder"], name)
        os.makedirs(folder)
        try:
            SERVERS[name] = make(folder)
        except servers.CannotStart as why:
            # The set-up of the tests installs every server: there, one that does not start fails.
            if os.environ.get("VANTRA_REQUIRE_SERVERS"):
                raise
            WHY_NOT[name] = str(why)
            print(f"SKIPPED: {why}", file=sys.stderr)


def tearDownModule():
    for name in ("imap", "pg", "smtp"):
        if name in SERVERS:
            SERVERS[name].stop()
    shutil.rmtree(SERVERS["folder"], ignore_errors=True)


def need(*names):
    for name in names:
        if name not in SERVERS:
            raise unittest.SkipTest(WHY_NOT.get(name, name))


def message(subject, attachments=(), sender="张三 <zhang@arvel.edu.cn>", reply_to=None, message_id=None):
    m = EmailMessage()
    m["From"] = sender
    m["To"] = "office@arvel.edu.cn"
    m["Subject"] = subject
    if reply_to:
        m["Reply-To"] = reply_to
    m["Message-ID"] = message_id or f"<{time.monotonic_ns()}@arvel.edu.cn>"
    m["Date"] = "Thu, 10 Dec 2026 09:30:00 +0800"
    m.set_content("请查收附件。")
    for name, data in attachments:
        m.add_attachment(data, maintype="application", subtype="octet-stream", filename=name)
    return m


class MailIntake(unittest.TestCase):
    def setUp(self):
        need("imap")
        self.imap = SERVERS["imap"]
        self.work = tempfile.mkdtemp()
        self.env = dict(os.environ, HOME=self.work, TMPDIR=self.work)
        self.mailbox = "T" + str(time.monotonic_ns())  # each test its own mailbox
        for sub in ("new", "cur", "tmp"):
            (self.imap.maildir / f".{self.mailbox}" / sub).mkdir(parents=True)
        self.imap.own(self.imap.maildir)
        self.password = os.path.join(self.work, "password")
        with open(self.password, "w") as f:
            f.write(self.imap.password + "\n")
        os.chmod(self.password, 0o600)
        # The office trusts the servers' certificates made for the run.
        self.ca = os.path.join(self.work, "ca.pem")
        with open(self.ca, "wb") as f:
            f.write(Path(self.imap.cert).read_bytes())
            if "smtp" in SERVERS and SERVERS["smtp"].cert.exists():
                f.write(SERVERS["smtp"].cert.read_bytes())
        self.db = os.path.join(self.work, "register.sqlite")
        self.count = 0

    def tearDown(self):
        shutil.rmtree(self.work)

    def deliver(self, m):
        self.count += 1
        data = m if isinstance(m, bytes) else m.as_bytes(policy=policy.SMTP)
        path = self.imap.maildir / f".{self.mailbox}" / "new" / f"{time.time_ns()}.{self.count}.test"
        path.write_bytes(data)
        self.imap.own(self.imap.maildir)

    def package(self, name, **values):
        doc = os.path.join(self.work, "doc.qvx")
        intake_test.filled(doc, **values)
        pkg = os.path.join(self.work, name)
        assert intake_test.qvtool("pack", doc, pkg).returncode == 0
        os.remove(doc)
        return Path(pkg).read_bytes()

    def intake(self, *extra, db=None, url=None, password=None, wait=True):
        arguments = [QVTOOL, "intake", "--imap", url or self.imap.url(mailbox=self.mailbox), "--password-file",
                     password or self.password, "--cacert", self.ca, "--db", db or self.db, *extra]
        if not wait:
            return subprocess.Popen(arguments, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        return subprocess.run(arguments, capture_output=True, text=True, env=self.env)

    def rows(self, sql, *parameters):
        with sqlite3.connect(self.db) as db:
            return db.execute(sql, parameters).fetchall()

    def flags(self):
        folder = self.imap.maildir / f".{self.mailbox}"
        return [p.name.partition(":2,")[2] for sub in ("new", "cur") for p in (folder / sub).iterdir()]

    def test_what_mail_programs_send(self):
        good = self.package("p.qvs")
        self.package("x.qvs")  # the same document, another package: make sure names differ
        # The name in RFC 2231 (Python's form for a non-ASCII name) …
        self.deliver(message("申请书上报", [("张三面上项目.qvs", good)]))
        # … in RFC 2047 inside quotes in GB 18030, as Chinese mail programs write it …
        raw = message("GB18030", [("NAME.qvs", good)], message_id="<gb@arvel>").as_bytes(policy=policy.SMTP)
        gb = "=?GB18030?B?" + __import__("base64").b64encode("李四面上项目.qvs".encode("gb18030")).decode() + "?="
        raw = raw.replace(b'filename="NAME.qvs"', f'filename="{gb}"'.encode())
        self.deliver(raw)
        # … two attachments in one message, a forwarded message, none, a damaged package.
        self.deliver(message("两份", [("a.qvs", good), ("B.QVX", b"not a document")]))
        inner = message("原件", [("转发的.qvs", good)], sender="王五 <wang@arvel.edu.cn>")
        forward = message("转发")
        forward.add_attachment(inner)
        self.deliver(forward)
        self.deliver(message("没有附件"))
        self.deliver(message("坏了", [("坏的.qvs", good[: len(good) // 2])]))
        result = self.intake("--csv", os.path.join(self.work, "t.csv"))
        self.assertEqual(result.returncode, 1, result.stdout + result.stderr)  # some were refused
        rows = self.rows("SELECT attachment, status, message, source, mail_from, mail_subject, uid FROM applications"
                         " ORDER BY uid, attachment")
        by_name = {r[0]: r for r in rows}
        self.assertEqual(by_name["张三面上项目.qvs"][1:2], ("ok",))
        self.assertEqual(by_name["李四面上项目.qvs"][1], "ok")
        self.assertEqual(by_name["a.qvs"][1], "ok")
        self.assertEqual(by_name["B.QVX"][1], "refused")
        self.assertEqual(by_name["转发的.qvs"][1], "ok")
        self.assertIn("上报文件已损坏", by_name["坏的.qvs"][2])
        self.assertEqual(by_name[""][2], "邮件中没有上报文件")
        self.assertEqual(by_name["张三面上项目.qvs"][3:6], ("mail", "张三 <zhang@arvel.edu.cn>", "申请书上报"))
        self.assertEqual(len(rows), 7)
        # Nothing was marked read or moved.
        self.assertEqual(self.flags().count(""), 6)
        self.assertTrue(all("S" not in f for f in self.flags()))
        with open(os.path.join(self.work, "t.csv"), encoding="utf-8-sig") as table:
            header = table.readline()
        for column in ("发件人", "邮件主题", "附件名"):
            self.assertIn(column, header)
        # A second run fetches nothing and records nothing twice.
        again = self.intake()
        self.assertEqual(again.returncode, 0, again.stdout + again.stderr)
        self.assertEqual(self.rows("SELECT count(*) FROM applications"), [(7,)])

    def test_bounds_and_refusals(self):
        big = os.urandom(3 * 1024 * 1024)
        self.deliver(message("太大", [("大.qvs", big)]))
        many = message("很多部分")
        for n in range(600):
            many.add_attachment(b"x", maintype="text", subtype="plain", filename=f"{n}.txt")
        self.deliver(many)
        result = self.intake("--max-message-mb", "2")
        self.assertEqual(result.returncode, 1, result.stderr)
        messages = sorted(m for (m,) in self.rows("SELECT message FROM applications"))
        self.assertTrue(any(m.startswith("邮件过大") for m in messages), messages)
        self.assertTrue(any("部分过多" in m for m in messages), messages)

        # Refused before anything is written: a wrong password, an untrusted certificate, no
        # such mailbox, no server, a password file others may read.
        os.remove(self.db)
        wrong = os.path.join(self.work, "wrong")
        with open(wrong, "w") as f:
            f.write("nope")
        os.chmod(wrong, 0o600)
        cases = [({"password": wrong}, "拒绝"), ({"url": self.imap.url(mailbox="NoSuchBox")}, "没有邮件夹"),
                 ({"url": "imaps://clerk@127.0.0.1:1/INBOX"}, "连接被拒绝")]
        for options, said in cases:
            failed = self.intake(**options)
            self.assertEqual(failed.returncode, 1, failed.stderr)
            self.assertIn(said, failed.stderr)
            self.assertFalse(os.path.exists(self.db))
        untrusted = subprocess.run([QVTOOL, "intake", "--imap", self.imap.url(mailbox=self.mailbox), "--password-file",
                                    self.password, "--db", self.db], capture_output=True, text=True, env=self.env)
        self.assertEqual(untrusted.returncode, 1)
        self.assertIn("证书不受信任", untrusted.stderr)
        os.chmod(self.password, 0o644)
        loose = self.intake()
        self.assertEqual(loose.returncode, 1)
        self.assertIn("chmod 600", loose.stderr)
        self.assertFalse(os.path.exists(self.db))

    def test_mark_seen_only_when_asked(self):
        self.deliver(message("一", [("一.qvs", self.package("1.qvs"))]))
        self.assertEqual(self.intake().returncode, 0)
        self.assertTrue(all("S" not in f for f in self.flags()))
        os.remove(self.db)
        self.assertEqual(self.intake("--mark-seen").returncode, 0)
        self.assertTrue(all("S" in f for f in self.flags()), self.flags())

    def test_a_mailbox_larger_than_one_answer_and_since(self):
        # More messages than one listing answer holds, a count no range divides, some older than
        # --since by the date the server received them.
        old = time.mktime((2025, 6, 1, 12, 0, 0, 0, 0, -1))
        for n in range(457):
            self.deliver(message(f"第{n}封"))
            if n % 10 == 0:
                newest = max((self.imap.maildir / f".{self.mailbox}" / "new").iterdir(), key=lambda p: p.name)
                os.utime(newest, (old, old))
        recent = self.intake("--since", "2026-01-01")
        self.assertEqual(recent.returncode, 1, recent.stdout + recent.stderr)  # every message is one without a package
        self.assertEqual(self.rows("SELECT count(*) FROM applications"), [(457 - 46,)], recent.stdout + recent.stderr)
        everything = self.intake("--mark-seen")
        self.assertEqual(everything.returncode, 1, everything.stderr)
        self.assertEqual(self.rows("SELECT count(DISTINCT uid) FROM applications"), [(457,)])
        self.assertEqual(sorted(set(self.flags())), ["", "S"])  # only what this run took is marked
        self.assertEqual(self.flags().count("S"), 46)

    def test_receipts_once_each(self):
        need("smtp")
        smtp = SERVERS["smtp"]
        before = len(smtp.messages())
        good = self.package("p.qvs")
        self.deliver(message("上报", [("张三.qvs", good)], reply_to="reply@arvel.edu.cn"))
        self.deliver(message("空的"))
        spw = os.path.join(self.work, "smtp-password")
        with open(spw, "w") as f:
            f.write("smtppw")
        os.chmod(spw, 0o600)
        receipts = ["--receipts", "--smtp", f"smtp://office@127.0.0.1:{smtp.port}", "--from", "office@arvel.edu.cn",
                    "--smtp-password-file", spw]
        result = self.intake(*receipts)
        self.assertEqual(result.returncode, 1, result.stderr)
        sent = smtp.messages()[before:]
        self.assertEqual(len(sent), 2, result.stderr)
        parsed = [BytesParser(policy=policy.default).parsebytes(p.read_bytes()) for p in sent]
        to = sorted(m["To"].addresses[0].addr_spec for m in parsed)
        self.assertEqual(to, ["reply@arvel.edu.cn", "zhang@arvel.edu.cn"])
        texts = "".join(m.get_body(("plain",)).get_content() for m in parsed)
        self.assertIn("上报文件：张三.qvs", texts)
        self.assertIn("SHA-256：", texts)
        self.assertIn("检查结果：检查通过", texts)
        self.assertIn("邮件中没有上报文件", texts)
        self.assertTrue(all(str(m["Subject"]).startswith("申请书已收到") for m in parsed))
        self.assertEqual(self.rows("SELECT count(*) FROM applications WHERE receipt_sent = ''"), [(0,)])
        # Never twice.
        self.assertEqual(self.intake(*receipts).returncode, 0)
        self.assertEqual(len(smtp.messages()), before + 2)


class SharedRegister(unittest.TestCase):
    def setUp(self):
        need("imap", "pg")
        self.pg = SERVERS["pg"]
        self.case = MailIntake("test_what_mail_programs_send")
        self.case.setUp()
        self.mailbox = self.case.mailbox

    def tearDown(self):
        self.case.tearDown()

    def rows(self, sql):
        return self.pg.query(sql)

    def test_two_clerks_at_once_and_a_killed_run(self):
        good = self.case.package("p.qvs")
        for n in range(30):
            self.case.deliver(message(f"第{n}份", [(f"{n}.qvs", good)]))
        uri = self.pg.uri()
        where = f"mailbox LIKE '%/{self.mailbox}'"
        runs = [self.case.intake(db=uri, wait=False) for _ in range(2)]
        for run in runs:
            out, err = run.communicate(timeout=300)
            self.assertIn(run.returncode, (0, 1), err)
        counts = self.rows(f"SELECT count(*), count(DISTINCT uid) FROM applications WHERE {where}")
        self.assertEqual(counts, [["30", "30"]])
        # A run killed midway leaves whole batches; the rerun takes the rest once.
        for n in range(30, 60):
            self.case.deliver(message(f"第{n}份", [(f"{n}.qvs", good)]))
        killed = self.case.intake(db=uri, wait=False)
        deadline = time.monotonic() + 60
        while int(self.rows(f"SELECT count(*) FROM applications WHERE {where}")[0][0]) == 30:
            self.assertLess(time.monotonic(), deadline)
            if killed.poll() is not None:
                break
        killed.send_signal(signal.SIGKILL)
        killed.wait()
        rerun = self.case.intake(db=uri)
        self.assertIn(rerun.returncode, (0, 1), rerun.stderr)
        counts = self.rows(f"SELECT count(*), count(DISTINCT uid), sum(CASE WHEN status = 'ok' THEN 1 ELSE 0 END)"
                           f" FROM applications WHERE {where}")
        self.assertEqual(counts, [["60", "60", "60"]])
        self.assertEqual(self.rows("SELECT value FROM register_info WHERE key = 'schema_version'"), [["2"]])

    def test_an_sqlite_register_moves_into_postgresql(self):
        good = self.case.package("p.qvs")
        self.case.deliver(message("一份", [("一.qvs", good)]))
        self.assertEqual(self.case.intake().returncode, 0)
        moved = subprocess.run([QVTOOL, "intake", "--db", self.pg.uri(), "--import", self.case.db],
                               capture_output=True, text=True, env=self.case.env)
        self.assertEqual(moved.returncode, 0, moved.stderr)
        self.assertIn("移入 1 行", moved.stdout)
        where = f"mailbox LIKE '%/{self.mailbox}'"
        self.assertEqual(self.rows(f"SELECT attachment, status FROM applications WHERE {where}"), [["一.qvs", "ok"]])
        # Moved twice, nothing is there twice; and a later run from the mailbox adds nothing.
        again = subprocess.run([QVTOOL, "intake", "--db", self.pg.uri(), "--import", self.case.db],
                               capture_output=True, text=True, env=self.case.env)
        self.assertIn("移入 0 行", again.stdout)
        self.assertEqual(self.case.intake(db=self.pg.uri()).returncode, 0)
        self.assertEqual(self.rows(f"SELECT count(*) FROM applications WHERE {where}"), [["1"]])


if __name__ == "__main__":
    QVTOOL = os.path.abspath(sys.argv.pop(1))
    intake_test.QVTOOL = QVTOOL
    unittest.main(verbosity=1)
