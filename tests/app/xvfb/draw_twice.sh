#!/usr/bin/env bash
# The real program under Xvfb: choose a level, draw twice with the keyboard,
# and check the results file line by line.
set -euo pipefail
EXE=${1:?usage: draw_twice.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
open_event
draw_and_wait 2
draw_and_wait 4
sleep 0.3

mapfile -t winners < <(results_winners "$dir/抽奖结果.txt")
[ "${#winners[@]}" -eq 4 ] || fail "expected 4 result lines, found ${#winners[@]}"
[ "$(printf '%s\n' "${winners[@]}" | sort -u | wc -l)" -eq 4 ] || fail "a participant won twice: ${winners[*]}"
# The file ends with CR LF after every line.
[ "$(tail -c 2 "$dir/抽奖结果.txt" | od -An -tx1 | tr -d ' ')" = "0d0a" ] || fail "last line not ended by CR LF"
echo "winners: ${winners[*]}"
echo PASS
