#!/usr/bin/env bash
# The real program under Xvfb, killed with SIGKILL in the middle of saving its
# progress: once just before the counters are stored (the next start resumes
# the older save whole) and once just after (the next start finishes the save
# and resumes the newer one whole). Either way the level stops at its quota,
# and the temporaries the kills left behind are gone.
set -euo pipefail
EXE=${1:?usage: save_kill.sh path/to/luckdial path/to/fault-shim.so}
SHIM=$(realpath "${2:?usage: save_kill.sh path/to/luckdial path/to/fault-shim.so}")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
saved=$(mktemp)
pending=$(mktemp)
trap 'xvfb_cleanup; rm -rf "$dir" "$saved" "$pending"' EXIT
results="$dir/抽奖结果.txt"

# Resumes (the record of a killed run declined first when there is one).
start_resuming() {
    [ -f "$dir/抽奖恢复.dat" ] && answer_box '^提示$' Escape
    answer_box '^提示$' Return
    win=$(wait_window '^Luckdial')
}

# Draws once and exits saving with Yes; the program is killed by the shim.
draw_and_save_killed() {
    local lines=$1
    select_level "$win"
    draw_once "$win"
    wait_lines "$results" "$lines"
    sleep 0.3
    menu_exit
    answer_box '退出是否保存进度' Return
    for _ in $(seq 1 50); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
    app_wait_exit 1
    grep -q 'luckdial-fault: kill' "$APP_LOG" || fail "the kill was never injected"
}

# --- first run: one draw of two, saved at exit -------------------------------
open_event
draw_once "$win"
wait_lines "$results" 2
sleep 0.3
exit_saving
cp "$dir/进度.txt" "$saved"

# --- killed just before the configuration file takes the new counters --------
app_start_faulty "$SHIM" kill peizhi.a 进度_新.txt
start_resuming
draw_and_save_killed 4
echo "left on disk after the kill before the counters:"
list_dir
[ -f "$dir/进度_新.txt" ] || fail "no pending text: the kill came too early"
[ -n "$(find "$dir" -maxdepth 1 -name '.peizhi.a.??????')" ] || fail "the kill left no temporary"
[ "$(counter 1)" = 2 ] || fail "counter 1 is '$(counter 1)' before the commit"

app_start "$dir"
start_resuming
echo "after the next start:"
list_dir
cmp -s "$dir/进度.txt" "$saved" || fail "the older progress file changed"
[ ! -e "$dir/进度_新.txt" ] || fail "the uncommitted pending text was not dropped"
[ -z "$(find "$dir" -maxdepth 1 -name '.*.??????')" ] || fail "a temporary survived the start"
[ "$(counter 1)" = 2 ] || fail "counter 1 is '$(counter 1)', expected 2"
exit_saving
cmp -s "$dir/进度.txt" "$saved" || fail "the resumed older save did not hold the same pool"

# --- killed just after the counters, before the progress file ----------------
app_start_faulty "$SHIM" kill 进度.txt 进度_新.txt
start_resuming
draw_and_save_killed 6
echo "left on disk after the kill after the counters:"
list_dir
[ "$(counter 1)" = 4 ] || fail "counter 1 is '$(counter 1)' after the commit"
cmp -s "$dir/进度.txt" "$saved" || fail "the progress file changed before its rename"
cp "$dir/进度_新.txt" "$pending"
[ "$(entries "$pending" | wc -l)" -eq 16 ] || fail "the pending text does not hold 16 entries"

app_start "$dir"
start_resuming
echo "after the next start:"
list_dir
cmp -s "$dir/进度.txt" "$pending" || fail "the committed pool was not moved in"
[ ! -e "$dir/进度_新.txt" ] || fail "the pending text was left after moving it in"
[ -z "$(find "$dir" -maxdepth 1 -name '.*.??????')" ] || fail "a temporary survived the start"
# Four of six: one more draw of two, then the level is full.
select_level "$win"
draw_once "$win"
wait_lines "$results" 8
sleep 0.3
key_to "$win" space
answer_box '^信息提示$' Return
exit_saving
[ "$(counter 1)" = 6 ] || fail "counter 1 is '$(counter 1)', expected 6"
[ "$(entries "$dir/进度.txt" | wc -l)" -eq 14 ] || fail "the final save does not hold 14 entries"
echo PASS
