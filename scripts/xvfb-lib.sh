# Shell helpers for driving the real program on a private X server (Xvfb) with
# xdotool: sourced by the real-window tests and by scripts/screenshot.sh.
# Every process started here is remembered by its id and ended on exit.

XVFB_PID=""
APP_PID=""
XVFB_SCREEN=${XVFB_SCREEN:-1024x768x24}

# A signal ends the script through its EXIT trap, which cleans up.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

xvfb_cleanup() {
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then kill "$APP_PID" 2>/dev/null || true; fi
    if [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then kill "$XVFB_PID" 2>/dev/null || true; fi
    wait 2>/dev/null || true
}

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${APP_LOG:-}" ] && [ -s "$APP_LOG" ]; then
        echo "--- program output ---" >&2
        tail -n 40 "$APP_LOG" >&2
    fi
    exit 1
}

# Starts Xvfb on a display number it picks itself and exports DISPLAY. The
# server counts as started only when it answers and is still our process.
# -noreset: by default the server resets whenever its last client leaves (the
# check below, a program that ended), and a program connecting during that
# reset is refused; the tests start programs one after another.
xvfb_start() {
    local fdfile attempt
    for attempt in 1 2 3; do
        fdfile=$(mktemp)
        Xvfb -displayfd 3 -screen 0 "$XVFB_SCREEN" -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 1 100); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            if [ -s "$fdfile" ]; then
                export DISPLAY=":$(head -n1 "$fdfile")"
                if xdpyinfo >/dev/null 2>&1 && kill -0 "$XVFB_PID" 2>/dev/null; then
                    rm -f "$fdfile"
                    return 0
                fi
            fi
            sleep 0.1
        done
        rm -f "$fdfile"
        echo "note: Xvfb attempt $attempt did not come up; trying again" >&2
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    done
    fail "Xvfb did not start"
}

# Replaces a server that has gone away or stopped answering.
xvfb_ensure() {
    if ! kill -0 "$XVFB_PID" 2>/dev/null || ! xdpyinfo >/dev/null 2>&1; then
        echo "note: the X server $DISPLAY went away; starting another" >&2
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        xvfb_start
    fi
}

# Copies the executable into a program directory (the program looks for its
# files beside itself).
install_program() {
    local exe=$1 dir=$2
    cp "$exe" "$dir/luckdial"
}

# Starts the program of the given directory in that directory. A program that
# cannot reach the X server is an infrastructure fault, not the program's: the
# server is replaced and the program started once more.
app_start() {
    local dir=$1 attempt
    APP_LOG="$dir/program.log"
    for attempt in 1 2; do
        xvfb_ensure
        (cd "$dir" && exec env QT_QPA_PLATFORM=xcb ./luckdial >>"$APP_LOG" 2>&1) &
        APP_PID=$!
        for _ in $(seq 1 30); do
            kill -0 "$APP_PID" 2>/dev/null || break
            xdotool search --pid "$APP_PID" >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        kill -0 "$APP_PID" 2>/dev/null && return 0
        grep -q 'could not connect to display' "$APP_LOG" 2>/dev/null || return 0
        wait "$APP_PID" 2>/dev/null || true
        echo "note: the program could not reach $DISPLAY (attempt $attempt)" >&2
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    done
}

# Waits until the program has ended; fails after the time-out (seconds).
app_wait_exit() {
    local timeout=${1:-10}
    for _ in $(seq 1 $((timeout * 10))); do
        kill -0 "$APP_PID" 2>/dev/null || { wait "$APP_PID" 2>/dev/null || true; APP_PID=""; return 0; }
        sleep 0.1
    done
    fail "the program did not end within ${timeout}s"
}

# Prints the id of a visible window whose name matches the pattern, waiting
# for it up to the time-out (seconds).
wait_window() {
    local pattern=$1 timeout=${2:-15} id last="" seen=0
    # A window can be replaced while the program starts (a change of window
    # flags makes a new native window): only an id seen three polls in a row
    # counts.
    for _ in $(seq 1 $((timeout * 10))); do
        [ -n "$APP_PID" ] && ! kill -0 "$APP_PID" 2>/dev/null && fail "the program ended while waiting for \"$pattern\""
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n1 || true)
        if [ -n "$id" ] && [ "$id" = "$last" ]; then
            seen=$((seen + 1))
        else
            seen=0
        fi
        last=$id
        if [ -n "$id" ] && [ "$seen" -ge 2 ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window \"$pattern\" within ${timeout}s"
}

# Gives the window the keyboard focus and presses the keys.
key_to() {
    local id=$1
    shift
    xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
    sleep 0.1
    xdotool key --clearmodifiers "$@"
}

# The prize-level selector sits 60 pixels above the screen's bottom edge at
# its design left (180), width (108) and height (30). Its arrow opens the list;
# select_level WINDOW N chooses the list's N-th entry (default 1).
select_level() {
    local n=${2:-1} height keys=()
    height=$(xdotool getdisplaygeometry | cut -d' ' -f2)
    xdotool mousemove 278 $((height - 75)) click 1
    sleep 0.4
    # The list opens on its first entry.
    for _ in $(seq 2 "$n"); do keys+=(Down); done
    xdotool key "${keys[@]}" Return
    sleep 0.3
}

# One draw run with the keyboard: Space starts the scroll, Space stops it.
draw_once() {
    local win=$1
    key_to "$win" space
    sleep 0.6
    key_to "$win" space
}

# Waits until a file has at least n lines; fails after the time-out.
wait_lines() {
    local file=$1 n=$2 timeout=${3:-15}
    for _ in $(seq 1 $((timeout * 10))); do
        if [ -f "$file" ] && [ "$(tr -cd '\n' <"$file" | wc -c)" -ge "$n" ]; then return 0; fi
        sleep 0.1
    done
    fail "$file did not reach $n lines within ${timeout}s"
}

# A file's GBK text as UTF-8 without carriage returns.
gbk_text() { iconv -f GBK -t UTF-8 "$1" | tr -d '\r'; }

# UTF-8 text to GBK.
to_gbk() { iconv -f UTF-8 -t GBK; }
