#!/bin/sh
# bench/text_frame_cost.sh -- the demo frame's time without and with the key list (F1), or with
# the keys pressed in KEYS (one run per entry; "F2,F2" turns the shadows off),
# headless on the offscreen driver at 640 x 480, for each build folder given (each holding
# the program and its demo/ folder). A frame's cost is the difference between a long and a
# short run divided by the extra frames, which takes start-up out: wall time, and the CPU time
# of all the process's threads (the driver rasterises on its own threads), which a busy
# machine disturbs less. The runs of all builds are interleaved and each figure is the least
# of its repetitions. The clock stands at 1 s so that every frame draws the same picture.
# usage: bench/text_frame_cost.sh BUILD [BUILD...]   (REPEAT=5 SHORT=20 LONG=320 KEYS=F1 by default)
set -eu
REPEAT=${REPEAT:-5}
SHORT=${SHORT:-20}
LONG=${LONG:-320}
KEYS=${KEYS:-F1}
export SDL_VIDEODRIVER=offscreen
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Prints "wall cpu" in seconds for one run of $1 frames; $2 is the build, $3 the key or "".
run_once() {
    start=$(date +%s.%N)
    /usr/bin/time -f "%U %S" -o "$out/cpu" "$2/ostrelle" "$2/demo" --headless --screenshot "$out/shot.png" \
        --frames "$1" --time 1 --size 640x480 ${3:+--press "$3"} >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$start $end $(cat "$out/cpu")" | awk '{ printf "%.6f %.2f\n", $2 - $1, $3 + $4 }'
}

i=0
while [ "$i" -lt "$REPEAT" ]; do
    for build in "$@"; do
        for key in none $KEYS; do
            k=$key; [ "$k" = none ] && k=""
            tag=$(echo "$build-$key" | tr '/' '_')
            run_once "$SHORT" "$build" "$k" >>"$out/$tag.short"
            run_once "$LONG" "$build" "$k" >>"$out/$tag.long"
        done
    done
    i=$((i + 1))
done

least() { sort -g -k "$2" "$1" | head -n 1 | awk -v c="$2" '{ print $c }'; }
echo "build                                    key   wall ms/frame   cpu ms/frame"
for build in "$@"; do
    for key in none $KEYS; do
        tag=$(echo "$build-$key" | tr '/' '_')
        echo "$build $key $(least "$out/$tag.short" 1) $(least "$out/$tag.long" 1)" \
             "$(least "$out/$tag.short" 2) $(least "$out/$tag.long" 2)" | awk -v n=$((LONG - SHORT)) \
            '{ printf "%-40s %-6s %10.3f %14.3f\n", $1, ($2 == "none" ? "-" : $2), ($4 - $3) * 1000 / n, ($6 - $5) * 1000 / n }'
    done
done
