#!/usr/bin/env bash
# The demo event on two monitors under Xvfb (hall 1920x1080, operator's
# 1280x800 beside it): one draw from the console, then a picture of both
# screens side by side, scaled to half size.
# Usage: scripts/screenshot-two-screens.sh [out.png]   (default docs/two-screens.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/two-screens.png}")
BUILD=${BUILD_DIR:-$root/build}
XVFB_SCREEN=3200x1080x24
source "$root/scripts/xvfb-lib.sh"

exe="$BUILD/demo/luckdial"
[ -x "$exe" ] || fail "build $exe first"
dir=$(mktemp -d)
trap 'xvfb_cleanup; rm -rf "$dir"' EXIT
cp -r "$root/demo/." "$dir/"
install_program "$exe" "$dir"
xvfb_start
xrandr --setmonitor HALL 1920/508x1080/286+0+0 screen >/dev/null
xrandr --setmonitor OPER 1280/338x800/211+1920+0 none >/dev/null
# The hall screen stored in the general section, which opens the file.
iconv -f GBK -t UTF-8 "$root/demo/peizhi.a" | sed 's/^\[zbt\]\r$/[zbt]\r\n大屏幕=HALL\r/' |
    iconv -f UTF-8 -t GBK >"$dir/peizhi.a"
app_start "$dir"
hall=$(wait_window '^LuckdialVer')
desk=$(wait_window '控制台$')
select_level "$hall" "${SHOT_LEVEL:-3}"
key_to "$desk" Next
sleep 1.0
key_to "$desk" Next
wait_lines "$dir/抽奖结果.txt" 1 15
sleep "${SHOT_DELAY:-1.6}"
xdotool mousemove 3199 1079
mkdir -p "$(dirname "$out")"
import -display "$DISPLAY" -window root -resize 50% "$out"
echo "saved $out"
