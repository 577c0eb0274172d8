#!/usr/bin/env bash
# The real program under Xvfb, killed with SIGKILL during a draw: the next
# start offers to continue, and continuing gives back the pool, the counters
# and the results exactly as after the last finished draw. Drawing the pool
# out afterwards shows that nobody wins twice and that the level stops at its
# quota.
set -euo pipefail
EXE=${1:?usage: crash_recovery.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
# Twenty participants, one level of twenty drawn four at a time.
printf '[zbt]\r\n界面大小=全屏\r\n背景音乐=假\r\n禁用特效=真\r\n烟花时间=1\r\n自动停止=0\r\n滚动速度=30\r\n特等奖=特等奖\r\n特等奖人数=20\r\n特等奖一次抽取人数=4\r\n列1=4\r\n' |
    to_gbk >"$dir/peizhi.a"
results="$dir/抽奖结果.txt"
snapshot=$(mktemp)
trap 'xvfb_cleanup; rm -rf "$dir" "$snapshot"' EXIT

# --- first run: two draws, then killed while the third one scrolls ----------
open_event
draw_once "$win"
wait_lines "$results" 4
draw_once "$win"
wait_lines "$results" 8
sleep 0.3
cp "$results" "$snapshot"
key_to "$win" space
sleep 0.4
app_kill

echo "left on disk after the kill:"
list_dir
[ -f "$dir/抽奖恢复.dat" ] || fail "no recovery record after the kill"
[ ! -e "$dir/进度.txt" ] || fail "a progress file appeared without a save"
cmp -s "$results" "$snapshot" || fail "the results file changed during the killed draw"
mapfile -t before < <(results_winners "$results")
[ "${#before[@]}" -eq 8 ] || fail "expected 8 winners before the kill, found ${#before[@]}"
# What a writer killed in the middle of a replace leaves; start-up removes
# it, and nothing that is not the program's own.
printf 'partial' >"$dir/.抽奖结果.txt.k1LLed"
printf 'mine' >"$dir/.notes.txt.k1LLed"

# --- second run: continue from the last draw ---------------------------------
resume_event
[ ! -e "$dir/.抽奖结果.txt.k1LLed" ] || fail "the stale temporary was not removed"
[ -e "$dir/.notes.txt.k1LLed" ] || fail "a file that is not the program's was removed"
cmp -s "$results" "$snapshot" || fail "the results file changed at the restart"

# Twelve left: three draws of four, the last one empties the pool.
select_level "$win"
draw_once "$win"
wait_lines "$results" 12
draw_once "$win"
wait_lines "$results" 16
draw_once "$win"
box=$(wait_window '^信息：$')
key_to "$box" Return
wait_lines "$results" 20
sleep 0.3
mapfile -t all < <(results_winners "$results")
[ "${#all[@]}" -eq 20 ] || fail "expected 20 winners, found ${#all[@]}"
[ "$(printf '%s\n' "${all[@]}" | sort -u | wc -l)" -eq 20 ] || fail "a participant won twice: ${all[*]}"
size=$(stat -c %s "$snapshot")
cmp -s -n "$size" "$results" "$snapshot" || fail "the earlier lines are not at the top of the results file"
ls "$dir"/抽奖结果_*.txt >/dev/null 2>&1 && fail "a results copy was kept although nothing was lost"

# The level has had its twenty: the counter came back with the pool.
key_to "$win" space
box=$(wait_window '^信息提示$')
key_to "$box" Return

exit_saving
echo "left on disk after the final exit:"
list_dir
[ ! -e "$dir/抽奖恢复.dat" ] || fail "the recovery record outlived a normal end"
[ "$(counter 1)" = 20 ] || fail "counter 1 is '$(counter 1)', expected 20"
[ -f "$dir/进度.txt" ] && [ ! -s "$dir/进度.txt" ] || fail "the saved pool is not empty"
echo "winners: ${all[*]}"
echo PASS
