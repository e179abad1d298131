#!/bin/sh
# Times the read-change-write jobs of long_sound_bench against sox on the same 10-minute 44.1 kHz
# stereo file and prints the engine's time as a part of sox's (below 1: the engine is faster).
# sox runs without dither (-D), which the engine does not do either. Not run by CI.
# Usage: bench/compare_sox.sh [path/to/long_sound_bench] (default build/bench/long_sound_bench)
set -eu

engine=${1:-build/bench/long_sound_bench}
if ! command -v sox > /dev/null 2>&1; then
  echo "sox is not installed; nothing to compare." >&2
  exit 0
fi
if [ ! -x "$engine" ]; then
  echo "no $engine: build the target long_sound_bench first" >&2
  exit 1
fi

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
sox -D -n -r 44100 -c 2 -b 16 "$folder/in.wav" synth 600 whitenoise vol 0.5

now_ms() { date +%s%N | cut -c1-13; }

# The fastest of three runs in milliseconds, the least disturbed by other work on the machine.
best_ms() {
  best=
  for _ in 1 2 3; do
    start=$(now_ms)
    "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    took=$(($(now_ms) - start))
    if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
  done
  echo "$best"
}

printf '%-8s %9s %9s %7s\n' job "sox ms" "ours ms" ratio
for job in copy reverse volume lowpass echo tempo; do
  case $job in
    copy) effect= ;;
    reverse) effect=reverse ;;
    volume) effect="vol 0.5" ;;
    lowpass) effect="lowpass -1 1000" ;;
    echo) effect="echo 1 1 100 0.5" ;;
    tempo) effect="tempo 1.25" ;;
  esac
  # $effect is split into words on purpose.
  # shellcheck disable=SC2086
  sox_ms=$(best_ms sox -D "$folder/in.wav" "$folder/sox.wav" $effect)
  ours_ms=$(best_ms "$engine" "$job" "$folder/in.wav" "$folder/ours.wav")
  awk -v job="$job" -v s="$sox_ms" -v o="$ours_ms" 'BEGIN { printf "%-8s %9d %9d %7.2f\n", job, s, o, o / (s > 0 ? s : 1) }'
done
