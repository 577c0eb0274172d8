#!/usr/bin/env bash
# The real program under Xvfb with a pool of a single line of 100,000,000 bytes
# (ENTRY_BYTES to change it): a draw of two winners (repeats allowed, so both
# are that line and it stays in the pool) must neither crash nor swell the
# program, and the results file and the progress file must hold the entry
# whole. Prints the time taken and the program's peak resident memory.
set -euo pipefail
EXE=${1:?usage: long_entry.sh path/to/luckdial}
ENTRY_BYTES=${ENTRY_BYTES:-100000000}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

SECONDS=0
start_event "$EXE"

# The entry: a Chinese name, then digits up to ENTRY_BYTES bytes.
{ printf '张' | to_gbk; head -c $((ENTRY_BYTES - 2)) /dev/zero | tr '\0' '7'; } >"$dir/entry"
{ cat "$dir/entry"; printf '\r\n'; } >"$dir/抽奖号码库.txt"
printf '是否允许重复=真\r\n' | to_gbk >>"$dir/peizhi.a"

app_start "$dir"
win=$(wait_window '^Luckdial' 60)
select_level "$win"
draw_once "$win"

# Two results lines of the whole entry; the file is replaced at once, so its
# size tells when it is there.
printf '  ------  特等奖\r\n' | to_gbk >"$dir/line_end"
want_size=$((2 * (ENTRY_BYTES + $(stat -c %s "$dir/line_end"))))
for _ in $(seq 1 300); do
    [ "$(stat -c %s "$dir/抽奖结果.txt" 2>/dev/null || echo 0)" -ge "$want_size" ] && break
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended during the draw"
    sleep 0.1
done
sleep 0.5 # the winners label is painted
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended after the draw"
peak_kb=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$APP_PID/status")

cat "$dir/entry" "$dir/line_end" "$dir/entry" "$dir/line_end" >"$dir/expected"
cmp -s "$dir/expected" "$dir/抽奖结果.txt" ||
    fail "抽奖结果.txt ($(stat -c %s "$dir/抽奖结果.txt" 2>/dev/null || echo no) bytes," \
        "$want_size expected) does not hold the entry whole, twice"
rm -f "$dir/expected"

# Exit saving the progress: the remaining pool is the entry, whole.
menu_exit
box=$(wait_window '退出是否保存进度' 30)
key_to "$box" Return
box=$(wait_window '^提示$' 60)
key_to "$box" Return
app_wait_exit 30
cmp -s "$dir/抽奖号码库.txt" "$dir/进度.txt" || fail "进度.txt does not hold the entry whole"

echo "entry: $ENTRY_BYTES bytes; peak resident memory after the draw: $((peak_kb / 1024)) MB;" \
    "took ${SECONDS} s"
echo PASS
