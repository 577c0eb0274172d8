#!/usr/bin/env bash
# Starts the real program under Xvfb on a copy of the demo event, draws once
# with the keyboard and saves a picture of the screen during the fireworks.
# Usage: scripts/screenshot.sh [out.png]   (default docs/screenshot.png)
# Builds first unless the executable exists (BUILD_DIR, default build).
# XVFB_SCREEN sets the screen (default 1280x720x24), SHOT_LEVEL the level's
# place in the selector (default 3, three winners; 6 draws twenty).
# SHOT_PER_DRAW makes that level draw so many at once (its quota too), in
# SHOT_COLUMNS columns (default 10): a draw the hall shows in pages.
# SHOT_PHOTOS_ONLY=1 keeps only the participants with a demo photo, so that
# every level shows its winners as cards with their photos.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/screenshot.png}")
BUILD=${BUILD_DIR:-$root/build}
XVFB_SCREEN=${XVFB_SCREEN:-1280x720x24}
source "$root/scripts/xvfb-lib.sh"

exe="$BUILD/demo/luckdial"
if [ ! -x "$exe" ]; then
    cmake -S "$root" -B "$BUILD" -G Ninja >/dev/null
    cmake --build "$BUILD" --target luckdial
fi

dir=$(mktemp -d)
trap 'xvfb_cleanup; rm -rf "$dir"' EXIT
cp -r "$root/demo/." "$dir/"
install_program "$exe" "$dir"
if [ -n "${SHOT_PER_DRAW:-}" ]; then
    n=${SHOT_LEVEL:-3}
    words=(特等奖 一等奖 二等奖 三等奖 四等奖 五等奖 六等奖 七等奖)
    w=${words[$((n - 1))]}
    iconv -f GBK -t UTF-8 "$dir/peizhi.a" | tr -d '\r' |
        sed -e "s/^${w}人数=.*/${w}人数=$SHOT_PER_DRAW/" \
            -e "s/^${w}一次抽取人数=.*/${w}一次抽取人数=$SHOT_PER_DRAW/" \
            -e "s/^列$n=.*/列$n=${SHOT_COLUMNS:-10}/" -e 's/$/\r/' | to_gbk >"$dir/peizhi.new"
    mv "$dir/peizhi.new" "$dir/peizhi.a"
fi
if [ -n "${SHOT_PHOTOS_ONLY:-}" ]; then
    head -n "$(find "$dir/照片" -name '*.jpg' | wc -l)" "$dir/抽奖号码库.txt" >"$dir/pool.new"
    mv "$dir/pool.new" "$dir/抽奖号码库.txt"
fi
xvfb_start
app_start "$dir"
win=$(wait_window '^Luckdial')

# One draw run of the chosen level.
select_level "$win" "${SHOT_LEVEL:-3}"
key_to "$win" space
sleep 1.0
key_to "$win" space
wait_lines "$dir/抽奖结果.txt" 1 15
sleep "${SHOT_DELAY:-1.6}"
xdotool mousemove $(( $(xdotool getdisplaygeometry | cut -d' ' -f1) - 1 )) 0

mkdir -p "$(dirname "$out")"
import -display "$DISPLAY" -window root "$out"
echo "saved $out"
