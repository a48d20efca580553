#!/usr/bin/env bash
# The document engine against python-docx reading the same catalogue cells of the blank
# template, in the same run; medians and the ratio. Needs Debian's python3-docx.
#   bench/word.sh [BENCH_BINARY] [QVTOOL] [RUNS]
set -euo pipefail
bench=$(realpath "${1:-build/bench/word_bench}")
qvtool=$(realpath "${2:-build/tools/qvtool}")
runs=${3:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$qvtool" new "$work/blank.qvx"
out=$("$bench" "$runs" "$work/cells.txt")
echo "$out" | grep -v '^read_ms='
ours=$(echo "$out" | sed -n 's/^read_ms=//p')
theirs=$(/usr/bin/python3 - "$work/blank.qvx" "$work/cells.txt" "$runs" <<'PY'
import statistics, sys, time
import docx
from docx.table import _Cell
W = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}"
path, cells_file, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
wanted = [tuple(map(int, l.split())) for l in open(cells_file)]
times = []
for _ in range(runs + 1):
    t0 = time.perf_counter()
    document = docx.Document(path)
    tables = document.tables
    counted = {}
    total = 0
    for t, c in wanted:
        if t not in counted:
            table = tables[t - 1]
            cells = []
            for tr in table._tbl.tr_lst:
                for tc in tr.tc_lst:
                    merge = tc.find(f"{W}tcPr/{W}vMerge")
                    if merge is not None and merge.get(f"{W}val") != "restart":
                        continue
                    cells.append(_Cell(tc, table))
            counted[t] = cells
        total += len(counted[t][c - 1].text)
    times.append((time.perf_counter() - t0) * 1000)
print(f"{statistics.median(times[1:]):.4f}")
PY
)
awk -v a="$ours" -v b="$theirs" 'BEGIN {printf "python-docx read: median %.2f ms; engine is %.1f times faster\n", b, b/a}'
