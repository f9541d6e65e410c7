#!/usr/bin/env bash
# Writes the demo world's sounds as Ogg Vorbis files (44100 Hz) under OUTDIR,
# laid out as the client's sound pack: OUTDIR/<name>.ogg for each sound name
# the demo world sends in its "sound" tags. Needs sox and oggenc (vorbis-tools).
#
#   scripts/make-demo-sounds.sh OUTDIR
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
out=$1

# make NAME SOX-EFFECTS...: a mono sound synthesized by sox, encoded by oggenc.
make() {
  local name=$1
  shift
  mkdir -p "$(dirname "$out/$name.ogg")"
  sox -V1 -n -r 44100 -c 1 -b 16 -e signed-integer -t raw - "$@" |
    oggenc -Q -q 3 -r -R 44100 -C 1 -B 16 -o "$out/$name.ogg.tmp" -
  mv "$out/$name.ogg.tmp" "$out/$name.ogg"
}

# A dull thump: low noise with a quick fall.
make combat/hit   synth 0.14 brownnoise synth 0.14 sine amod 70 fade q 0.003 0.14 0.12 gain -2
# The rat's squeal: a rising whistle that wavers.
make combat/squeal synth 0.4 sine 1700-3100 tremolo 18 70 fade q 0.02 0.4 0.15 gain -8
# A door creaking open: a slow, rough, falling buzz.
make world/door   synth 0.7 sawtooth 95-55 tremolo 23 80 gain -6 lowpass 1200 fade q 0.05 0.7 0.25
