# A small event for the real-window tests: twenty participants and one prize
# level drawn two at a time, fireworks off, music off. Sourced.

# make_event DIR: writes the pool and the prize table into DIR (GBK, CR LF).
make_event() {
    local dir=$1
    for i in $(seq 1001 1020); do printf '%s\r\n' "$i"; done >"$dir/抽奖号码库.txt"
    printf '[zbt]\r\n界面大小=全屏\r\n背景音乐=假\r\n禁用特效=真\r\n烟花时间=1\r\n自动停止=0\r\n滚动速度=30\r\n特等奖=特等奖\r\n特等奖人数=6\r\n特等奖一次抽取人数=2\r\n列1=2\r\n' |
        to_gbk >"$dir/peizhi.a"
}

# start_event EXE: a temporary program directory "$dir" holding the event and
# the program, removed on exit, and a private X server.
start_event() {
    dir=$(mktemp -d)
    trap 'xvfb_cleanup; rm -rf "$dir"' EXIT
    make_event "$dir"
    install_program "$1" "$dir"
    xvfb_start
}

# Starts the program on the event, waits for its window ("$win") and chooses
# the level.
open_event() {
    app_start "$dir"
    win=$(wait_window '^Luckdial')
    select_level "$win"
}

# One draw run, waited for until the results file has N lines.
draw_and_wait() {
    draw_once "$win"
    wait_lines "$dir/抽奖结果.txt" "$1"
}

# Right-click on the window background and choose the menu's last item, 退出.
menu_exit() {
    local height
    height=$(xdotool getdisplaygeometry | cut -d' ' -f2)
    xdotool mousemove 10 $((height - 170)) click 3
    sleep 0.4
    xdotool key Up
    sleep 0.1
    xdotool key Return
}

# Winners of the results file, one per line; fails on a line of another form.
results_winners() {
    local file=$1 line
    while IFS= read -r line; do
        [[ "$line" =~ ^(10[0-2][0-9])\ \ ------\ \ 特等奖$ ]] || fail "unexpected results line: '$line'"
        echo "${BASH_REMATCH[1]}"
    done < <(gbk_text "$file")
}

# Exits through the menu, answering Yes (save) and confirming the message.
exit_saving() {
    local box
    menu_exit
    box=$(wait_window '退出是否保存进度')
    key_to "$box" Return
    box=$(wait_window '^提示$')
    key_to "$box" Return
    app_wait_exit 10
}

# The stored progress counter N of the event in "$dir".
counter() { gbk_text "$dir/peizhi.a" | sed -n "s/^计数$1=//p"; }

# Kills the program as a power cut would: no handler runs.
app_kill() {
    kill -9 "$APP_PID"
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=""
}

# The program directory's files, one per line, for the test's log.
list_dir() { find "$dir" -maxdepth 1 -type f ! -name luckdial ! -name program.log -printf '    %10s  %f\n' | sort -k2; }

# Answers the message box whose title matches with a key, and waits until it
# has gone, so that a following box of the same title is not taken for it.
answer_box() {
    local pattern=$1 key=$2 box
    box=$(wait_window "$pattern")
    key_to "$box" "$key"
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name "$pattern" 2>/dev/null | grep -qx "$box" || return 0
        sleep 0.1
    done
    fail "the box \"$pattern\" did not close"
}

# Starts the program with the fault shim of the given kind at a rename (see
# faultshim.c).
app_start_faulty() {
    local shim=$1 what=$2 at=$3 after=${4:-}
    LD_PRELOAD=$shim LUCKDIAL_FAULT=$what LUCKDIAL_FAULT_AT=$at LUCKDIAL_FAULT_AFTER=$after \
        app_start "$dir"
}

# Entries of a progress file, one per line.
entries() { gbk_text "$1" | sed '/^$/d'; }

# open_import_window FILE: 导入抽奖名单... (the fifth item of the background's
# menu) with FILE typed into the file dialog; box is then the import window.
open_import_window() {
    local height
    height=$(xdotool getdisplaygeometry | cut -d' ' -f2)
    xdotool mousemove 10 $((height - 170)) click 3
    sleep 0.4
    xdotool key Down Down Down Down Down
    sleep 0.1
    xdotool key Return
    box=$(wait_window '^打开$')
    key_to "$box" ctrl+a
    xdotool type --delay 10 "$1"
    xdotool key Return
    box=$(wait_window '^导入抽奖名单')
}
# confirm_import: the list is read behind the open window and 确定 answers
# once it is, so Enter is pressed until the window has gone; then the
# closing message.
confirm_import() {
    for _ in $(seq 1 30); do
        xdotool search --onlyvisible --name '^导入抽奖名单' >/dev/null 2>&1 || break
        key_to "$box" Return 2>/dev/null || true
        sleep 0.5
    done
    answer_box '^信息' Return
}

# resume_event: starts the program in "$dir" and answers Yes to the question
# whether to continue where the event left off; win is then its window.
resume_event() {
    app_start "$dir"
    answer_box '^提示$' Return
    win=$(wait_window '^Luckdial')
}
