#!/usr/bin/env bash
# The real program under Xvfb at 1920x1080: an event whose every participant
# has a photo (the demo's portraits) draws five winners, and after the stop
# the hall shows each as a card with its photo, not the placeholder. Each
# demo portrait has a flat backdrop of one of eight colours chosen by the
# staff number (scripts/make-demo-photos.sh); the screenshot must hold one
# large region of each winner's colour per winner, and none before the draw.
set -euo pipefail
EXE=${1:?usage: photos.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
demo="$here/../../../demo"
XVFB_SCREEN=1920x1080x24
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is missing" >&2; exit 77; }
command -v convert >/dev/null && command -v import >/dev/null || fail "ImageMagick (convert, import) is missing"


# The backdrops of make-demo-photos.sh, by staff number % 8.
backdrops=("#3d7fbf" "#c0504d" "#4f9d69" "#8064a2" "#e0a030" "#2aa3a3" "#d46a9f" "#9bbb59")
photo_count=$(find "$demo/照片" -name '*.jpg' | wc -l)
[ "$photo_count" -ge 20 ] || fail "the demo has $photo_count photos"

# The demo's first participants, each with a photo; one level of ten drawn
# five at a time in five columns. No 照片1 item: most of the pool has photos,
# so the level shows cards by itself.
make_event() {
    local dir=$1
    head -n "$photo_count" "$demo/抽奖号码库.txt" >"$dir/抽奖号码库.txt"
    cp -r "$demo/照片" "$dir/照片"
    printf '[zbt]\r\n界面大小=全屏\r\n背景音乐=假\r\n禁用特效=真\r\n烟花时间=1\r\n自动停止=0\r\n滚动速度=30\r\n特等奖=特等奖\r\n特等奖人数=10\r\n特等奖一次抽取人数=5\r\n列1=5\r\n' |
        to_gbk >"$dir/peizhi.a"
}

# Regions of the screenshot in colour $2 (JPEG and scaling shift it a little)
# of at least $3 pixels, counted on every fourth pixel of every fourth row
# (sampled, not blended: the colours stay) to keep each look short.
regions() {
    local shot=$1 colour=$2 least=$3
    convert "$shot" -sample 25% -fuzz 7% -fill black +opaque "$colour" -fill white -opaque "$colour" \
        -define connected-components:verbose=true -connected-components 8 null: 2>/dev/null |
        awk -v least="$least" '/(255,255,255)|gray\(255\)|white/ && $(NF-1) + 0 >= least { n++ } END { print n + 0 }'
}

# "n0 n1 ... n7": the regions of every backdrop colour.
census() {
    local shot=$1 out=() c
    for c in "${backdrops[@]}"; do out+=("$(regions "$shot" "$c" "$least")"); done
    echo "${out[*]}"
}

start_event "$EXE"
shot="$dir/shot.png"
# The smallest card at 1920x1080 has a photo 14% of the height (151 pixels
# high, 113 wide: 28 by 38 sampled); its backdrop is about two fifths of it.
least=250
open_event
import -display "$DISPLAY" -window root "$shot"
before=$(census "$shot")
[ "$before" = "0 0 0 0 0 0 0 0" ] || fail "photo colours on the screen before any draw: $before"

draw_and_wait 5
mapfile -t drawn < <(gbk_text "$dir/抽奖结果.txt" | sed -n 's/^\([0-9]*\) .*  ------  特等奖$/\1/p')
[ "${#drawn[@]}" -eq 5 ] || fail "expected 5 winners, found ${#drawn[@]}"
want=(0 0 0 0 0 0 0 0)
for n in "${drawn[@]}"; do want[$((10#$n % 8))]=$((want[$((10#$n % 8))] + 1)); done

# Photos are decoded off the window's thread: the cards may show the
# placeholder for a moment after the stop, never for long.
xdotool mousemove 1919 0
got=""
started=$SECONDS
while [ $((SECONDS - started)) -lt 10 ]; do
    import -display "$DISPLAY" -window root "$shot"
    got=$(census "$shot")
    [ "$got" = "${want[*]}" ] && break
    sleep 0.3
done
[ "$got" = "${want[*]}" ] ||
    fail "the cards of ${drawn[*]} should show photo backdrops ${want[*]} (by colour), the screen has $got"
echo "winners: ${drawn[*]}; photo regions by colour: $got"
echo PASS
