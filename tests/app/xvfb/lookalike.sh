#!/usr/bin/env bash
# The real program under Xvfb on a GBK pool of names whose bytes are also
# valid UTF-8 (谢伟, 叶平...): drawn completely over a saved and resumed exit,
# the results file and the progress file hold exactly the pool's bytes.
set -euo pipefail
EXE=${1:?usage: lookalike.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
names=(谢伟 叶平 郑霞 石英 袁梅 魏强 姚萍 卢雪 谢平 叶霞 郑英 石梅 袁强 魏萍 姚雪 卢伟 谢霞 叶英 郑梅 石强)
printf '%s\r\n' "${names[@]}" | to_gbk >"$dir/抽奖号码库.txt"
printf '[zbt]\r\n界面大小=全屏\r\n背景音乐=假\r\n禁用特效=真\r\n烟花时间=1\r\n自动停止=0\r\n滚动速度=30\r\n特等奖=特等奖\r\n特等奖人数=20\r\n特等奖一次抽取人数=10\r\n列1=5\r\n' |
    to_gbk >"$dir/peizhi.a"

# Entries of the results file as raw bytes, one per line, sorted.
result_entries() { LC_ALL=C sed -e 's/\r$//' -e 's/  ------  .*$//' "$dir/抽奖结果.txt" | LC_ALL=C sort; }
raw_lines() { LC_ALL=C sed -e 's/\r$//' "$1" | LC_ALL=C sort; }

open_event
draw_and_wait 10
sleep 0.3
exit_saving
first=$(cat "$dir/抽奖结果.txt" | od -An -tx1)
[ "$(result_entries | wc -l)" -eq 10 ] || fail "first run: expected 10 winners"
# Winners and saved pool together are the pool, byte for byte.
diff <( (result_entries; raw_lines "$dir/进度.txt") | LC_ALL=C sort) <(raw_lines "$dir/抽奖号码库.txt") ||
    fail "winners and saved progress are not the pool's bytes"

resume_event
select_level "$win"
draw_once "$win"
# The last winner empties the pool, which the program announces.
box=$(wait_window '^信息')
key_to "$box" Return
wait_lines "$dir/抽奖结果.txt" 20
sleep 0.3
exit_saving

diff <(result_entries) <(raw_lines "$dir/抽奖号码库.txt") || fail "results are not the pool's bytes"
[ "$(head -c "$(echo "$first" | wc -w)" "$dir/抽奖结果.txt" | od -An -tx1)" = "$first" ] ||
    fail "the first run's results changed after resuming"
[ ! -s "$dir/进度.txt" ] || fail "progress file should be empty after the pool is drawn out"
gbk_text "$dir/抽奖结果.txt" | head -3
echo PASS
