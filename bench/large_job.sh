#!/usr/bin/env bash
# The large job of bench/large_job.py through the stand-in host, as a user
# plays it: import of the 18 DXF parts (command 1), their 920 pieces loaded
# as figures (command 2) and optimised with turns of 90 degrees (command 3),
# each road timed on its own (wall clock and processor time of host_play,
# the library's loading and the drawing's opening and saving included).
#
#   bench/large_job.sh BUILD [FOLDER]      e.g. taskset -c 3 bench/large_job.sh build-release
#
# BUILD holds nesting/libNesting.so and tools/host_play; FOLDER (default a
# fresh temporary folder) keeps the parts, the scripts and what they save.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:?usage: large_job.sh BUILD [FOLDER]}")
folder=$(realpath -m "${2:-$(mktemp -d)}")
mkdir -p "$folder"
/usr/bin/python3 "$root/bench/large_job.py" "$folder"
rm -rf "$folder/out"
mkdir -p "$folder/out"
for road in import load optimise; do
  /usr/bin/time -f "$road: %e s wall, %U s user, %S s system" \
    "$build/tools/host_play" "$folder/$road.play" -D LIB="$build/nesting/libNesting.so" -D OUT="$folder/out" \
    -D PARTS="$folder/parts" --root "$folder/out/host" >/dev/null
done
