#!/usr/bin/env bash
# The real program under Xvfb: the results window (F1) stays open on Escape
# and other stray keys, and closes on a double-click.
set -euo pipefail
EXE=${1:?usage: results_keys.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
open_event
draw_and_wait 2

key_to "$win" F1
results=$(wait_window '^抽奖结果$')
visible() { xdotool search --onlyvisible --name '^抽奖结果$' 2>/dev/null | grep -qx "$results"; }
for key in Escape Return space a Tab; do
    key_to "$results" "$key"
    sleep 0.4
    visible || fail "the results window closed on the key $key"
done
echo "open after Escape, Return, space, a, Tab"

# A double-click still closes it (the check above can see a closed window).
xdotool mousemove 300 400 click --repeat 2 --delay 80 1
for _ in $(seq 1 30); do
    visible || break
    sleep 0.1
done
visible && fail "a double-click did not close the results window"
echo PASS
