#!/bin/sh
# bench/text_frame_cost.sh -- the demo frame's time without and with the key list (F1),
# headless on the offscreen driver at 640 x 480, for each build folder given (each holding
# the program and its demo/ folder). A frame's time is the difference between a long and a
# short run divided by the extra frames, which takes start-up out; the runs of all builds
# are interleaved and each figure is the least of its repetitions.
# usage: bench/text_frame_cost.sh BUILD [BUILD...]   (REPEAT=5 SHORT=20 LONG=220 by default)
set -eu
REPEAT=${REPEAT:-5}
SHORT=${SHORT:-20}
LONG=${LONG:-220}
export SDL_VIDEODRIVER=offscreen
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Seconds one run of $1 frames takes; $2 is the build, $3 the key ("" or F1).
run_once() {
    start=$(date +%s.%N)
    if [ -n "$3" ]; then
        "$2/ostrelle" "$2/demo" --headless --screenshot "$out/shot.png" --frames "$1" --size 640x480 --press "$3" >/dev/null 2>&1
    else
        "$2/ostrelle" "$2/demo" --headless --screenshot "$out/shot.png" --frames "$1" --size 640x480 >/dev/null 2>&1
    fi
    end=$(date +%s.%N)
    echo "$start $end" | awk '{ printf "%.6f\n", $2 - $1 }'
}

i=0
while [ "$i" -lt "$REPEAT" ]; do
    for build in "$@"; do
        for key in none F1; do
            k=$key; [ "$k" = none ] && k=""
            tag=$(echo "$build-$key" | tr '/' '_')
            run_once "$SHORT" "$build" "$k" >>"$out/$tag.short"
            run_once "$LONG" "$build" "$k" >>"$out/$tag.long"
        done
    done
    i=$((i + 1))
done

for build in "$@"; do
    for key in none F1; do
        tag=$(echo "$build-$key" | tr '/' '_')
        s=$(sort -g "$out/$tag.short" | head -n 1)
        l=$(sort -g "$out/$tag.long" | head -n 1)
        echo "$build $key $s $l" | awk -v n=$((LONG - SHORT)) \
            '{ printf "%-40s %-4s %7.3f ms per frame\n", $1, ($2 == "F1" ? "F1" : "-"), ($4 - $3) * 1000 / n }'
    done
done
