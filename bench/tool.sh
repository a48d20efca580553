#!/usr/bin/env bash
# The command-line tool's start and its work on large documents; medians of N runs, alternating:
#   qvtool doing nothing, against the least Qt Core program (bench/core_hello);
#   qvtool dump of a filled 50 MB document with photographs, against an ordinary filled one;
#   set and save in one process of a filled 20 MB document with photographs, and of one with
#   20 MB of prose as its body, against python-docx setting the same cells and saving (needs
#   python3-docx); and "qvtool set" as a whole process.
# With a BASELINE qvtool (an earlier build), its runs alternate too and are printed beside.
# Needs the bench helpers (configure with -DVANTRA_BENCH=ON).
#   bench/tool.sh [QVTOOL] [RUNS] [BASELINE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
qvtool=$(realpath "${1:-build/tools/qvtool}")
runs=${2:-9}
baseline=${3:+$(realpath "$3")}
helpers=$(dirname "$qvtool")/../bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

mkdir pictures
QT_QPA_PLATFORM=offscreen "$helpers/make_pictures" pictures 12 1600 1200 2>/dev/null
source "$here/filled.sh"
"$qvtool" new small.qvx
fill_document "$qvtool" small.qvx
for mb in 20 50; do
  cp small.qvx "large$mb.qvx"
  /usr/bin/python3 "$here/testfiles.py" document "large$mb.qvx" $mb pictures
done
cp small.qvx text20.qvx
/usr/bin/python3 "$here/testfiles.py" text text20.qvx 20

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
time_us() {  # file to append to, then the command
  local file=$1; shift
  local t0=$EPOCHREALTIME t1
  "$@" >/dev/null 2>&1 || true
  t1=$EPOCHREALTIME
  echo $(( ${t1/[.,]/} - ${t0/[.,]/} )) >> "$file"  # microseconds, without starting a clock program
}
ms() { awk -v a="$(median < "$1")" 'BEGIN {printf "%.1f", a/1000}'; }
ratio() { awk -v a="$(median < "$1")" -v b="$(median < "$2")" 'BEGIN {printf "%.2f", a/b}'; }

for _ in $(seq "$runs"); do
  time_us t_noop "$qvtool"
  time_us t_hello "$helpers/core_hello"
  time_us t_dump_large "$qvtool" dump large50.qvx
  time_us t_dump_small "$qvtool" dump small.qvx
  cp large20.qvx set.qvx
  time_us t_set "$qvtool" set set.qvx xmmc=一个新的项目名称
  if [ -n "$baseline" ]; then
    time_us b_noop "$baseline"
    time_us b_dump_large "$baseline" dump large50.qvx
    time_us b_dump_small "$baseline" dump small.qvx
    cp large20.qvx set.qvx
    time_us b_set "$baseline" set set.qvx xmmc=一个新的项目名称
  fi
done
beside() { [ -n "$baseline" ] && printf '; baseline %s ms' "$(ms "$1")" || true; }
printf 'documents: %s KB filled, %s and %s MB with photographs\n' "$(( $(stat -c %s small.qvx) / 1000 ))" \
  "$(( $(stat -c %s large20.qvx) / 1000000 ))" "$(( $(stat -c %s large50.qvx) / 1000000 ))"
printf 'qvtool doing nothing %s ms, Qt Core program %s ms, ratio %s%s\n' "$(ms t_noop)" "$(ms t_hello)" \
  "$(ratio t_noop t_hello)" "$(beside b_noop)"
printf 'qvtool dump 50 MB %s ms, filled %s ms, ratio %s' "$(ms t_dump_large)" "$(ms t_dump_small)" \
  "$(ratio t_dump_large t_dump_small)"
[ -n "$baseline" ] && printf '; baseline %s ms / %s ms, ratio %s' "$(ms b_dump_large)" "$(ms b_dump_small)" \
  "$(ratio b_dump_large b_dump_small)"
echo
printf 'qvtool set of the 20 MB document, whole process %s ms%s\n' "$(ms t_set)" "$(beside b_set)"

# In one process each: the engine's set and save, and python-docx's.
values=(xmmc=一个新的项目名称 xm1=欧阳建国华 cddw1=Arvel理工大学 email=ouyang.jianguohua@arvel.edu.cn xm2=阿不都热合曼·阿不都克力木)
cat > python_set.py <<'PY'
import statistics, sys, time
import docx
from docx.table import _Cell
W = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}"
path, cells_file, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
wanted = [l.rstrip("\n").split("\t", 2) for l in open(cells_file, encoding="utf-8")]
times = []
for _ in range(runs + 1):
    t0 = time.perf_counter()
    document = docx.Document(path)
    tables = document.tables
    counted = {}
    for t, c, value in wanted:
        t, c = int(t), int(c)
        if t not in counted:
            table = tables[t - 1]
            counted[t] = [_Cell(tc, table) for tr in table._tbl.tr_lst for tc in tr.tc_lst
                          if tc.find(f"{W}tcPr/{W}vMerge") is None
                          or tc.find(f"{W}tcPr/{W}vMerge").get(f"{W}val") == "restart"]
        counted[t][c - 1].text = value
    document.save("python-saved.qvx")
    times.append((time.perf_counter() - t0) * 1000)
print(f"{statistics.median(times[1:]):.2f}")
PY
for doc in large20.qvx text20.qvx; do
  ours=$("$helpers/setsave_bench" "$doc" "$runs" cells.txt "${values[@]}" | sed -n 's/^setsave_ms=//p')
  theirs=$(/usr/bin/python3 python_set.py "$doc" cells.txt "$runs")
  awk -v d="$doc" -v a="$ours" -v b="$theirs" \
    'BEGIN {printf "set and save in one process, %s: engine %.1f ms, python-docx %.1f ms, ratio %.2f\n", d, a, b, a/b}'
done
