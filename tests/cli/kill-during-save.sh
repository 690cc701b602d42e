#!/usr/bin/env bash
# kill -9 during in-place saves of a large document, outside ctest (the engine tests hold
# the short version): each round starts `tovin-cli replace --in-place` and kills it at a
# random moment; the file must then be what it was before the round or exactly what the
# same command makes of it when left to finish, and once the next save has started no
# temporary file may be left.
# Usage: kill-during-save.sh TOVIN_CLI DOCUMENT [ROUNDS]
set -u

cli=$(realpath "$1")
rounds=${3:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$2" "$work/doc.docx"
target=$work/doc.docx

# The one in-place save every round makes: "the" to "THE", or back, as the file holds.
words() { if "$cli" text "$1" | grep -q THE; then echo THE the; else echo the THE; fi; }
save() {
    local find with
    read -r find with < <(words "$1")
    "$cli" replace "$1" --find "$find" --with "$with" --in-place >/dev/null 2>&1
}
temporaries() { find "$work" -maxdepth 1 -name '.doc.docx.tovin-*' | wc -l; }

# How long one save takes, so that the kills fall around its end, where it writes.
cp "$target" "$work/probe.docx"
read -r find with < <(words "$work/probe.docx")
start=$(date +%s%N)
"$cli" replace "$work/probe.docx" --find "$find" --with "$with" --in-place >/dev/null 2>&1
span=$(( ($(date +%s%N) - start) / 1000 ))   # microseconds
rm -f "$work/probe.docx"

old=0 new=0 left=0 bad=0
for round in $(seq "$rounds"); do
    cp "$target" "$work/before.docx"
    read -r find with < <(words "$target")
    "$cli" replace "$target" --find "$find" --with "$with" --in-place >/dev/null 2>&1 &
    pid=$!
    # Between half and one and a half times a save: most kills fall while the file is written.
    sleep "$(awk -v s="$span" -v r="$RANDOM" 'BEGIN { printf "%.6f", s * (0.5 + r / 32768) / 1e6 }')"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    cp "$work/before.docx" "$work/finished.docx" && save "$work/finished.docx"
    if cmp -s "$target" "$work/before.docx"; then
        old=$((old + 1))
    elif cmp -s "$target" "$work/finished.docx"; then
        new=$((new + 1))
    else
        bad=$((bad + 1)); echo "round $round: the file is neither the old nor the new one"
    fi
    [[ $(temporaries) -eq 0 ]] || left=$((left + 1))
    # The next save starts by removing what a killed one left behind.
    cp "$target" "$work/again.docx"
    save "$target"
    [[ $(temporaries) -eq 0 ]] || { bad=$((bad + 1)); echo "round $round: a temporary survived the next save"; }
done
echo "$rounds kills during saves of about $((span / 1000)) ms: $old old, $new new, $bad bad;" \
     "$left left a temporary until the next save"
[[ $bad -eq 0 ]]
