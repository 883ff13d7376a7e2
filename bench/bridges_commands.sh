#!/usr/bin/env bash
# Bridges read before every command, through the stand-in host: the placed
# job of the end-to-end scripts (tests/data/e2e/job.txt, made by nesting_job)
# with a bridge on each of its three parts, copied with them by the host's own
# tool while the library is away until 3,072 parts and 3,072 bridges stand on
# the sheet's view; then the first command (every copied bridge made the
# bridge of its copy), and a command on the drawing so settled, each timed
# against opening the drawing alone (wall clock and processor time of
# host_play, the library's loading and the drawing's opening included).
#
#   bench/bridges_commands.sh BUILD [FOLDER]      e.g. taskset -c 3 bench/bridges_commands.sh build-release
#
# BUILD holds nesting/libNesting.so, tools/host_play and tools/nesting_job;
# FOLDER (default a fresh temporary folder) keeps the scripts and drawings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:?usage: bridges_commands.sh BUILD [FOLDER]}")
folder=$(realpath -m "${2:-$(mktemp -d)}")
mkdir -p "$folder"
lib="$build/nesting/libNesting.so"
"$build/tools/nesting_job" "$root/tests/data/e2e/job.txt" "$folder/job.vdw" --placed --library "$lib" >/dev/null
bridges='"macro:Мостик: Plate b30.0 тип-1" "macro:Мостик: Cross b30.0 тип-1" "macro:Мостик: Diamond b30.0 тип-1"'
{
  printf 'load ${LIB}\nopen %s\ncommand 10\nclick 90 60\nclick 25 65\nclick 55 137.0711\nenter\nunload\n' "$folder/job.vdw"
  for k in $(seq 0 9); do
    printf 'copy macro:Plate macro:Cross macro:Diamond %s by 0 %d\n' "$bridges" $((200 * (1 << k)))
  done
  printf 'save %s\n' "$folder/copied.vdw"
} >"$folder/copy.play"
printf 'load ${LIB}\nopen ${DRAWING}\n' >"$folder/open.play"
printf 'load ${LIB}\nopen ${DRAWING}\ncommand 9\nsave ${SAVE}\n' >"$folder/command.play"
play() {
  /usr/bin/time -f "$1: %e s wall, %U s user, %S s system" \
    "$build/tools/host_play" "$folder/$2.play" -D LIB="$lib" -D DRAWING="$folder/$3.vdw" -D SAVE="$folder/$4.vdw" \
    --root "$folder/host" >/dev/null
}
play "3,072 parts and bridges copied" copy job unused
play "open alone" open copied unused
play "first command" command copied settled
play "a command, settled" command settled again
