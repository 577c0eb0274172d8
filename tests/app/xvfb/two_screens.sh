#!/usr/bin/env bash
# The real program on two monitors: the hall display covers the stored hall
# monitor, the console lies inside the other; a draw started on the console
# and stopped with PageDown writes the lines a draw with Space writes; the
# operator's monitor unplugged during a scroll folds the console away and
# loses no result, and plugged back brings the console back; a message then
# opens on the console's monitor, and so does the forfeit question.
set -euo pipefail
EXE=${1:?usage: two_screens.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

XVFB_SCREEN=3200x1080x24
start_event "$EXE"
oper() { xrandr --setmonitor OPER 1280/338x800/211+1920+0 none >/dev/null; }
xrandr --setmonitor HALL 1920/508x1080/286+0+0 screen >/dev/null
oper
printf '大屏幕=HALL\r\n' | to_gbk >>"$dir/peizhi.a"

# geometry ID: "X Y W H" of a window.
geometry() {
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    echo "$X $Y $WIDTH $HEIGHT"
}
# wait_geometry ID TEST SECONDS: polls until TEST (a function of X Y W H) holds.
wait_geometry() {
    local id=$1 check=$2 timeout=${3:-10} g
    for _ in $(seq 1 $((timeout * 10))); do
        g=$(geometry "$id" 2>/dev/null || true)
        # shellcheck disable=SC2086
        [ -n "$g" ] && $check $g && return 0
        sleep 0.1
    done
    fail "window $id is at '$g', not where $check wants it"
}
covers_hall() { [ "$1 $2 $3 $4" = "0 0 1920 1080" ]; }
inside_oper() { [ "$1" -ge 1920 ] && [ "$2" -ge 0 ] && [ $(($1 + $3)) -le 3200 ] && [ $(($2 + $4)) -le 800 ]; }
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -qx "$2"; }

app_start "$dir"
hall=$(wait_window '^LuckdialVer')
desk=$(wait_window '控制台$')
wait_geometry "$hall" covers_hall 10
wait_geometry "$desk" inside_oper 10
win=$hall
select_level "$hall"

# Started and stopped from the console with a presenter's key.
key_to "$desk" Next
sleep 0.6
key_to "$desk" Next
wait_lines "$dir/抽奖结果.txt" 2
# And with Space on the hall: the same kind of lines.
draw_and_wait 4
mapfile -t winners < <(results_winners "$dir/抽奖结果.txt")
[ "${#winners[@]}" -eq 4 ] || fail "expected 4 result lines, found ${#winners[@]}"

# Unplugged during a scroll: the console folds, the hall stays, the draw goes on.
key_to "$hall" space
sleep 0.4
xrandr --delmonitor OPER >/dev/null
for _ in $(seq 1 100); do visible '控制台$' "$desk" || break; sleep 0.1; done
visible '控制台$' "$desk" && fail "the console is still shown with one monitor"
wait_geometry "$hall" covers_hall 10
key_to "$hall" space
wait_lines "$dir/抽奖结果.txt" 6
# Plugged back: the console returns inside its monitor.
oper
desk=$(wait_window '控制台$' 15)
wait_geometry "$desk" inside_oper 10
wait_geometry "$hall" covers_hall 10

# other_window WHAT: waits for a window of the program other than the two.
other_window() {
    local box=""
    for _ in $(seq 1 100); do
        box=$(xdotool search --onlyvisible --pid "$APP_PID" --name '.' 2>/dev/null | grep -vx -e "$hall" -e "$desk" | head -n1 || true)
        [ -n "$box" ] && { echo "$box"; return 0; }
        sleep 0.1
    done
    fail "no window for $1"
}
# The forfeit question, asked from the console's button (its place in the
# console's layout), opens on the console's monitor.
read -r cx cy cw ch < <(geometry "$desk")
xdotool mousemove $((cx + cw * 44 / 100)) $((cy + ch * 97 / 100)) click 1
box=$(other_window "the forfeit question")
echo "question \"$(xdotool getwindowname "$box")\" at $(geometry "$box")"
wait_geometry "$box" inside_oper 10
key_to "$box" Escape
for _ in $(seq 1 50); do visible '.' "$box" || break; sleep 0.1; done

# The level is complete: its message opens on the console's monitor, none over the hall.
key_to "$hall" space
box=$(other_window "the completed level's message")
echo "message \"$(xdotool getwindowname "$box")\" at $(geometry "$box")"
wait_geometry "$box" inside_oper 10
key_to "$box" Return

mapfile -t winners < <(results_winners "$dir/抽奖结果.txt")
[ "${#winners[@]}" -eq 6 ] || fail "expected 6 result lines, found ${#winners[@]}"
[ "$(printf '%s\n' "${winners[@]}" | sort -u | wc -l)" -eq 6 ] || fail "a participant won twice: ${winners[*]}"
echo "hall $(geometry "$hall"), console $(geometry "$desk"), winners: ${winners[*]}"
echo PASS
