#!/usr/bin/env bash
# The real program under Xvfb: a click on the stop button with Ctrl held
# stops the draw (only the start button moves with Ctrl).
set -euo pipefail
EXE=${1:?usage: ctrl_stop.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
open_event
key_to "$win" space
sleep 0.8
[ -f "$dir/抽奖结果.txt" ] && fail "results written before the draw was stopped"

# The start and stop buttons share one place: centred, at the design top 190,
# 199 x 70.
width=$(xdotool getdisplaygeometry | cut -d' ' -f1)
xdotool mousemove $((width / 2)) 225
sleep 0.2
xdotool keydown ctrl click 1 keyup ctrl
wait_lines "$dir/抽奖结果.txt" 2 10
mapfile -t winners < <(results_winners "$dir/抽奖结果.txt")
[ "${#winners[@]}" -eq 2 ] || fail "expected 2 result lines, found ${#winners[@]}"
echo "stopped with Ctrl held; winners: ${winners[*]}"
echo PASS
