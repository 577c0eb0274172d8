#!/usr/bin/env bash
# The real program under Xvfb: draw once, exit through the menu saving the
# progress, start again resuming it, draw once more and exit saving again.
# Pool, counters and results must continue across the restart.
set -euo pipefail
EXE=${1:?usage: resume.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"

# --- first run: one draw of two winners, then exit with Yes -------------------
open_event
draw_and_wait 2
sleep 0.3
exit_saving

mapfile -t first < <(results_winners "$dir/抽奖结果.txt")
[ "${#first[@]}" -eq 2 ] || fail "first run: expected 2 winners, found ${#first[@]}"
[ -f "$dir/进度.txt" ] || fail "no progress file after saving"
[ "$(gbk_text "$dir/进度.txt" | wc -l)" -eq 18 ] || fail "progress file does not hold 18 entries"
for w in "${first[@]}"; do
    gbk_text "$dir/进度.txt" | grep -qx "$w" && fail "winner $w still in the saved pool"
done
[ "$(counter 1)" = 2 ] || fail "counter 1 is '$(counter 1)', expected 2"

# --- second run: resume, draw once more, exit with Yes -----------------------
resume_event
select_level "$win"
draw_and_wait 4
sleep 0.3
exit_saving

mapfile -t all < <(results_winners "$dir/抽奖结果.txt")
[ "${#all[@]}" -eq 4 ] || fail "second run: expected 4 result lines, found ${#all[@]}"
[ "${all[0]}" = "${first[0]}" ] && [ "${all[1]}" = "${first[1]}" ] || fail "earlier results were not kept"
[ "$(printf '%s\n' "${all[@]}" | sort -u | wc -l)" -eq 4 ] || fail "a participant won twice: ${all[*]}"
[ "$(gbk_text "$dir/进度.txt" | wc -l)" -eq 16 ] || fail "progress file does not hold 16 entries"
for w in "${all[@]}"; do
    gbk_text "$dir/进度.txt" | grep -qx "$w" && fail "winner $w still in the saved pool"
done
[ "$(counter 1)" = 4 ] || fail "counter 1 is '$(counter 1)', expected 4"
echo "winners: ${all[*]}"
echo PASS
