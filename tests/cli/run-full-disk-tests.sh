#!/usr/bin/env bash
# tovin-cli on a full disk: a 1 MB tmpfs mounted in a private mount namespace, filled up.
# Saving in place and to a new file fails with exit 1 and one line naming the file and
# "No space left on device"; the original stays as it was and no temporary file is left.
# With room again the same save succeeds. Exits 77 (skipped) where no file system can be
# mounted (not root, or no mount namespaces).
# Usage: run-full-disk-tests.sh TOVIN_CLI SOURCE_DIR
set -u

cli=$(realpath "$1")
source_dir=$(realpath "$2")

if [[ ${TOVIN_FULL_DISK_INSIDE:-} != 1 ]]; then
    if [[ $(id -u) -ne 0 ]] || ! unshare --mount --propagation private true 2>/dev/null; then
        echo "skipped: cannot mount a small file system here (needs root and mount namespaces)"
        exit 77
    fi
    exec env TOVIN_FULL_DISK_INSIDE=1 unshare --mount --propagation private "$0" "$@"
fi

work=$(mktemp -d)
disk=$work/disk
mkdir "$disk"
trap 'umount "$disk" 2>/dev/null; rm -rf "$work"' EXIT
if ! mount -t tmpfs -o size=1m tmpfs "$disk"; then
    echo "skipped: mounting a tmpfs failed"
    exit 77
fi

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }

cp "$source_dir/samples/welcome.docx" "$disk/a.docx"
cp "$disk/a.docx" "$work/original.docx"
# Fill what is left, so that not even a part of the new file fits.
dd if=/dev/zero of="$disk/filler" bs=4k 2>/dev/null
others() { ls -A "$disk" | grep -v -x -e a.docx -e filler; }

"$cli" replace "$disk/a.docx" --find Tovin --with Tavern --in-place >"$work/out" 2>"$work/err"
status=$?
[[ $status -eq 1 && $(wc -l <"$work/err") -eq 1 ]] &&
    grep -qxF "tovin-cli: $disk/a.docx: cannot write: No space left on device" "$work/err" \
    && pass || fail "in-place save on a full disk: exit $status, $(cat "$work/err")"
cmp -s "$disk/a.docx" "$work/original.docx" && pass || fail "the original changed"
[[ -z $(others) ]] && pass || fail "left behind: $(others)"

"$cli" save "$disk/a.docx" --rebuild -o "$disk/new.docx" >"$work/out" 2>"$work/err"
status=$?
[[ $status -eq 1 && ! -e $disk/new.docx ]] && grep -qxF "tovin-cli: $disk/new.docx: cannot write: No space left on device" "$work/err" \
    && pass || fail "save to a new file on a full disk: exit $status, $(cat "$work/err")"
[[ -z $(others) ]] && pass || fail "left behind: $(others)"

rm "$disk/filler"
"$cli" replace "$disk/a.docx" --find Tovin --with Tavern --in-place >"$work/out" 2>"$work/err"
status=$?
[[ $status -eq 0 ]] && ! cmp -s "$disk/a.docx" "$work/original.docx" && [[ -z $(others) ]] \
    && pass || fail "with room again: exit $status, $(cat "$work/err")"

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
