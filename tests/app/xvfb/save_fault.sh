#!/usr/bin/env bash
# The real program under Xvfb, with the configuration file's replace failing
# right after the new pool text was written (a full disk, a file made
# read-only): the save is refused and told, the saved progress and counters
# stay as they were, and a later start resumes them together. Then the
# program is killed; declining the recovery record and resuming gives the
# same older state, and the level still stops at its quota.
set -euo pipefail
EXE=${1:?usage: save_fault.sh path/to/luckdial path/to/fault-shim.so}
SHIM=$(realpath "${2:?usage: save_fault.sh path/to/luckdial path/to/fault-shim.so}")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
saved=$(mktemp)
trap 'xvfb_cleanup; rm -rf "$dir" "$saved"' EXIT
results="$dir/抽奖结果.txt"

# --- first run: one draw of two, saved at exit -------------------------------
open_event
draw_once "$win"
wait_lines "$results" 2
sleep 0.3
exit_saving
cp "$dir/进度.txt" "$saved"
[ "$(entries "$saved" | wc -l)" -eq 18 ] || fail "the first save does not hold 18 entries"
[ "$(counter 1)" = 2 ] || fail "counter 1 is '$(counter 1)' after the first save"

# --- second run: resume, draw, save with the counters' write failing ----------
app_start_faulty "$SHIM" fail peizhi.a 进度_新.txt
answer_box '^提示$' Return
win=$(wait_window '^Luckdial')
select_level "$win"
draw_once "$win"
wait_lines "$results" 4
sleep 0.3
menu_exit
answer_box '退出是否保存进度' Return
answer_box '^提示$' Return
sleep 1
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended although its progress could not be saved"
grep -q 'luckdial-fault: fail' "$APP_LOG" || fail "the fault was never injected"
echo "left on disk after the failed save:"
list_dir
cmp -s "$dir/进度.txt" "$saved" || fail "the failed save changed the progress file"
[ "$(counter 1)" = 2 ] || fail "the failed save changed counter 1 to '$(counter 1)'"
[ ! -e "$dir/进度_新.txt" ] || fail "the failed save left its pending text"
[ -z "$(find "$dir" -maxdepth 1 -name '.*.??????')" ] || fail "the failed save left a temporary"

# Then the power goes.
app_kill
[ -f "$dir/抽奖恢复.dat" ] || fail "no recovery record after the kill"

# --- third run: decline the record, resume the saved progress ---------------
app_start "$dir"
answer_box '^提示$' Escape
answer_box '^提示$' Return
win=$(wait_window '^Luckdial')
ls "$dir"/抽奖恢复_*.dat >/dev/null 2>&1 || fail "the declined record was not kept"
[ ! -e "$dir/抽奖恢复.dat" ] || fail "the declined record is still in place"
# Resumed at two winners of six: two draws of two, then the level is full.
select_level "$win"
draw_once "$win"
wait_lines "$results" 6
draw_once "$win"
wait_lines "$results" 8
sleep 0.3
key_to "$win" space
answer_box '^信息提示$' Return
exit_saving

echo "left on disk at the end:"
list_dir
[ "$(counter 1)" = 6 ] || fail "counter 1 is '$(counter 1)', expected 6"
[ "$(entries "$dir/进度.txt" | wc -l)" -eq 14 ] || fail "the final save does not hold 14 entries"
# The winners of the saved first run never came back.
mapfile -t all < <(results_winners "$results")
for w in "${all[@]:0:2}"; do
    printf '%s\n' "${all[@]:4}" | grep -qx "$w" && fail "winner $w of the saved run won again"
done
echo "winners: ${all[*]}"
echo PASS
