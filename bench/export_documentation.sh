#!/usr/bin/env bash
# The README's job (tests/e2e/your_job.play) on a shop's 16 parts drawn as a
# drawing office draws them (tests/e2e/make_shop_parts.py --drawn TIMES: every
# count TIMES as large), played as a user plays it through the stand-in host:
# import, source data, optimisation with turns of 90°, a bridge, remnants,
# export (DXF and fragments) and documentation. For each TIMES prints the
# pieces, sheets and remnants of the job, then the wall seconds and peak
# memory of the export (Enter of command 6) and of the documentation
# (command 7) as host_play's --times gives them, the files each wrote and
# the milliseconds per file, and the optimisation's seconds beside them.
# Then a job of many small sheets through the automation interface
# (tools/nesting_job --times: four parts, 60 × TIMES pieces each, on
# sheets of 500 × 400, placed, remnants built, exported and documented): the
# sheets, and the seconds and files of the export and the documentation.
#
#   bench/export_documentation.sh BUILD [FOLDER [TIMES...]]
#       e.g. taskset -c 0,1 bench/export_documentation.sh build
#
# BUILD holds nesting/libNesting.so, tools/host_play, tools/nesting_job and tools/job_check;
# FOLDER (default a fresh temporary folder) keeps each job's parts and what
# the job wrote; TIMES default 10 20 40. Exit status 1 when a job fails, or
# when a file of the largest job takes more than twice as long as one of the
# smallest (the time grows faster than the files), on either route.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:?usage: export_documentation.sh BUILD [FOLDER [TIMES...]]}")
folder=$(realpath -m "${2:-$(mktemp -d)}")
shift $(($# < 2 ? $# : 2))
scales=("${@:-}")
[ -n "${scales[0]}" ] || scales=(10 20 40)
status=0
first=""
last=""
for times in "${scales[@]}"; do
  job="$folder/x$times"
  rm -rf "$job"
  mkdir -p "$job"
  /usr/bin/python3 "$root/tests/e2e/make_shop_parts.py" "$job/parts" --drawn "$times"
  if ! LC_ALL=C.UTF-8 "$build/tools/host_play" "$root/tests/e2e/your_job.play" -D LIB="$build/nesting/libNesting.so" \
      -D PARTS="$job/parts" -D "BRIDGED=Фланец 140" -D "LIST=$root/examples/linear/Профиль 40x20.csv" \
      -D OUT="$job/out" --root "$job/host" --times "$job/times" >"$job/log" 2>&1; then
    echo "x$times: the job failed (see $job/log)"
    status=1
    continue
  fi
  summary=$("$build/tools/job_check" summary "$job/out/job.vdw")
  pieces=$(echo "$summary" | sed -n 's/^  parts *\([0-9]*\) pieces.*/\1/p')
  sheets=$(echo "$summary" | sed -n 's/^  sheets used *\([0-9]*\).*/\1/p')
  remnants=$(echo "$summary" | sed -n 's/^  remnants *\([0-9]*\).*/\1/p')
  # The steps of host_play's times: the Enter after command 6, and command 7.
  step() { awk -F'\t' -v what="$1" '$6 == "command 6" { six = 1 } six && $6 == "enter" && what == "export" { print $2, $4; six = 0 }
                                     $6 == "command 7" && what == "documentation" { print $2, $4 }' "$job/times"; }
  read -r exportS exportKb < <(step export)
  read -r docsS docsKb < <(step documentation)
  optimise=$(awk -F'\t' '$6 ~ /^press "Начать/ { print $2 }' "$job/times")
  exported=$(find "$job/out/export" -type f | wc -l)
  documented=$(find "$job/out/docs" -type f | wc -l)
  perFile=$(awk -v a="$exportS" -v b="$docsS" -v n="$((exported + documented))" 'BEGIN { printf "%.2f", (a + b) * 1000 / n }')
  echo "x$times: $pieces pieces, $sheets sheets, $remnants remnants; optimisation $optimise s"
  echo "x$times: export $exportS s, $exported files, $(awk -v s="$exportS" -v n="$exported" 'BEGIN { printf "%.2f", s * 1000 / n }') ms a file, peak $exportKb kB"
  echo "x$times: documentation $docsS s, $documented files, $(awk -v s="$docsS" -v n="$documented" 'BEGIN { printf "%.2f", s * 1000 / n }') ms a file, peak $docsKb kB"
  [ -n "$first" ] || first=$perFile
  last=$perFile
done
grows() {
  if [ -n "$2" ] && awk -v a="$2" -v b="$3" 'BEGIN { exit !(b > 2 * a) }'; then
    echo "$1: a file of the largest job took $3 ms, of the smallest $2 ms: the time grows faster than the files"
    status=1
  fi
}
grows "the README's job" "$first" "$last"
first=""
last=""
for times in "${scales[@]}"; do
  job="$folder/sheets_x$times"
  rm -rf "$job"
  mkdir -p "$job"
  n=$((60 * times))
  printf 'Шайба 60|%d|2|Ст3|@0,0,30;@0,0,10\nПластина 120x50|%d|2|Ст3|0,0 120,0 120,50 0,50\nКосынка|%d|2|Ст3|0,0 100,0 0,80\nПланка 200x30|%d|2|Ст3|0,0 200,0 200,30 0,30\n' \
    "$n" "$n" "$n" "$n" >"$job/parts.txt"
  if ! "$build/tools/nesting_job" "$job/parts.txt" "$job/job.vdw" --sheet 500 400 --gaps 3 5 --placed --remnants \
      --export "$job/export" --document "$job/docs/" --times "$job/times" >"$job/log" 2>&1; then
    echo "sheets x$times: the job failed (see $job/log)"
    status=1
    continue
  fi
  sheets=$("$build/tools/job_check" summary "$job/job.vdw" | sed -n 's/^  sheets used *\([0-9]*\).*/\1/p')
  exportS=$(awk -F'\t' '$1 == "export" { printf "%.2f", $2 }' "$job/times")
  docsS=$(awk -F'\t' '$1 == "document" { printf "%.2f", $2 }' "$job/times")
  exported=$(find "$job/export" -type f | wc -l)
  documented=$(find "$job/docs" -type f | wc -l)
  perFile=$(awk -v a="$exportS" -v b="$docsS" -v n="$((exported + documented))" 'BEGIN { printf "%.2f", (a + b) * 1000 / n }')
  echo "sheets x$times: $((4 * n)) pieces on $sheets sheets; export $exportS s, $exported files; documentation $docsS s, $documented files; $perFile ms a file"
  [ -n "$first" ] || first=$perFile
  last=$perFile
done
grows "many sheets" "$first" "$last"
exit $status
