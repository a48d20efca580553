#!/usr/bin/env bash
# The receiving office's intake from a mailbox, as a whole process: COUNT messages, each with a
# package of about 1 MB (a filled document with a 1 MB photograph), in a Dovecot mailbox on
# loopback; the first run into a new register and a second that finds nothing new, medians of
# RUNS runs with peak memory. Then the folder intake of the same packages into an SQLite register
# and into a PostgreSQL one, alternating, and the ratio of their rates. Needs the bench helpers
# (configure with -DVANTRA_BENCH=ON), python3-docx, dovecot-imapd and postgresql.
#   bench/mail_intake.sh [QVTOOL] [COUNT] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
qvtool=$(realpath "${1:-build/tools/qvtool}")
count=${2:-1000}
runs=${3:-3}
helpers=$(dirname "$qvtool")/../bench
work=$(mktemp -d)
chmod 755 "$work"  # the servers' own users pass through it
# Closing the control pipe stops the servers; they are waited for before their files go.
cleanup() { exec 3>&- 2>/dev/null; [ -n "${servers:-}" ] && wait "$servers" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
cd "$work"

mkdir pictures box
QT_QPA_PLATFORM=offscreen "$helpers/make_pictures" pictures 1 2600 1950 2>/dev/null
source "$here/filled.sh"
"$qvtool" new one.qvx
fill_document "$qvtool" one.qvx
/usr/bin/python3 - one.qvx pictures/picture001.jpg <<'PY'
import sys
import docx
from docx.shared import Cm
doc = docx.Document(sys.argv[1])
doc.add_paragraph("申请书正文。" * 300)
doc.add_picture(sys.argv[2], width=Cm(14))
doc.save(sys.argv[1])
PY
"$qvtool" pack one.qvx one.qvs
for n in $(seq -w "$count"); do cp one.qvs "box/application$n.qvs"; done

# The servers, started by the tests' own helper, for as long as this script runs.
mkfifo control
cat > start_servers.py <<'PY'
import sys
import os; sys.path.insert(0, os.path.join(os.environ["BENCH_HERE"], "..", "tests", "tools"))
import servers
from email.message import EmailMessage
from email import policy
work, count = sys.argv[1], int(sys.argv[2])
os.makedirs(work + "/imap"); os.makedirs(work + "/pg")
imap = servers.Dovecot(work + "/imap")
pg = servers.Postgres(work + "/pg")
package = open(work + "/one.qvs", "rb").read()
for n in range(count):
    m = EmailMessage()
    m["From"] = f"申请人{n} <applicant{n}@arvel.edu.cn>"
    m["Subject"] = f"申请书上报 {n}"
    m["Message-ID"] = f"<{n}@bench>"
    m.set_content("请查收。")
    m.add_attachment(package, maintype="application", subtype="octet-stream", filename=f"申请书{n}.qvs")
    (imap.maildir / "new" / f"{n}.bench").write_bytes(m.as_bytes(policy=policy.SMTP))
imap.own(imap.maildir)
print(imap.url(), imap.password, imap.cert, pg.uri(), flush=True)
sys.stdin.read()
imap.stop()
pg.stop()
PY
BENCH_HERE="$here" /usr/bin/python3 start_servers.py "$work" "$count" < control > servers.txt &
servers=$!
exec 3> control
while [ ! -s servers.txt ]; do sleep 0.2; done
read -r url password cert pguri < servers.txt
printf '%s\n' "$password" > password && chmod 600 password
printf '%s messages of %s bytes each (the package %s bytes)\n' "$count" \
  "$(stat -c %s "$(ls -d "$work"/imap/home/*/Maildir/new/* | head -n 1)")" "$(stat -c %s one.qvs)"

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
measure() {  # file for seconds, file for peak KiB, then the command
  local seconds=$1 peak=$2; shift 2
  /usr/bin/time -f "%e %M" -o timing "$@" >/dev/null 2>last.err || true
  read -r s kb < <(tail -n 1 timing)
  echo "$s" >> "$seconds"; echo "$kb" >> "$peak"
}
for _ in $(seq "$runs"); do
  rm -f mail.sqlite*
  measure first_s first_kb "$qvtool" intake --imap "$url" --password-file password --cacert "$cert" --db mail.sqlite
  measure again_s again_kb "$qvtool" intake --imap "$url" --password-file password --cacert "$cert" --db mail.sqlite
done
printf 'mailbox, first run: median %s s, peak memory %s MiB (%s runs, %s cores)\n' "$(median < first_s)" \
  "$(( $(median < first_kb) / 1024 ))" "$runs" "$(nproc)"
printf 'mailbox, second run: median %s s, peak memory %s MiB\n' "$(median < again_s)" "$(( $(median < again_kb) / 1024 ))"
printf "register rows: %s\n" "$(/usr/bin/python3 -c "import sqlite3; print(sqlite3.connect('mail.sqlite').execute('select count(*) from applications').fetchone()[0])")"

for i in $(seq "$runs"); do
  rm -f folder.sqlite*
  measure sqlite_s sqlite_kb "$qvtool" intake box --db folder.sqlite
  psql "$pguri" -qc "DROP TABLE IF EXISTS applications CASCADE; DROP TABLE IF EXISTS register_info" >/dev/null 2>&1
  measure pg_s pg_kb "$qvtool" intake box --db "$pguri"
done
printf 'folder of %s packages: SQLite register median %s s, PostgreSQL register median %s s, rate ratio %s\n' "$count" \
  "$(median < sqlite_s)" "$(median < pg_s)" "$(awk -v a="$(median < sqlite_s)" -v b="$(median < pg_s)" 'BEGIN {printf "%.2f", a/b}')"
