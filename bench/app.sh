#!/usr/bin/env bash
# How fast the editor feels, on the 50-, 200- and 500-page benchmark documents, beside its
# floors measured in the same run:
#
#     bench/app.sh BUILD_DIR DOCS_DIR [RUNS]
#
# For each document it runs, RUNS times each and interleaved (so a machine growing busier
# weighs on both alike):
#   - the application's bench harness (TOVIN_BENCH_OPEN, TOVIN_BENCH_TYPE, TOVIN_BENCH_QUIT):
#     first paint, launch to paint, footprint and peak, keystroke p50/p95/max with
#     tracking off and on, typed in the middle of the document;
#   - the floor, bench/tovin-editor-floor: a bare QTextEdit showing the same styled text,
#     its first paint, footprint and the same keys at the same place;
#   - LibreOffice's headless load of the same file (soffice --headless --convert-to odt,
#     wall time), the program a user would otherwise open; skipped without soffice.
# and prints the medians side by side with the ratios the goals are stated in. Keys per
# phase: TOVIN_BENCH_KEYS (default 100). Qt's platform: QT_QPA_PLATFORM (default
# offscreen; set it to xcb with DISPLAY to measure a real window). Settings, state and
# runtime folders are temporary, so no window of the user's is restored or remembered.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 BUILD_DIR DOCS_DIR [RUNS]" >&2
    exit 2
fi
build=$1
docs=$2
runs=${3:-5}
keys=${TOVIN_BENCH_KEYS:-100}
tovin=$build/Tovin/tovin
floor=$build/bench/tovin-editor-floor
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/timing.sh"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for folder in XDG_CONFIG_HOME XDG_STATE_HOME XDG_RUNTIME_DIR; do
    mkdir -p "$work/$folder"
    chmod 700 "$work/$folder"
    export "$folder=$work/$folder"
done

echo "bench/app.sh: $runs runs of each, $keys keys per phase, platform $QT_QPA_PLATFORM, load $(cut -d' ' -f1-3 /proc/loadavg)"
for pages in 50 200 500; do
    doc="$docs/bench-$pages.docx"
    [ -f "$doc" ] || { echo "missing $doc (run bench/make-docs.sh)" >&2; exit 1; }
    "$floor" --html "$doc" "$work/floor-$pages.html"
    for run in $(seq "$runs"); do
        TOVIN_BENCH_OPEN=$doc TOVIN_BENCH_TYPE=$keys TOVIN_BENCH_QUIT=1 "$tovin" \
            >"$work/tovin-$pages-$run.out" 2>/dev/null || echo "tovin failed on $doc" >&2
        TOVIN_BENCH_OPEN=$work/floor-$pages.html TOVIN_BENCH_TYPE=$keys "$floor" \
            >"$work/floor-$pages-$run.out" 2>/dev/null || echo "floor failed on $doc" >&2
    done
    lo=n/a
    if command -v soffice >/dev/null; then
        # A profile of its own, so that a LibreOffice the user has open does not take the
        # file over; the first run makes the profile and is not counted.
        office=(soffice "-env:UserInstallation=file://$work/lo-profile" --headless --convert-to odt
                --outdir "$work/lo" "$doc")
        "${office[@]}" >/dev/null 2>&1 || true
        lo=$(median_ms "${office[@]}")
    fi
    echo "$lo" >"$work/lo-$pages.ms"
done
# Paste of 5 MB of HTML (about 82,000 short paragraphs) into the 50-page document: the
# engine alone, through the window until the view shows it, and the floor, the same text put
# into a bare QTextEdit as plain text (TOVIN_BENCH_PASTE, Tovin/BenchPaste.h).
paste_mb=${TOVIN_BENCH_PASTE_MB:-5}
for run in $(seq "$runs"); do
    TOVIN_BENCH_OPEN=$docs/bench-50.docx TOVIN_BENCH_PASTE=$paste_mb TOVIN_BENCH_QUIT=1 "$tovin" \
        >"$work/paste-$run.out" 2>/dev/null || echo "tovin failed to paste" >&2
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$work" "$runs" <<'PY'
import re, statistics, sys
work, runs = sys.argv[1], int(sys.argv[2])

def figures(path):
    """Every key=value of the report lines, keyed by line kind."""
    out = {}
    for line in open(path):
        kind = "paint" if line.startswith("TOVIN_BENCH ") else None
        if line.startswith("TOVIN_BENCH_TYPE track="):
            kind = "track_" + re.search(r"track=(\w+)", line).group(1)
        elif line.startswith("TOVIN_BENCH_TYPE typed="):
            kind = "typed"
        if kind:
            for key, value in re.findall(r"(\w+)=([-0-9.]+)", line):
                out[kind + "." + key] = float(value)
    return out

def median(who, pages, key):
    values = [f[key] for f in (figures(f"{work}/{who}-{pages}-{r}.out") for r in range(1, runs + 1)) if key in f]
    return statistics.median(values) if values else float("nan")

rows = [
    ("first paint ms", "paint.first_paint_ms", "{:.0f}"),
    ("launch to paint ms", "paint.launch_to_paint_ms", "{:.0f}"),
    ("footprint MB", "paint.footprint_mb", "{:.1f}"),
    ("peak footprint MB", "paint.peak_footprint_mb", "{:.1f}"),
    ("keys off p50 ms", "track_off.p50_ms", "{:.2f}"),
    ("keys off p95 ms", "track_off.p95_ms", "{:.2f}"),
    ("keys off max ms", "track_off.max_ms", "{:.2f}"),
    ("keys on p50 ms", "track_on.p50_ms", "{:.2f}"),
    ("keys on p95 ms", "track_on.p95_ms", "{:.2f}"),
    ("keys on max ms", "track_on.max_ms", "{:.2f}"),
    ("peak after typing MB", "typed.peak_footprint_mb", "{:.1f}"),
]
print(f"\n{'medians':<22} {'pages':>5} {'tovin':>9} {'floor':>9} {'ratio':>7}")
table = {}
for pages in (50, 200, 500):
    for name, key, fmt in rows:
        ours, theirs = median("tovin", pages, key), median("floor", pages, key)
        table[(pages, key)] = ours
        ratio = f"{ours / theirs:.2f}x" if theirs else ""
        print(f"{name:<22} {pages:>5} {fmt.format(ours):>9} {fmt.format(theirs):>9} {ratio:>7}")
    lo = open(f"{work}/lo-{pages}.ms").read().strip()
    paint = table[(pages, "paint.first_paint_ms")]
    faster = f"{float(lo) / paint:.1f}x slower than tovin's first paint" if lo != "n/a" and paint else ""
    print(f"{'LibreOffice load ms':<22} {pages:>5} {lo:>9} {'':>9} {'':>7} {faster}")
    print()

def paste(key):
    values = []
    for r in range(1, runs + 1):
        for line in open(f"{work}/paste-{r}.out"):
            if line.startswith("TOVIN_BENCH_PASTE "):
                values += [float(v) for k, v in re.findall(r"(\w+)=([-0-9.]+)", line) if k == key]
    return statistics.median(values) if values else float("nan")

print(f"paste of {paste('html_mb'):.0f} MB of HTML ({paste('paragraphs'):.0f} paragraphs) into bench-50, medians:")
print(f"  engine alone {paste('engine_ms'):.0f} ms, through the window {paste('paste_ms'):.0f} ms "
      f"({paste('refreshed_ms'):.0f} ms with the footer, rail and ledger after it), "
      f"floor (plain text into a bare QTextEdit) {paste('floor_ms'):.0f} ms, "
      f"ratio {paste('paste_ms') / paste('floor_ms'):.2f}x")
print()

def goal(text, value, limit, below=True):
    ok = value <= limit if below else value >= limit
    print(f"  {'met ' if ok else 'MISSED'} {text}: {value:.2f} (goal {'<=' if below else '>='} {limit})")

f500 = lambda key: (median("tovin", 500, key), median("floor", 500, key))
print("goals on bench-500 (medians of the runs above):")
ours, theirs = f500("paint.first_paint_ms")
goal("first paint / floor", ours / theirs, 2)
lo = open(f"{work}/lo-500.ms").read().strip()
if lo != "n/a":
    goal("LibreOffice load / first paint", float(lo) / ours, 10, below=False)
ours, theirs = f500("typed.peak_footprint_mb")
goal("peak footprint / floor", ours / theirs, 3)
ours, theirs = f500("track_off.p95_ms")
goal("keys off p95 / floor", ours / theirs, 2)
ours, theirs = f500("track_on.p95_ms")
goal("keys on p95 / floor", ours / theirs, 3)
goal("keys off max ms", f500("track_off.max_ms")[0], 50)
goal("keys on max ms", f500("track_on.max_ms")[0], 50)
goal("5 MB HTML paste through the window, ms", paste("paste_ms"), 1000)
goal("5 MB HTML paste through the window / floor", paste("paste_ms") / paste("floor_ms"), 1.5)
print("growth from 50 to 500 pages (tovin / floor):")
for name, key in (("first paint", "paint.first_paint_ms"), ("peak footprint", "typed.peak_footprint_mb"),
                  ("keys off p95", "track_off.p95_ms"), ("keys on p95", "track_on.p95_ms")):
    growth = lambda who: median(who, 500, key) / median(who, 50, key)
    print(f"  {name:<16} {growth('tovin'):6.2f}x / {growth('floor'):6.2f}x")
PY
