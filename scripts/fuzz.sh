#!/usr/bin/env bash
# Builds the fuzz targets with Clang and libFuzzer and runs them.
#
#   scripts/fuzz.sh [TOTAL-SECONDS]
#       runs every target briefly (TOTAL-SECONDS shared among them, default
#       60) over its kept corpus and its seeds; what it finds fails the run.
#   scripts/fuzz.sh --campaign SECONDS [TARGET...]
#       runs each target (all of them, fast ones first, when none is named)
#       for SECONDS or until it has made LX_FUZZ_RUNS executions (default
#       10,000,000) over all campaign runs so far, niced, one worker at a time,
#       resuming from the kept corpus. Crashes, timeouts and memory-limit
#       inputs go to the findings folder; each run is appended to the ledger
#       and prints one summary line.
#   scripts/fuzz.sh --merge [TARGET...]
#       merges the kept corpus into the committed seeds (fuzz/corpus/<name>),
#       adding only inputs that reach new coverage (libFuzzer's -merge=1),
#       smallest first, up to LX_FUZZ_MERGE_BUDGET bytes (400,000) of new
#       inputs a target.
#
# Kept between runs (not in git), under build/fuzz:
#   corpus/<target>/    the grown corpus
#   findings/<target>/  crash-*, timeout-*, oom-*, leak-* inputs
#   logs/<target>-<time>.log, campaign.tsv (one line per campaign run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LX_FUZZ_BUILD_DIR:-$root/build/fuzz}
runs_goal=${LX_FUZZ_RUNS:-10000000}
# Fast targets first: a campaign that is stopped early has done the most.
order=(fuzz_hyperlink_record fuzz_formula_tokens fuzz_formula_text fuzz_compound fuzz_read_stream fuzz_open)

mode=brief
case "${1:-}" in
  --campaign)
    mode=campaign
    seconds=${2:?"--campaign needs SECONDS"}
    shift 2
    ;;
  --merge)
    mode=merge
    shift
    ;;
  *)
    total=${1:-60}
    shift $(($# > 0 ? 1 : 0))
    ;;
esac

export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
generator=()
[ -f "$build/CMakeCache.txt" ] || { command -v ninja >/dev/null && generator=(-G Ninja); }
CXX=clang++ cmake -S "$root" -B "$build" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DLX_SANITIZE=ON -DLX_BUILD_FUZZ=ON \
  -DLX_BUILD_TESTS=OFF -DLX_BUILD_EXAMPLES=OFF >/dev/null
jobs=$(nproc)
[ "$mode" = campaign ] && jobs=1
nice -n 10 cmake --build "$build" -j "$jobs" >/dev/null

# The targets to run: those named, or every built one in the order above.
targets=()
if (($# > 0)); then
  for name in "$@"; do targets+=("fuzz_${name#fuzz_}"); done
else
  for name in "${order[@]}"; do [ -x "$build/fuzz/$name" ] && targets+=("$name"); done
  for path in "$build"/fuzz/fuzz_*; do
    name=$(basename "$path")
    [ -x "$path" ] && [[ " ${targets[*]} " != *" $name "* ]] && targets+=("$name")
  done
fi
((${#targets[@]} > 0)) || { echo "fuzz: no targets"; exit 0; }

# Options for one target: its dictionary when there is one.
dict_option() {
  local dict="$root/fuzz/$1.dict"
  [ -f "$dict" ] && echo "-dict=$dict"
}

# Executions of a target over all campaign runs so far.
done_runs() {
  awk -F'\t' -v t="$1" '$2 == t { sum += $3 } END { print sum + 0 }' "$build/logs/campaign.tsv" 2>/dev/null || echo 0
}

if [ "$mode" = merge ]; then
  # New inputs are merged into a scratch folder first and then copied into
  # the seeds smallest first while they fit the budget, so that the committed
  # seeds stay small; LX_FUZZ_MERGE_MAX_LEN cuts inputs to that length.
  budget=${LX_FUZZ_MERGE_BUDGET:-400000}
  for name in "${targets[@]}"; do
    seeds="$root/fuzz/corpus/${name#fuzz_}"
    scratch=$(mktemp -d)
    mkdir -p "$seeds"
    before=$(ls "$seeds" | wc -l)
    cp "$seeds"/* "$scratch"/ 2>/dev/null || true
    ls "$scratch" >"$scratch.old"
    "$build/fuzz/$name" -merge=1 -timeout=10 -rss_limit_mb=2048 ${LX_FUZZ_MERGE_MAX_LEN:+-max_len=$LX_FUZZ_MERGE_MAX_LEN} \
      "$scratch" "$build/corpus/$name" 2>&1 | grep -E '^MERGE-OUTER: [0-9]+ new files' || true
    used=0
    while read -r size file; do
      ((used + size <= budget)) || break
      cp "$scratch/$file" "$seeds/$file"
      used=$((used + size))
    done < <(cd "$scratch" && ls | grep -vxF -f "$scratch.old" | xargs -r stat -c '%s %n' | sort -n)
    rm -rf "$scratch" "$scratch.old"
    echo "fuzz: $name seeds $before -> $(ls "$seeds" | wc -l) files, $(cat "$seeds"/* | wc -c) bytes"
  done
  exit 0
fi

status=0
mkdir -p "$build/logs"
if [ "$mode" = brief ]; then
  per=$((total / ${#targets[@]}))
  ((per > 0)) || per=1
fi
for name in "${targets[@]}"; do
  target="$build/fuzz/$name"
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  seeds="$root/fuzz/corpus/${name#fuzz_}"
  mkdir -p "$corpus" "$findings"
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  [ -d "$root/fuzz/regressions/${name#fuzz_}" ] && dirs+=("$root/fuzz/regressions/${name#fuzz_}")
  if [ "$mode" = brief ]; then
    echo "fuzz: $name for ${per}s"
    if "$target" -max_total_time="$per" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/" $(dict_option "$name") "${dirs[@]}" >"$build/logs/$name-brief.log" 2>&1; then
      tail -n 8 "$build/logs/$name-brief.log"
      echo "fuzz: $name passed"
    else
      tail -n 40 "$build/logs/$name-brief.log"
      echo "fuzz: $name FAILED (inputs in $findings)"
      status=1
    fi
    continue
  fi
  left=$((runs_goal - $(done_runs "$name")))
  if ((left <= 0)); then
    echo "fuzz: $name has its $runs_goal executions already"
    continue
  fi
  log="$build/logs/$name-$(date -u +%Y%m%dT%H%M%S).log"
  start=$(date -u +%H:%M:%S)
  before=$(ls "$findings" | wc -l)
  set +e
  nice -n 10 "$target" -max_total_time="$seconds" -runs="$left" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" $(dict_option "$name") "${dirs[@]}" >"$log" 2>&1
  rc=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
  new=$(($(ls "$findings" | wc -l) - before))
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$(date -u +%FT%T)" "$name" "${runs:-0}" "${rate:-0}" \
    "${cov:-?}" "${ft:-?}" "${corp:-?}" "$new" "$rc" >>"$build/logs/campaign.tsv"
  echo "fuzz: $name $start-$(date -u +%H:%M:%S) runs ${runs:-0} (total $(done_runs "$name")) exec/s ${rate:-0}" \
    "cov ${cov:-?} ft ${ft:-?} corpus ${corp:-?} findings $new exit $rc log $log"
  if ((rc != 0 || new > 0)); then
    grep -E '^(==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written)' "$log" | head -n 5
    status=1
  fi
done
exit $status
