#!/bin/sh
# bench/demo_frames.sh -- frames per second of the demo at 640 x 480, headless on the offscreen
# driver, with neither stage, with stereo (R) and with the glow (F5), in one run. A frame's
# cost is the difference between a long and a short run divided by the extra frames, which
# takes start-up out; the runs of the three variants are interleaved and each figure is the
# least of its repetitions. The clock stands at 1 s so that every frame draws the same picture.
# usage: bench/demo_frames.sh BUILD   (BUILD holds the program and its demo/ folder;
#        REPEAT=3 SHORT=20 LONG=220 by default)
set -eu
build=$1
REPEAT=${REPEAT:-3}
SHORT=${SHORT:-20}
LONG=${LONG:-220}
export SDL_VIDEODRIVER=offscreen
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Prints the wall seconds of one run of $1 frames with the key $2 ("" for none).
run_once() {
    start=$(date +%s.%N)
    "$build/ostrelle" "$build/demo" --headless --screenshot "$out/shot.png" --frames "$1" --time 1 \
        --size 640x480 ${2:+--press "$2"} >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$start $end" | awk '{ printf "%.6f\n", $2 - $1 }'
}

i=0
while [ "$i" -lt "$REPEAT" ]; do
    for variant in neither R F5; do
        key=$variant; [ "$key" = neither ] && key=""
        run_once "$SHORT" "$key" >>"$out/$variant.short"
        run_once "$LONG" "$key" >>"$out/$variant.long"
    done
    i=$((i + 1))
done

least() { sort -g "$1" | head -n 1; }
echo "variant     ms/frame      fps"
for variant in neither R F5; do
    name=$variant; [ "$variant" = R ] && name=stereo; [ "$variant" = F5 ] && name=glow
    echo "$name $(least "$out/$variant.short") $(least "$out/$variant.long")" | awk -v n=$((LONG - SHORT)) \
        '{ ms = ($3 - $2) * 1000 / n; printf "%-8s %11.3f %8.1f\n", $1, ms, 1000 / ms }'
done
