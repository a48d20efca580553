#!/usr/bin/env bash
# The receiving office's intake as a whole process: COUNT packages of about 1 MB each (a filled
# document with a 1 MB photograph), into a new register with both tables; medians of RUNS runs,
# and the peak memory. Then a second run over the same folder and register, which reads nothing
# again. Needs the bench helpers (configure with -DVANTRA_BENCH=ON) and python3-docx.
#   bench/intake.sh [QVTOOL] [COUNT] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
qvtool=$(realpath "${1:-build/tools/qvtool}")
count=${2:-1000}
runs=${3:-3}
helpers=$(dirname "$qvtool")/../bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
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
printf '%s packages of %s bytes\n' "$count" "$(stat -c %s one.qvs)"

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
measure() {  # file for seconds, file for peak KiB, then the command
  local seconds=$1 peak=$2; shift 2
  /usr/bin/time -f '%e %M' -o timing "$@" >/dev/null 2>&1 || true
  read -r s kb < <(tail -n 1 timing)
  echo "$s" >> "$seconds"; echo "$kb" >> "$peak"
}
for _ in $(seq "$runs"); do
  rm -f register.sqlite* table.xlsx table.csv
  measure first_s first_kb "$qvtool" intake box --db register.sqlite --xlsx table.xlsx --csv table.csv
  measure again_s again_kb "$qvtool" intake box --db register.sqlite --xlsx table.xlsx --csv table.csv
done
printf 'first run: median %s s, peak memory %s MiB (%s runs, %s cores)\n' "$(median < first_s)" \
  "$(( $(median < first_kb) / 1024 ))" "$runs" "$(nproc)"
printf 'second run over the same folder: median %s s, peak memory %s MiB\n' "$(median < again_s)" \
  "$(( $(median < again_kb) / 1024 ))"
printf 'register rows: %s\n' "$(python3 -c "import sqlite3; print(sqlite3.connect('register.sqlite').execute('select count(*) from applications').fetchone()[0])")"
