#!/usr/bin/env bash
# tovin-cli under hostile input and odd targets: control characters and invalid UTF-8 in
# texts and author names give parts that parse; -o naming a FIFO, character device or
# socket writes to it as a stream, a folder or block device is refused and kept; replying
# to or resolving a reply acts on its thread.
# Usage: run-cli-hardening-tests.sh TOVIN_CLI SOURCE_DIR
set -u

cli=$(realpath "$1")
source_dir=$(realpath "$2")
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
sample=$source_dir/samples/welcome.docx

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }

run() {
    XDG_CONFIG_HOME=$work/no-settings "$cli" "$@" >"$work/out" 2>"$work/err"
    status=$?
}

# Every .xml and .rels part of a package parses with expat (python's xml.etree).
parts_parse() {
    python3 - "$1" <<'PY'
import sys, zipfile, xml.etree.ElementTree as ET
with zipfile.ZipFile(sys.argv[1]) as z:
    for name in z.namelist():
        if name.endswith((".xml", ".rels")):
            try:
                ET.fromstring(z.read(name))
            except ET.ParseError as e:
                sys.exit("%s: %s" % (name, e))
PY
}

word=Tovin
vt=$(printf 'A\vB')

# 1. A vertical tab in a comment is a line break; in an author name a space.
run comment "$sample" --on "$word" --text "$vt" --author "$(printf 'Ada\vKing')" -o "$work/vt.docx"
if [[ $status -eq 0 ]] && parts_parse "$work/vt.docx" &&
    unzip -p "$work/vt.docx" word/comments.xml | grep -q '<w:t>A</w:t><w:br/><w:t>B</w:t>' &&
    unzip -p "$work/vt.docx" word/comments.xml | grep -q 'w:author="Ada King" [^>]*w:initials="AK"'; then
    pass
else
    fail "comment with a vertical tab: exit $status $(cat "$work/err"); $(parts_parse "$work/vt.docx" 2>&1)"
fi
id=$(sed -n 's/^comment \([0-9]*\) added.*/\1/p' "$work/out")
run reply "$work/vt.docx" --to "$id" --text "$vt" --author "$(printf 'Bo\fC\x01')" -o "$work/vt2.docx"
[[ $status -eq 0 ]] && parts_parse "$work/vt2.docx" && unzip -p "$work/vt2.docx" word/comments.xml | grep -q 'w:author="Bo C"' \
    && pass || fail "reply with control characters: exit $status $(cat "$work/err")"
run replace "$sample" --find "$word" --with "$vt" --track --author "$(printf 'R\ve\x1bv')" -o "$work/vt3.docx"
[[ $status -eq 0 ]] && parts_parse "$work/vt3.docx" && unzip -p "$work/vt3.docx" word/document.xml | grep -q 'w:author="R ev"' \
    && pass || fail "tracked replace with control characters: exit $status $(cat "$work/err")"
# Invalid UTF-8 in an author name is replaced by U+FFFD, as elsewhere.
for command in comment replace; do
    if [[ $command == comment ]]; then
        run comment "$sample" --on "$word" --text x --author "$(printf 'Z\xff\xfe')" -o "$work/bad-$command.docx"
    else
        run replace "$sample" --find "$word" --with x --track --author "$(printf 'Z\xff\xfe')" -o "$work/bad-$command.docx"
    fi
    [[ $status -eq 0 ]] && parts_parse "$work/bad-$command.docx" &&
        unzip -p "$work/bad-$command.docx" | grep -q "w:author=\"Z$(printf '\xef\xbf\xbd\xef\xbf\xbd')\"" \
        && pass || fail "$command --author with invalid UTF-8: exit $status $(cat "$work/err")"
done

# 2. -o naming something that is no regular file.
"$cli" save "$sample" -o "$work/plain-save.docx" >/dev/null
mkfifo "$work/fifo"
timeout 60 cat "$work/fifo" >"$work/from-fifo" &
reader=$!
run save "$sample" -o "$work/fifo"
[[ $status -eq 0 ]] || kill $reader
wait $reader
[[ $status -eq 0 && -p $work/fifo ]] && cmp -s "$work/from-fifo" "$work/plain-save.docx" \
    && pass || fail "save -o FIFO: exit $status $(cat "$work/err"), fifo kept: $([[ -p $work/fifo ]] && echo yes)"
# Every writing command goes the same way.
for args in "replace $sample --find $word --with X" "comment $sample --on $word --text note" "accept-all $sample"; do
    timeout 60 cat "$work/fifo" >"$work/from-fifo" &
    reader=$!
    run $args -o "$work/fifo"
    [[ $status -eq 0 ]] || kill $reader
    wait $reader
    [[ $status -eq 0 && -p $work/fifo ]] && "$cli" info "$work/from-fifo" >/dev/null \
        && pass || fail "${args%% *} -o FIFO: exit $status $(cat "$work/err")"
done
# A character device: a null device node of its own where the tests may make one (root),
# so that a tool that replaced it could not take the system's /dev/null with it; else
# /dev/null itself, which only root could replace (root that cannot make one skips this).
chardev=$work/null
mknod -m 666 "$chardev" c 1 3 2>/dev/null || chardev=/dev/null
if [[ $chardev != /dev/null || $(id -u) -ne 0 ]]; then
    run save "$sample" -o "$chardev"
    [[ $status -eq 0 && -c $chardev ]] && pass || fail "save -o $chardev: exit $status $(cat "$work/err")"
fi
python3 - "$work/socket" "$work/from-socket" <<'PY' &
import socket, sys
server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
server.bind(sys.argv[1]); server.listen(1); server.settimeout(30)
connection, _ = server.accept()
with open(sys.argv[2], "wb") as out:
    while chunk := connection.recv(65536):
        out.write(chunk)
PY
listener=$!
for _ in $(seq 50); do [[ -S $work/socket ]] && break; sleep 0.1; done
run save "$sample" -o "$work/socket"
[[ $status -eq 0 ]] || kill $listener
wait $listener
[[ $status -eq 0 && -S $work/socket ]] && cmp -s "$work/from-socket" "$work/plain-save.docx" \
    && pass || fail "save -o SOCKET: exit $status $(cat "$work/err")"
mkdir "$work/dir"
ln -s dir "$work/dir-link"
for target in "$work/dir" "$work/dir-link"; do
    run save "$sample" -o "$target"
    [[ $status -eq 1 && $(wc -l <"$work/err") -eq 1 && -d $work/dir ]] && grep -q "cannot replace: it is a folder" "$work/err" \
        && pass || fail "save -o $target: exit $status $(cat "$work/err")"
done
# A block device node (root only): refused, and still a block device afterwards.
if mknod "$work/block" b 7 250 2>/dev/null; then
    run replace "$sample" --find "$word" --with X -o "$work/block"
    [[ $status -eq 1 && -b $work/block ]] && grep -q "it is a block device" "$work/err" \
        && pass || fail "replace -o BLOCK: exit $status $(cat "$work/err")"
fi

# 3. Replying to and resolving a reply act on the thread's first comment.
run comment "$sample" --on "$word" --text first -o "$work/t1.docx"
root=$(sed -n 's/^comment \([0-9]*\) added.*/\1/p' "$work/out")
run reply "$work/t1.docx" --to "$root" --text second -o "$work/t2.docx"
child=$(sed -n 's/^reply \([0-9]*\) to comment.*/\1/p' "$work/out")
run reply "$work/t2.docx" --to "$child" --text third -o "$work/t3.docx"
third=$(sed -n 's/.*; reply \([0-9]*\) to its thread.*/\1/p' "$work/out")
[[ $status -eq 0 && -n $third ]] && grep -q "^comment $child is a reply; reply $third to its thread, comment $root, added; saved " "$work/out" \
    && pass || fail "reply to a reply: $(cat "$work/out" "$work/err")"
run resolve "$work/t3.docx" "$child" -o "$work/t4.docx"
[[ $status -eq 0 ]] && grep -q "^comment $child is a reply; resolved its thread, comment $root; saved " "$work/out" \
    && pass || fail "resolve of a reply: $(cat "$work/out" "$work/err")"
run comments --json "$work/t4.docx"
python3 - "$work/out" "$root" "$child" "$third" <<'PY' && pass || fail "threads after replying to and resolving a reply: $(cat "$work/out")"
import json, sys
threads = json.load(open(sys.argv[1]))["threads"]
root, child, third = map(int, sys.argv[2:])
thread = next(t for t in threads if t["id"] == root)
assert thread["resolved"] and not any(t["id"] in (child, third) for t in threads), threads
assert sorted(r["id"] for r in thread["replies"]) == sorted([child, third]), threads
PY
python3 - "$work/t4.docx" <<'PY' && pass || fail "paraIdParent of the reply to a reply is not the first comment's"
import re, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
ext = z.read("word/commentsExtended.xml").decode()
entries = re.findall(r'<w15:commentEx ([^>]*)/>', ext)
parents = [re.search(r'paraIdParent="(\w+)"', e).group(1) for e in entries if "paraIdParent" in e]
roots = [e for e in entries if "paraIdParent" not in e]
first = re.search(r'paraId="(\w+)"', roots[0]).group(1)
assert len(roots) == 1 and parents == [first, first], (entries, first)
assert 'done="1"' in roots[0] and all('done="1"' not in e for e in entries if e != roots[0]), entries
PY
run resolve "$work/t4.docx" "$third" --reopen --json -o "$work/t5.docx"
python3 -c 'import json,sys; r = json.load(open(sys.argv[1])); assert r["thread"] == int(sys.argv[2]) and r["resolved"] is False' \
    "$work/out" "$root" && pass || fail "resolve --reopen --json of a reply: $(cat "$work/out")"

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
