#!/usr/bin/env bash
# The real program under Xvfb with its event folder on a small disk (a tmpfs,
# so only when run as root) that fills up during the event: each draw on the
# full disk is told at once, space freed, the next draw writes everything
# that was missing, and a retry from the message saves at once. Killed
# afterwards, nothing the hall saw is lost.
set -euo pipefail
EXE=${1:?usage: full_disk.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: mounting a small disk (tmpfs) needs root; run as root to test a full disk"
    exit 77
fi

mnt=$(mktemp -d)
mounted=""
cleanup() {
    xvfb_cleanup
    if [ -n "$mounted" ]; then umount "$mnt" 2>/dev/null || umount -l "$mnt" 2>/dev/null || true; fi
    rmdir "$mnt" 2>/dev/null || true
}
trap cleanup EXIT
size_kb=$(( $(stat -c %s "$EXE") / 1024 + 4096 ))
mount -t tmpfs -o "size=${size_kb}k" luckdial-test "$mnt"
mounted=yes
dir="$mnt/event"
mkdir "$dir"
make_event "$dir"
printf '[zbt]\r\n界面大小=全屏\r\n背景音乐=假\r\n禁用特效=真\r\n烟花时间=1\r\n自动停止=0\r\n滚动速度=30\r\n特等奖=特等奖\r\n特等奖人数=20\r\n特等奖一次抽取人数=2\r\n列1=2\r\n' |
    to_gbk >"$dir/peizhi.a"
install_program "$EXE" "$dir"
xvfb_start
results="$dir/抽奖结果.txt"
record="$dir/抽奖恢复.dat"

fill_disk() { dd if=/dev/zero of="$mnt/filler" bs=4k 2>/dev/null || true; sync; }
free_disk() { rm -f "$mnt/filler"; }

open_event
fill_disk
echo "free on the disk: $(df --output=avail -k "$mnt" | tail -n1) kB"

# --- two draws on the full disk: told once each, nothing written -------------
draw_once "$win"
answer_box '中奖记录没有保存' Escape
draw_once "$win"
answer_box '中奖记录没有保存' Escape
sleep 0.3
[ "$(xdotool search --onlyvisible --name '中奖记录没有保存' 2>/dev/null | wc -l)" -eq 0 ] ||
    fail "a third box about the same draws"
[ ! -s "$results" ] || fail "the results file was written on a full disk?"
[ ! -e "$record" ] || fail "a recovery record was written on a full disk?"

# --- space freed: the next draw writes all six, and says so ------------------
free_disk
draw_once "$win"
answer_box '中奖记录没有保存' Return
wait_lines "$results" 6
[ -f "$record" ] || fail "no recovery record after space was freed"

# --- full again; freed while the message stands, then retried ----------------
fill_disk
key_to "$win" space
sleep 0.6
key_to "$win" space
box=$(wait_window '中奖记录没有保存')
free_disk
key_to "$box" Return
answer_box '中奖记录没有保存' Return
wait_lines "$results" 8 3

app_kill
echo "left on disk after the kill:"
list_dir
mapfile -t all < <(results_winners "$results")
[ "${#all[@]}" -eq 8 ] || fail "expected 8 winners, found ${#all[@]}"
[ "$(printf '%s\n' "${all[@]}" | sort -u | wc -l)" -eq 8 ] || fail "a participant won twice: ${all[*]}"

# --- the restart continues with every winner -----------------------------------
resume_event
exit_saving
[ "$(counter 1)" = 8 ] || fail "counter 1 is '$(counter 1)', expected 8"
[ "$(entries "$dir/进度.txt" | wc -l)" -eq 12 ] || fail "the saved pool does not hold 12 entries"
echo "winners: ${all[*]}"
echo PASS
