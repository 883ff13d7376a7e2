#!/usr/bin/env bash
# One placement two ways: through the automation interface, as a program
# driving the library calls it (tools/nesting_job --placed: IOptimizer's
# Init and RunOptimization), and through the optimisation command, as a user
# plays it (tools/host_play: command 3, "Начать оптимизацию", Enter). For each
# count, washers Ø24 (a hole Ø13) and plates 40 × 15, half each, are loaded
# into the container of a 3000 × 1500 sheet (gaps 2 between parts and 5 to
# the edge) through the automation model, the same way for both routes, and
# placed without turns; the command is timed with turns of 90° too. Prints the
# wall seconds of each placement (the automation call's alone, without the
# drawing's making and saving; the command's start button and Enter), the
# automation against the command, and the sheets each filled.
#
#   bench/automation_placement.sh BUILD [FOLDER [PIECES...]]
#       e.g. taskset -c 0,1 bench/automation_placement.sh build
#
# BUILD holds nesting/libNesting.so, tools/nesting_job, tools/host_play and
# tools/job_check; FOLDER (default a fresh temporary folder) keeps each
# count's parts list, scripts, drawings and times; PIECES default 1200 6000.
# Exit status 1 when a route fails or leaves a piece unplaced, when the
# automation call takes more than twice the command's time, or when from the
# first count to the last one a placement's time grows past one and a half
# times the pieces' ratio (a placement that walks every part placed for each
# part it places).
set -euo pipefail
build=$(realpath "${1:?usage: automation_placement.sh BUILD [FOLDER [PIECES...]]}")
folder=$(realpath -m "${2:-$(mktemp -d)}")
shift $(($# < 2 ? $# : 2))
counts=("${@:-}")
[ -n "${counts[0]}" ] || counts=(1200 6000)
lib="$build/nesting/libNesting.so"
status=0
declare -A first
for pieces in "${counts[@]}"; do
  job="$folder/$pieces"
  rm -rf "$job"
  mkdir -p "$job"
  half=$((pieces / 2))
  printf 'Шайба 24|%d|2|Ст3|@0,0,12;@0,0,6.5\nПластина 40x15|%d|2|Ст3|0,0 40,0 40,15 0,15\n' \
    "$half" "$((pieces - half))" >"$job/parts.txt"
  common=("$job/parts.txt" --sheet 3000 1500 --gaps 2 5 --library "$lib")
  # The automation route: the drawing made, then placed by IOptimizer.
  if ! "$build/tools/nesting_job" "${common[@]}" "$job/automation.vdw" --placed --times "$job/automation.times" \
      >"$job/automation.log" 2>&1; then
    echo "$pieces: automation failed (see $job/automation.log)"
    status=1
    continue
  fi
  automation=$(awk -F'\t' '$1 == "place" { printf "%.2f", $2 }' "$job/automation.times")
  # The command's route: the same drawing, unplaced, opened and optimised.
  "$build/tools/nesting_job" "${common[@]}" "$job/unplaced.vdw" >"$job/unplaced.log" 2>&1
  for turns in 0 90; do
    cat >"$job/command_$turns.play" <<EOF
load \${LIB}
open \${JOB}
command 3
set "Поворот деталей" $turns
press "Начать оптимизацию"
enter
save \${OUT}
expect faults 0
EOF
    if ! "$build/tools/host_play" "$job/command_$turns.play" -D LIB="$lib" -D JOB="$job/unplaced.vdw" \
        -D OUT="$job/command_$turns.vdw" --root "$job/host_$turns" --times "$job/command_$turns.times" \
        >"$job/command_$turns.log" 2>&1; then
      echo "$pieces: command with turns of $turns° failed (see $job/command_$turns.log)"
      status=1
      continue 2
    fi
  done
  # The start button and Enter, as the user waits for them.
  command0=$(awk -F'\t' '$6 ~ /^press "Начать/ || $6 == "enter" { s += $2 } END { printf "%.2f", s }' "$job/command_0.times")
  command90=$(awk -F'\t' '$6 ~ /^press "Начать/ || $6 == "enter" { s += $2 } END { printf "%.2f", s }' "$job/command_90.times")
  ratio=$(awk -v a="$automation" -v c="$command0" 'BEGIN { printf "%.2f", (c > 0 ? a / c : 0) }')
  echo "$pieces: automation $automation s, command $command0 s (turns of 90°: $command90 s), automation / command $ratio"
  for route in automation command_0; do
    summary=$("$build/tools/job_check" summary "$job/$route.vdw")
    echo "$pieces: $route: $(echo "$summary" | grep -E '^  sheets used' | sed 's/^ *//'), $(echo "$summary" | grep -E '^  parts' | sed 's/^ *//')"
    echo "$summary" | grep -q " 0 in the container" || status=1
  done
  awk -v r="$ratio" 'BEGIN { exit !(r > 2.0) }' && { echo "$pieces: the automation call costs more than twice the command"; status=1; }
  for route in automation:$automation command:$command0 command_90:$command90; do
    name=${route%%:*}
    seconds=${route#*:}
    if [ -z "${first[$name]:-}" ]; then
      first[$name]="$pieces $seconds"
      continue
    fi
    read -r p0 s0 <<<"${first[$name]}"
    if awk -v p0="$p0" -v s0="$s0" -v p="$pieces" -v s="$seconds" \
        'BEGIN { exit !(s0 > 0 && s / s0 > 1.5 * p / p0) }'; then
      times=$(awk -v s0="$s0" -v s="$seconds" 'BEGIN { printf "%.1f", s / s0 }')
      echo "$pieces: $name takes $times times the time of $p0 pieces"
      status=1
    fi
  done
done
exit $status
