#!/usr/bin/env bash
# The real program under Xvfb: a staff list with a department column (部门)
# imported through the real import window, the department chosen as the
# group column; one level whose rule lets only 销售部 and 研发部 win, 4 and 2
# seats (written into peizhi.a before the start). One draw, exit saving,
# resume, the rest drawn. By the results file and by the group file, every
# winner is of an eligible department and each department's seats are
# exactly filled.
set -euo pipefail
EXE=${1:?usage: group_rules.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

make_event() {
    local dir=$1
    for i in $(seq 1001 1020); do printf '%s\r\n' "$i"; done >"$dir/抽奖号码库.txt"
    printf '[zbt]\r\n界面大小=全屏\r\n背景音乐=假\r\n禁用特效=真\r\n烟花时间=1\r\n自动停止=0\r\n滚动速度=30\r\n特等奖=特等奖\r\n特等奖人数=6\r\n特等奖一次抽取人数=2\r\n列1=2\r\n特等奖可抽分组=销售部、研发部\r\n特等奖分组名额=销售部:4、研发部:2\r\n' |
        to_gbk >"$dir/peizhi.a"
}

start_event "$EXE"

# 5 in 销售部, 3 in 研发部, 6 in 行政部; the entry is "工号 姓名".
declare -A dept
csv='工号,姓名,部门\r\n'
n=0
for d in 销售部 销售部 销售部 销售部 销售部 研发部 研发部 研发部 行政部 行政部 行政部 行政部 行政部 行政部; do
    n=$((n + 1))
    id=$((2000 + n))
    dept["$id 员工$n"]=$d
    csv+="$id,员工$n,$d\r\n"
done
mkdir "$dir/lists"
printf "$csv" >"$dir/lists/staff.csv"

# --- the import: 导入抽奖名单... (the menu's fifth item), the file dialog ---
app_start "$dir"
first_pid=$APP_PID
win=$(wait_window '^Luckdial')
open_import_window "$dir/lists/staff.csv"
# Alt+G reaches 组合框_分组 once the list is read (while it is read the box
# is disabled and the keys do nothing harmful); End chooses its last item,
# the last column, 部门. Pressed again and again, so that a slow machine
# still gets it after the reading.
for _ in $(seq 1 6); do
    sleep 0.5
    key_to "$box" alt+g
    xdotool key End
done
sleep 0.3
confirm_import
app_wait_exit 10
win=$(xdotool search --sync --onlyvisible --name '^Luckdial' | head -n1)
APP_PID=$(xdotool getwindowpid "$win")
[ "$APP_PID" != "$first_pid" ] || fail "no new instance after the import"
[ -f "$dir/抽奖号码库_分组.dat" ] || fail "the import wrote no group file (was 部门 chosen?)"
[ "$(gbk_text "$dir/抽奖号码库.txt" | wc -l)" -eq 14 ] || fail "the pool is not the list"

# --- first part: one draw of two, exit saving ---------------------------------
sleep 0.5
select_level "$win"
draw_and_wait 2
sleep 0.3
exit_saving
[ -f "$dir/进度_分组.dat" ] || fail "no group file beside the progress file"

# --- resume and draw the rest ------------------------------------------------------
resume_event
select_level "$win"
draw_and_wait 4
sleep 0.3
draw_and_wait 6
sleep 0.3
exit_saving

# --- the results file -----------------------------------------------------------
declare -A seats=()
mapfile -t lines < <(gbk_text "$dir/抽奖结果.txt")
[ "${#lines[@]}" -eq 6 ] || fail "expected 6 result lines, found ${#lines[@]}: ${lines[*]}"
for line in "${lines[@]}"; do
    [[ "$line" =~ ^(20[0-9][0-9]\ 员工[0-9]+)\ \ ------\ \ 特等奖$ ]] || fail "unexpected results line: '$line'"
    who=${BASH_REMATCH[1]}
    d=${dept[$who]:-}
    [ "$d" = 销售部 ] || [ "$d" = 研发部 ] || fail "$who of '${d}' may not win 特等奖"
    seats[$d]=$((${seats[$d]:-0} + 1))
done
[ "$(printf '%s\n' "${lines[@]}" | sort -u | wc -l)" -eq 6 ] || fail "someone won twice: ${lines[*]}"
[ "${seats[销售部]:-0}" -eq 4 ] && [ "${seats[研发部]:-0}" -eq 2 ] ||
    fail "seats: 销售部 ${seats[销售部]:-0}, 研发部 ${seats[研发部]:-0}; expected 4 and 2"

# --- the group file saved with the progress: each winner's group -----------------
mapfile -t names < <(gbk_text "$dir/进度_分组.dat" | awk '/^names /{k=$2; next} k>0 {print; k--}')
mapfile -t recorded < <(gbk_text "$dir/进度_分组.dat" | awk '/^winners /{m=$2; next} m>0 {print; m--}')
[ "${#recorded[@]}" -eq 6 ] || fail "the group file records ${#recorded[@]} winners, expected 6"
declare -A fileSeats=()
for i in "${!recorded[@]}"; do
    rec=${recorded[$i]}
    [[ "$rec" =~ ^1\ 0\ ([0-9]+)$'\t'(.*)$ ]] || fail "unexpected winner record: '$rec'"
    g=${names[$((BASH_REMATCH[1] - 1))]}
    who=${BASH_REMATCH[2]}
    [ "$who" = "${lines[$i]%%  ------  *}" ] || fail "record $i is $who, the results say ${lines[$i]}"
    [ "$g" = "${dept[$who]}" ] || fail "$who recorded in '$g', listed in ${dept[$who]}"
    fileSeats[$g]=$((${fileSeats[$g]:-0} + 1))
done
[ "${fileSeats[销售部]:-0}" -eq 4 ] && [ "${fileSeats[研发部]:-0}" -eq 2 ] || fail "group file seats differ"
[ "$(gbk_text "$dir/进度.txt" | wc -l)" -eq 8 ] || fail "the saved pool does not hold the 8 left"
echo "winners: ${lines[*]}"
echo PASS
