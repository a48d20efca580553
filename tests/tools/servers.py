"""Real servers for the office's tests, started on loopback ports with a configuration made in a
temporary folder, and stopped at the end: Dovecot for IMAP (Debian's dovecot-imapd), PostgreSQL
(initdb and pg_ctl, as an unprivileged user), and the loopback SMTP server of the mail tests.
Each class says why when it cannot start, so that a test can skip with that line.
"""
import glob
import os
import pwd
import shutil
import signal
import socket
import subprocess
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
SMTP_SERVER = HERE.parent / "submit" / "smtp_server.py"
# The system's Python: the test servers' libraries come from Debian's packages.
PYTHON = "/usr/bin/python3"


class CannotStart(Exception):
    pass


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_port(port, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def unprivileged():
    """The user a server runs as: this one, or nobody when this one is root."""
    if os.getuid() != 0:
        return os.getuid(), os.getgid(), []
    nobody = pwd.getpwnam("nobody")
    return nobody.pw_uid, nobody.pw_gid, ["setpriv", f"--reuid={nobody.pw_uid}", f"--regid={nobody.pw_gid}",
                                          "--clear-groups"]


def certificate(folder, name="server"):
    """A self-signed certificate for 127.0.0.1 and localhost: (cert, key)."""
    cert, key = Path(folder) / f"{name}.pem", Path(folder) / f"{name}.key"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=localhost",
                    "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1", "-keyout", str(key), "-out", str(cert)],
                   check=True, capture_output=True)
    return cert, key


class Dovecot:
    """An IMAP server with one passwd-file user and its Maildir."""

    def __init__(self, folder, user="clerk", password="secret"):
        if not shutil.which("dovecot") and not os.path.exists("/usr/sbin/dovecot"):
            raise CannotStart("Dovecot is not installed (Debian package dovecot-imapd)")
        self.folder = Path(folder)
        self.user, self.password = user, password
        self.imap_port, self.imaps_port = free_port(), free_port()
        self.cert, key = certificate(self.folder, "imap")
        self.maildir = self.folder / "home" / user / "Maildir"
        for sub in ("new", "cur", "tmp"):
            (self.maildir / sub).mkdir(parents=True, exist_ok=True)
        uid, gid, _ = unprivileged()
        root = os.getuid() == 0
        me = pwd.getpwuid(os.getuid()).pw_name
        (self.folder / "passwd").write_text(f"{user}:{{PLAIN}}{password}::::::\n")
        (self.folder / "dovecot.conf").write_text(f"""
base_dir = {self.folder}/run
state_dir = {self.folder}/state
log_path = {self.folder}/dovecot.log
protocols = imap
listen = 127.0.0.1
ssl = yes
ssl_cert = <{self.cert}
ssl_key = <{key}
disable_plaintext_auth = no
auth_mechanisms = plain login
default_internal_user = {"dovecot" if root else me}
default_login_user = {"dovenull" if root else me}
first_valid_uid = 0
service imap-login {{
  inet_listener imap {{
    address = 127.0.0.1
    port = {self.imap_port}
  }}
  inet_listener imaps {{
    address = 127.0.0.1
    port = {self.imaps_port}
    ssl = yes
  }}
  chroot =
}}
service anvil {{
  chroot =
}}
passdb {{
  driver = passwd-file
  args = scheme=PLAIN username_format=%u {self.folder}/passwd
}}
userdb {{
  driver = static
  args = uid={uid} gid={gid} home={self.folder}/home/%u
}}
mail_location = maildir:~/Maildir
""")
        for sub in ("run", "state"):
            (self.folder / sub).mkdir(exist_ok=True)
        self.own(self.folder / "home")
        # The daemon keeps what it was given as output: a file, not a pipe that never closes.
        with open(self.folder / "start.log", "w") as out:
            started = subprocess.run(["dovecot", "-c", str(self.folder / "dovecot.conf")], stdin=subprocess.DEVNULL,
                                     stdout=out, stderr=subprocess.STDOUT)
        if started.returncode != 0 or not wait_for_port(self.imaps_port):
            raise CannotStart(f"Dovecot did not start: {(self.folder / 'start.log').read_text()} {self.log()}")

    def own(self, path):
        uid, gid, _ = unprivileged()
        for folder, _, files in os.walk(path):
            os.chown(folder, uid, gid)
            for f in files:
                os.chown(os.path.join(folder, f), uid, gid)

    def log(self):
        log = self.folder / "dovecot.log"
        return log.read_text(errors="replace")[-2000:] if log.exists() else ""

    def url(self, tls=True, mailbox="INBOX"):
        return (f"imaps://{self.user}@127.0.0.1:{self.imaps_port}/{mailbox}" if tls
                else f"imap://{self.user}@127.0.0.1:{self.imap_port}/{mailbox}")

    def deliver(self, name, message_bytes):
        """A message placed in the Maildir, as a delivery agent leaves it."""
        path = self.maildir / "new" / name
        path.write_bytes(message_bytes)
        self.own(self.maildir)
        return path

    def flags(self):
        """Each message file's flags (the letters after ":2,"), by name."""
        found = {}
        for sub in ("new", "cur"):
            for path in (self.maildir / sub).iterdir():
                base, _, flags = path.name.partition(":2,")
                found[base] = flags
        return found

    def stop(self):
        subprocess.run(["doveadm", "-c", str(self.folder / "dovecot.conf"), "stop"], capture_output=True)
        pid = self.folder / "run" / "master.pid"
        if pid.exists():
            try:
                os.kill(int(pid.read_text()), signal.SIGTERM)
            except (OSError, ValueError):
                pass


class Postgres:
    """A database cluster of its own, trusting connections on 127.0.0.1, with one database."""

    def __init__(self, folder, database="register", user="office"):
        binaries = sorted(glob.glob("/usr/lib/postgresql/*/bin"))
        if not binaries:
            raise CannotStart("PostgreSQL is not installed (Debian package postgresql)")
        self.bin = Path(binaries[-1])
        self.folder = Path(folder)
        self.data = self.folder / "data"
        self.port = free_port()
        self.user, self.database = user, database
        uid, gid, self.as_user = unprivileged()
        os.chown(self.folder, uid, gid)
        def run(*args):
            # The server keeps what pg_ctl was given as output: a file, not a pipe that never closes.
            with open(self.folder / "run.log", "w+") as out:
                done = subprocess.run(self.as_user + [str(a) for a in args], stdin=subprocess.DEVNULL, stdout=out,
                                      stderr=subprocess.STDOUT, text=True)
                out.seek(0)
                done.stderr = out.read()
            return done
        made = run(self.bin / "initdb", "-D", self.data, "-A", "trust", "-U", user, "-E", "UTF8", "--locale=C.UTF-8")
        if made.returncode != 0:
            raise CannotStart(f"initdb failed: {made.stderr.strip()}")
        started = run(self.bin / "pg_ctl", "-D", self.data, "-l", self.folder / "log", "-w", "-o",
                      f"-c listen_addresses=127.0.0.1 -p {self.port} -c unix_socket_directories={self.folder}", "start")
        if started.returncode != 0:
            raise CannotStart(f"PostgreSQL did not start: {started.stderr.strip()}")
        created = run(self.bin / "createdb", "-h", "127.0.0.1", "-p", self.port, "-U", user, database)
        if created.returncode != 0:
            self.stop()
            raise CannotStart(f"createdb failed: {created.stderr.strip()}")

    def uri(self):
        return f"postgresql://{self.user}@127.0.0.1:{self.port}/{self.database}"

    def query(self, sql):
        out = subprocess.run(["psql", "-h", "127.0.0.1", "-p", str(self.port), "-U", self.user, "-d", self.database,
                              "-At", "-F", "\t", "-c", sql], capture_output=True, text=True, check=True)
        return [line.split("\t") for line in out.stdout.splitlines() if line]

    def stop(self):
        subprocess.run(self.as_user + [str(self.bin / "pg_ctl"), "-D", str(self.data), "-m", "immediate", "stop"],
                       capture_output=True)


class Smtp:
    """The mail tests' loopback SMTP server, taking every message into a folder."""

    def __init__(self, folder, auth=None, starttls=True):
        self.out = Path(folder) / "smtp"
        self.out.mkdir(exist_ok=True)
        self.cert = Path(folder) / "smtp.pem"
        arguments = [PYTHON, str(SMTP_SERVER), str(self.out)]
        if auth:
            arguments += ["--auth", auth]
        if starttls:
            arguments += ["--starttls", "--cert-out", str(self.cert)]
        self.process = subprocess.Popen(arguments, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("PORT "):
            self.process.kill()
            raise CannotStart("the loopback SMTP server did not start (Debian package python3-aiosmtpd)")
        self.port = int(line.split()[1])

    def messages(self):
        return sorted(self.out.glob("*.eml"), key=lambda p: int(p.stem))

    def stop(self):
        try:
            self.process.stdin.close()
            self.process.wait(timeout=10)
        except Exception:
            self.process.kill()
