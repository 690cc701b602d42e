#!/usr/bin/env bash
# A short libFuzzer pass over every fuzz target of a TOVIN_FUZZ build.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS_PER_TARGET [RUNS_PER_TARGET]
# Seeds are the saved regressions and the corpus documents; anything the fuzzer finds is
# written to fuzz/findings/ and the pass fails, so it can be added to fuzz/regressions/.
# With RUNS_PER_TARGET the pass is reproducible: a fixed random seed (FUZZ_SEED, 1 unless
# set) and that many inputs per target, the seconds only a cap, so `make test` gives the
# same verdict on every machine; without it, a random seed for the given time, to explore.
set -euo pipefail
build=$1
seconds=${2:-30}
runs=${3:-}
if [ -n "$runs" ]; then
  limits=(-seed="${FUZZ_SEED:-1}" -runs="$runs")
else
  limits=()
fi
top=$(cd "$(dirname "$0")/.." && pwd)
corpus="$top/../shared/corpus"
status=0
for binary in "$build"/fuzz/fuzz_*; do
  [ -x "$binary" ] || continue
  case "$binary" in *-replay) continue ;; esac
  name=$(basename "$binary")
  work=$(mktemp -d)
  seeds=()
  [ -d "$top/fuzz/regressions/$name" ] && seeds+=("$top/fuzz/regressions/$name")
  [ -d "$top/fuzz/seeds/$name" ] && seeds+=("$top/fuzz/seeds/$name")
  [ -d "$corpus" ] && seeds+=("$corpus")
  # The view target reads a story's bytes: the corpus documents' body parts seed it too.
  if [ "$name" = fuzz_view ] && [ -d "$corpus" ]; then
    mkdir -p "$work.bodies"
    python3 - "$corpus" "$work.bodies" <<'PY'
import pathlib, sys, zipfile
for document in sorted(pathlib.Path(sys.argv[1]).glob("*.docx")):
    try:
        with zipfile.ZipFile(document) as package:
            body = package.read("word/document.xml")
    except (zipfile.BadZipFile, KeyError):
        continue
    (pathlib.Path(sys.argv[2]) / (document.stem + ".xml")).write_bytes(body)
PY
    seeds+=("$work.bodies")
  fi
  mkdir -p "$top/fuzz/findings/$name"
  echo "fuzz: $name${runs:+, $runs inputs from seed ${FUZZ_SEED:-1},} for at most ${seconds}s"
  if ! "$binary" "$work" "${seeds[@]}" "${limits[@]}" -max_total_time="$seconds" -max_len=262144 -rss_limit_mb=2048 \
       -timeout=10 -artifact_prefix="$top/fuzz/findings/$name/" -print_final_stats=1 >"$work.log" 2>&1; then
    echo "fuzz: $name FAILED; see $top/fuzz/findings/$name/"
    tail -n 40 "$work.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units' "$work.log" || true
  fi
  rm -rf "$work" "$work.log" "$work.bodies"
done
exit $status
