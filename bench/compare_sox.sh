#!/bin/sh
# Times the read-change-write jobs of long_sound_bench against sox on the same 10-minute 44.1 kHz
# stereo file and prints the engine's time as a part of sox's (below 1: the engine is faster).
# The two run in turn, sox then the engine, RUNS times (default 7), so both meet the same load on
# a shared machine; each side shows its median and its spread (fastest to slowest), and the ratio
# is the median of the ratios pair by pair.
# Both do the same work: sox runs without dither (-D), which the engine does not do either; the
# lowpass is one pole at 1000 Hz on both sides (the engine's job sets the same coefficient); the
# input is independent noise per channel, quiet enough that the echo never clips. Tempo is printed
# apart: sox searches for the best overlap, the engine cross-fades two heads at fixed places, so
# those times compare two different algorithms. Not run by CI.
# Usage: [RUNS=n] bench/compare_sox.sh [path/to/long_sound_bench] (default build/bench/long_sound_bench)
set -eu

engine=${1:-build/bench/long_sound_bench}
runs=${RUNS:-7}
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
# Peaks near 0.53 of full scale: with the echo at half volume they stay below 0.8.
sox -D -n -r 44100 -c 2 -b 16 "$folder/in.wav" synth 600 whitenoise whitenoise vol 0.3

now_ns() { date +%s%N; }

# Milliseconds one run of the command takes.
run_ms() {
  start=$(now_ns)
  "$@" > /dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  echo $((($(now_ns) - start) / 1000000))
}

effect_of() {
  case $1 in
    copy) echo "" ;;
    reverse) echo "reverse" ;;
    volume) echo "vol 0.5" ;;
    lowpass) echo "lowpass -1 1000" ;;
    echo) echo "echo 1 1 100 0.5" ;;
    tempo) echo "tempo 1.25" ;;
  esac
}

# Prints: job, sox median min max, ours median min max, median of the pair ratios.
compare() {
  job=$1
  effect=$(effect_of "$job")
  pairs=
  i=0
  while [ "$i" -lt "$runs" ]; do
    # $effect is split into words on purpose.
    # shellcheck disable=SC2086
    s=$(run_ms sox -D "$folder/in.wav" "$folder/sox.wav" $effect)
    o=$(run_ms "$engine" "$job" "$folder/in.wav" "$folder/ours.wav")
    pairs="$pairs $s:$o"
    i=$((i + 1))
  done
  echo "$pairs" | tr ' ' '\n' | awk -F: -v job="$job" '
    NF == 2 { n++; s[n] = $1; o[n] = $2; r[n] = $2 / ($1 > 0 ? $1 : 1) }
    function sort(a, k,   i, j, t) {
      for (i = 2; i <= k; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
    }
    function median(a, k) { return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2 }
    END {
      sort(s, n); sort(o, n); sort(r, n)
      printf "%-8s %8.0f %5d-%-5d %8.0f %5d-%-5d %6.2f %5.2f-%-5.2f\n", job, median(s, n), s[1], s[n],
             median(o, n), o[1], o[n], median(r, n), r[1], r[n]
    }'
}

header() { printf '%-8s %8s %11s %8s %11s %6s %11s\n' job "sox ms" spread "ours ms" spread ratio spread; }

echo "$runs runs of each, in turn"
header
for job in copy reverse volume lowpass echo; do compare "$job"; done
echo
echo "Different algorithms, not the same work: sox's tempo searches for the best overlap, the"
echo "engine's cross-fades two heads at fixed places."
header
compare tempo
