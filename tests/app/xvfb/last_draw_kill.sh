#!/usr/bin/env bash
# The real program under Xvfb, killed while "参与抽奖名单已经抽取完毕！" is shown
# after the draw that empties the pool: the hall sees every winner then, and
# the restart offers every one of them (the recovery record is written before
# the message), and puts them into the results file.
set -euo pipefail
EXE=${1:?usage: last_draw_kill.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
# Six participants, a level of ten drawn four at a time: the second draw
# gives two winners and empties the pool.
for i in $(seq 1001 1006); do printf '%s\r\n' "$i"; done >"$dir/抽奖号码库.txt"
printf '[zbt]\r\n界面大小=全屏\r\n背景音乐=假\r\n禁用特效=真\r\n烟花时间=1\r\n自动停止=0\r\n滚动速度=30\r\n特等奖=特等奖\r\n特等奖人数=10\r\n特等奖一次抽取人数=4\r\n列1=4\r\n' |
    to_gbk >"$dir/peizhi.a"
results="$dir/抽奖结果.txt"
record="$dir/抽奖恢复.dat"

open_event
draw_and_wait 4
sleep 0.3
draw_once "$win"
# The message stands: the power goes now.
wait_window '^信息：$' >/dev/null
app_kill

echo "left on disk after the kill:"
list_dir
[ -f "$record" ] || fail "no recovery record after the kill"
kept=$(iconv -f GBK -t UTF-8 "$record" | grep -c '  ------  特等奖' || true)
[ "$kept" -eq 6 ] || fail "the record holds $kept winners, the hall saw 6"

# --- the restart offers all six -------------------------------------------------
resume_event
wait_lines "$results" 6
mapfile -t all < <(results_winners "$results")
[ "$(printf '%s\n' "${all[@]}" | sort -u | tr '\n' ' ')" = "1001 1002 1003 1004 1005 1006 " ] ||
    fail "the results after the restart are: ${all[*]}"

exit_saving
[ "$(counter 1)" = 6 ] || fail "counter 1 is '$(counter 1)', expected 6"
[ -f "$dir/进度.txt" ] && [ ! -s "$dir/进度.txt" ] || fail "the saved pool is not empty"
[ ! -e "$record" ] || fail "the recovery record outlived a normal end"
echo "winners: ${all[*]}"
echo PASS
