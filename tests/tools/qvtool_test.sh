#!/usr/bin/env bash
# The command-line companion end to end: exit codes and what it prints.
#   qvtool_test.sh QVTOOL
set -u
qv=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work
passed=0 failed=0
check() {  # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
code() { "$@" >/dev/null 2>&1; echo $?; }

check "new writes a document" "$qv" new "$work/a.qvx"
check "info shows the blank count" bash -c "'$qv' info '$work/a.qvx' | grep -qx 'characters	2880'"
check "dump shows the start year" bash -c "'$qv' dump '$work/a.qvx' | grep -qx 'yjqsjy	2013'"
check "set stores a value with a line break" "$qv" set "$work/a.qvx" 'xmmc=项目' 'xmjj=一\r\n二'
check "dump reads it back escaped" bash -c "'$qv' dump '$work/a.qvx' | grep -qx 'xmjj	一\\\\r\\\\n二'"
check "a tab in a value is printed escaped and set takes it back" bash -c "'$qv' set '$work/a.qvx' 'xmjj=a\\x09b' && '$qv' dump '$work/a.qvx' | grep -qx 'xmjj	a\\\\x09b'"
check "a single-line field refuses a tab" bash -c "'$qv' set '$work/a.qvx' 'xldm=a\\x09b' 2>&1 | grep -q '只有一行'; test \${PIPESTATUS[0]} -eq 1"
check "and a direction override" test "$(code "$qv" set "$work/a.qvx" 'xmmc=\u202eabc')" = 1
check "a multi-line field refuses a control character" test "$(code "$qv" set "$work/a.qvx" 'xmjj=a\x01b')" = 1
check "verify refuses an incomplete document" bash -c "'$qv' verify '$work/a.qvx'; test \$? -eq 1"
check "verify names the short body and its count" bash -c "'$qv' verify '$work/a.qvx' 2>&1 | grep -qx '正文字数少于一千! （当前正文 0 字）'"
check "verify --all lists every problem" bash -c "'$qv' new '$work/blank.qvx' && '$qv' verify '$work/blank.qvx' --all > '$work/all.txt'; test \$? -eq 1 && grep -qx 'body	正文	正文字数少于一千! （当前正文 0 字）' '$work/all.txt' && grep -qx 'xmmc	项目名称	请输入项目名称' '$work/all.txt' && grep -qx 'ztc1	主题词1	请输入主题词1' '$work/all.txt' && test \$(wc -l < '$work/all.txt') -gt 20"
# Refusals go to standard error, and one cause reads the same whichever command met it.
printf 'PK\003\004 cut short' > "$work/bad.qvx"
check "a refusal never reaches standard output" bash -c "'$qv' dump '$work/bad.qvx' > '$work/values.tsv' 2> '$work/why.txt'; test \$? -eq 1 && test ! -s '$work/values.tsv' && grep -q '不是有效的 Word 文档' '$work/why.txt'"
cause=$("$qv" info "$work/bad.qvx" 2>&1)
check "info, dump, verify and set give one explanation" bash -c "
  test \"\$('$qv' dump '$work/bad.qvx' 2>&1)\" = \"本文不是合法项目申请书。
$cause\" &&
  test \"\$('$qv' verify '$work/bad.qvx' 2>&1)\" = \"无效项目申请书!
$cause\" &&
  test \"\$('$qv' set '$work/bad.qvx' xmmc=x 2>&1)\" = \"本文不是合法项目申请书。
$cause\""
check "set judges a value by the field's own rule" bash -c "'$qv' set '$work/a.qvx' 'sqje=12a' 2>&1 | grep -qx '字段 sqje：请输入正确的申请经费!'; test \${PIPESTATUS[0]} -eq 1"
# Options anywhere, as getopt-style tools take them, and --help for every command.
check "verify takes --all before the document" bash -c "'$qv' verify --all '$work/blank.qvx' > '$work/all2.txt'; test \$? -eq 1 && cmp -s '$work/all.txt' '$work/all2.txt'"
check "options take their value after =" bash -c "'$qv' verify --names=xm1 '$work/blank.qvx' 2>&1 | grep -q '正文字数'"
check "qvtool --help answers on standard output" bash -c "'$qv' --help | grep -q 'qvtool intake'"
check "every command answers --help" bash -c "for c in new catalogue pack check unpack list info dump set verify preview convert intake; do '$qv' \$c --help | grep -q \"qvtool \$c\" || exit 1; done"
check "an unknown option is bad usage" test "$(code "$qv" dump --frobnicate "$work/a.qvx")" = 2
check "unknown field is refused" test "$(code "$qv" set "$work/a.qvx" nosuch=1)" = 1
check "bad usage exits 2" test "$(code "$qv" frobnicate)" = 2
check "pack" "$qv" pack "$work/a.qvx" "$work/p.qvs"
check "check names the entry" bash -c "'$qv' check '$work/p.qvs' | grep -qx 'a.qvx'"
check "list says enciphered" bash -c "'$qv' list '$work/p.qvs' | grep -q 'enciphered\$'"
check "unpack gives the same bytes" bash -c "'$qv' unpack '$work/p.qvs' '$work/b.qvx' && cmp -s '$work/a.qvx' '$work/b.qvx'"
printf 'plain text' > "$work/t.qvs"
check "a text file is no package" bash -c "'$qv' check '$work/t.qvs' 2>&1 | grep -qx '本文件是个人申请书!'"
check "a text file is no document" test "$(code "$qv" dump "$work/t.qvs")" = 1
# Only an application is sealed: nothing is written for an empty, a text or a truncated document.
: > "$work/empty.qvx"
head -c 3000 "$work/a.qvx" > "$work/half.qvx"
check "pack refuses what is no application" bash -c "for f in empty half; do test \"\$('$qv' pack '$work/'\$f.qvx '$work/'\$f.qvs 2>&1 >/dev/null | head -1)\" = '本文不是合法项目申请书。' && test ! -e '$work/'\$f.qvs || exit 1; done; ! '$qv' pack '$work/t.qvs' '$work/t2.qvs' 2>/dev/null && test ! -e '$work/t2.qvs'"
# Names from a package can neither forge lines nor drive the terminal.
evil="$work/"$'a\nFORGED\e[31m.qvx'
cp "$work/a.qvx" "$evil"
check "pack an evil name" "$qv" pack "$evil" "$work/evil.qvs"
check "check prints it escaped on one line" bash -c "test \"\$('$qv' check '$work/evil.qvs')\" = 'a\\nFORGED\\x1b[31m.qvx'"
check "list prints it escaped on one line" test "$("$qv" list "$work/evil.qvs" | wc -l)" = 1
check "unpack does not overwrite" test "$(code "$qv" unpack "$work/p.qvs" "$work/b.qvx")" = 1
check "unpack does not depend on the folder" bash -c "'$qv' unpack '$work/p.qvs' '$work/c.qvx' && cmp -s '$work/a.qvx' '$work/c.qvx'"
mkfifo "$work/fifo.qvs"
check "a pipe is refused at once" bash -c "timeout 5 '$qv' check '$work/fifo.qvs' 2>&1 | grep -qx '本文件是个人申请书!'"
# Nothing the user has is destroyed.
cp "$work/a.qvx" "$work/keep.qvx"
check "pack onto the document itself is refused" test "$(code "$qv" pack "$work/keep.qvx" "$work/keep.qvx")" = 1
check "and the document is still whole" cmp -s "$work/a.qvx" "$work/keep.qvx"
check "unpack makes no folder" bash -c "! '$qv' unpack '$work/none/p.qvs' '$work/none2/t.qvx' >/dev/null; test ! -e '$work/none' -a ! -e '$work/none2'"
cp "$work/a.qvx" "$work/ro.qvx"; chmod 0444 "$work/ro.qvx"
check "set refuses a read-only document" bash -c "'$qv' set '$work/ro.qvx' xmmc=x | grep -qx '申请书文件是只读的：$work/ro.qvx'; test \${PIPESTATUS[0]} -eq 1"
check "and leaves it as it was" cmp -s "$work/a.qvx" "$work/ro.qvx"
mkdir "$work/real"; cp "$work/a.qvx" "$work/real/target.qvx"; chmod 0640 "$work/real/target.qvx"
ln -s real/target.qvx "$work/link.qvx"
check "set writes through a link" "$qv" set "$work/link.qvx" 'xmmc=经由链接'
check "the link stays a link" test -L "$work/link.qvx"
check "the target has the value" bash -c "'$qv' dump '$work/real/target.qvx' | grep -qx 'xmmc	经由链接'"
check "and keeps its permissions" test "$(stat -c %a "$work/real/target.qvx")" = 640
check "qvtool loads no widget library" bash -c "! ldd '$qv' | grep -q -E 'libQt6(Widgets|Gui)'"
check "catalogue has 96 records" test "$("$qv" catalogue | wc -l)" = 96

# A new application from an earlier one.
"$qv" new "$work/old.qvx" && "$qv" set "$work/old.qvx" 'xmmc=去年的项目' 'xm1=张三' 'xkdm=999.9999' 'xk=旧学科' 'xm2=李四'
cp "$work/old.qvx" "$work/old.keep"
check "new --from takes the earlier values" bash -c "'$qv' new '$work/n1.qvx' --from '$work/old.qvx' 2>'$work/n1.err' && '$qv' dump '$work/n1.qvx' | grep -qx 'xmmc	去年的项目' && '$qv' dump '$work/n1.qvx' | grep -qx 'xm2	李四'"
check "and says on standard error what it left out" bash -c "grep -qx '学科代码：原值 999.9999 不在本版学科代码表中' '$work/n1.err' && '$qv' dump '$work/n1.qvx' | grep -qx 'xkdm	'"
check "--only takes those groups alone" bash -c "'$qv' new '$work/n2.qvx' --from '$work/old.qvx' --only applicant,members 2>/dev/null && '$qv' dump '$work/n2.qvx' | grep -qx 'xmmc	' && '$qv' dump '$work/n2.qvx' | grep -qx 'xm1	张三'"
check "an unknown group is bad usage" test "$(code "$qv" new "$work/n3.qvx" --from "$work/old.qvx" --only frobs)" = 2
check "the new application is never the earlier one" test "$(code "$qv" new "$work/old.qvx" --from "$work/old.qvx")" = 1
check "nor any file that exists" test "$(code "$qv" new "$work/n1.qvx" --from "$work/old.qvx")" = 1
check "an unreadable earlier one is refused" test "$(code "$qv" new "$work/n4.qvx" --from "$work/t.qvs")" = 1
check "and the earlier file is untouched" cmp -s "$work/old.qvx" "$work/old.keep"

# The Windows edition's format: read as the current one is, written never, converted on request.
if command -v soffice >/dev/null; then
  "$qv" new "$work/w.qvx" && "$qv" set "$work/w.qvx" 'xmmc=旧版申请书' 'xm1=张三' 'sfzh1=360102196102110110'
  mkdir -p "$work/97" && soffice -env:UserInstallation="file://$work/lo" --headless --convert-to 'doc:MS Word 97' \
    --outdir "$work/97" "$work/w.qvx" >/dev/null 2>&1
  old="$work/97/w.doc"
  check "LibreOffice made a Word 97 document" test -s "$old"
  check "info names the format" bash -c "'$qv' info '$old' | grep -qx 'format	Word 97–2003' && '$qv' info '$work/w.qvx' | grep -qx 'format	OOXML'"
  check "dump reads it as the original" bash -c "diff <('$qv' dump '$old') <('$qv' dump '$work/w.qvx')"
  cp "$old" "$work/keep.doc"
  check "set refuses it and names convert" bash -c "'$qv' set '$old' xmmc=x | grep -q 'qvtool convert'; test \${PIPESTATUS[0]} -eq 1"
  check "convert writes a new document" "$qv" convert "$old" "$work/new.qvx"
  check "which is OOXML with the same values" bash -c "'$qv' info '$work/new.qvx' | grep -qx 'format	OOXML' && diff <('$qv' dump '$old') <('$qv' dump '$work/new.qvx')"
  check "and takes values" "$qv" set "$work/new.qvx" 'xmmc=新版'
  check "the original is unchanged" cmp -s "$old" "$work/keep.doc"
  check "convert never writes over a file" test "$(code "$qv" convert "$old" "$work/new.qvx")" = 1
  check "nor over the original" bash -c "test \$('$qv' convert '$old' '$old' >/dev/null 2>&1; echo \$?) = 1 && cmp -s '$old' '$work/keep.doc'"
  check "a new document needs no conversion" test "$(code "$qv" convert "$work/new.qvx" "$work/n2.qvx")" = 1
  # Packed as the Windows edition packs: the entry's name in GB 18030, the headers enciphered.
  cp "$old" "$work/张三面上项目.qvx"
  check "a Windows-style package of it" "$qv" pack "$work/张三面上项目.qvx" "$work/w97.qvs"
  check "checks as a personal package" bash -c "'$qv' check '$work/w97.qvs' | grep -qx '张三面上项目.qvx'"
  check "and unpacks to the same bytes" bash -c "'$qv' unpack '$work/w97.qvs' '$work/back.doc' && cmp -s '$work/back.doc' '$old'"
  check "without LibreOffice the conversion says what to install" bash -c "PATH=/nonexistent '$qv' convert '$old' '$work/n3.qvx' | grep -q 'libreoffice-writer'; test ! -e '$work/n3.qvx'"
else
  echo "SKIPPED: the Word 97 checks need LibreOffice (soffice)"
fi

echo "qvtool: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
