#!/usr/bin/env bash
# Many pieces of few real outlines through the stand-in host, as a user plays
# them (bench/many_pieces.py writes the parts and the scripts): for each count
# of pieces the DXF parts are imported (command 1), loaded as figures on
# sheets of 3000 x 1500 (command 2) and optimised with turns of 90 degrees
# (command 3). Each road is timed on its own (wall clock, processor time and
# peak memory of host_play, the library's loading and the drawing's opening
# and saving included), and the placement alone as the optimisation panel
# shows its time; then the placed drawing's sheets and utilisation, and its
# overlaps measured exactly.
#
#   bench/many_pieces.sh BUILD [DATA [FOLDER [PIECES...]]]
#       e.g. taskset -c 0,1 bench/many_pieces.sh build ../shared/data/esicup
#
# BUILD holds nesting/libNesting.so, tools/host_play and tools/job_check;
# DATA the ESICUP sets (default ../shared/data/esicup beside the repository, as
# the benchmarks built take it);
# FOLDER (default a fresh temporary folder) keeps each count's parts, scripts
# and drawings; PIECES default 1000 2000 5000 10000. OUTLINES=N in the
# environment keeps only the first N outlines. Exit status 1 when a road
# fails, a piece is left unplaced or placed pieces overlap.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:?usage: many_pieces.sh BUILD [DATA [FOLDER [PIECES...]]]}")
data=$(realpath "${2:-$root/../shared/data/esicup}")
folder=$(realpath -m "${3:-$(mktemp -d)}")
shift $(($# < 3 ? $# : 3))
counts=("${@:-}")
[ -n "${counts[0]}" ] || counts=(1000 2000 5000 10000)
status=0
for pieces in "${counts[@]}"; do
  job="$folder/$pieces"
  rm -rf "$job"
  mkdir -p "$job/out"
  /usr/bin/python3 "$root/bench/many_pieces.py" "$data" "$job" "$pieces" ${OUTLINES:+--outlines "$OUTLINES"} |
    sed "s/^/$pieces: /"
  for road in import load optimise; do
    if ! /usr/bin/time -o "$job/$road.time" -f "%e s wall, %U s user, %M kB peak" \
        "$build/tools/host_play" "$job/$road.play" -D LIB="$build/nesting/libNesting.so" -D OUT="$job/out" \
        -D PARTS="$job/parts" --root "$job/out/host" --times "$job/$road.steps" >"$job/$road.log" 2>&1; then
      echo "$pieces: $road failed (see $job/$road.log)"
      status=1
      continue 2
    fi
    echo "$pieces: $road $(tail -n 1 "$job/$road.time")"
  done
  # The optimisation command alone, as the user waits for it: its start,
  # the placement and Enter (host_play's steps from "command 3" to Enter; the
  # drawing's opening and saving and the library's loading left out), with
  # the highest peak of memory among those steps.
  command=$(awk -F'\t' '/\tcommand 3$/ { on = 1 } on { wall += $2; cpu += $3; if ($4 + 0 > peak) peak = $4 + 0 }
      on && $6 == "enter" { on = 0 } END { printf "%.2f s wall, %.2f s processor, %d kB peak", wall, cpu, peak }' \
      "$job/optimise.steps")
  echo "$pieces: optimisation command $command"
  # The placement's own time, as the optimisation panel shows it.
  placing=$(grep -o '"[0-9.]* сек"' "$job/out/panel.txt" | tr -d '"' || true)
  echo "$pieces: placement ${placing:-not shown}"
  [ -n "$placing" ] || status=1
  summary=$("$build/tools/job_check" summary "$job/out/placed.vdw")
  echo "$summary" | grep -E "^  (parts|sheets used|utilisation) " | sed "s/^ */$pieces: /"
  echo "$summary" | grep -q " 0 in the container" || status=1
  if ! "$build/tools/job_check" overlap "$job/out/placed.vdw" | sed "s/^/$pieces: /"; then
    status=1
  fi
done
exit $status
