#!/usr/bin/env bash
# The real program under Xvfb at 1920x1080: a draw of 300 names goes to the
# hall in pages; Space and PageDown each turn one page, every page shows the
# next names of the results file in their order, and PageDown on the last page
# starts the next draw as Space does (a clicker's one key runs the whole event). What the hall shows is
# read from the program's page record (LUCKDIAL_PAGE_LOG).
set -euo pipefail
EXE=${1:?usage: pages.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
XVFB_SCREEN=1920x1080x24
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

# 700 participants, one level of 600 drawn 300 at a time in ten columns.
make_event() {
    local dir=$1
    for i in $(seq 1001 1700); do printf '%s\r\n' "$i"; done >"$dir/抽奖号码库.txt"
    printf '[zbt]\r\n界面大小=全屏\r\n背景音乐=假\r\n禁用特效=真\r\n烟花时间=1\r\n自动停止=0\r\n滚动速度=30\r\n特等奖=特等奖\r\n特等奖人数=600\r\n特等奖一次抽取人数=300\r\n列1=10\r\n' |
        to_gbk >"$dir/peizhi.a"
}

export LUCKDIAL_PAGE_LOG=1
start_event "$EXE"
log="$dir/hall-pages.log"
open_event

# The record's entries since the last first page, as "N/M name name ...".
pages_shown() {
    [ -f "$log" ] || return 0
    gbk_text "$log" | awk '
        /^page / { if (cur != "") out[n++] = cur; cur = $2; if ($2 ~ /^1\//) { n = 0 } ; next }
        { cur = cur " " $0 }
        END { if (cur != "") out[n++] = cur; for (i = 0; i < n; i++) print out[i] }'
}
# Waits until the page shown last is the given one ("N/M").
wait_page() {
    for _ in $(seq 1 50); do
        [ "$(pages_shown | tail -n1 | cut -d' ' -f1)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "the hall did not show page $1; last: $(pages_shown | tail -n1 | cut -c1-80)"
}
winners() { gbk_text "$dir/抽奖结果.txt" | sed -n 's/^\([0-9]*\)  ------  特等奖$/\1/p'; }

draw_and_wait 300
sleep 0.5
total=$(pages_shown | head -n1 | cut -d' ' -f1 | cut -d/ -f2)
[ -n "$total" ] && [ "$total" -ge 3 ] || fail "300 names at 1920x1080 should need pages, found '${total:-none}'"
wait_page "1/$total"

# Space and PageDown in turn, one page each.
for page in $(seq 2 "$total"); do
    if [ $((page % 2)) -eq 0 ]; then key=space; else key=Next; fi
    key_to "$win" "$key"
    wait_page "$page/$total"
done

mapfile -t drawn < <(winners)
[ "${#drawn[@]}" -eq 300 ] || fail "expected 300 winners, found ${#drawn[@]}"
mapfile -t shown < <(pages_shown)
[ "${#shown[@]}" -eq "$total" ] || fail "expected $total pages recorded, found ${#shown[@]}"
from=0
for i in $(seq 0 $((total - 1))); do
    read -r label names <<<"${shown[$i]}"
    [ "$label" = "$((i + 1))/$total" ] || fail "page $((i + 1)) recorded as $label"
    read -r -a page <<<"$names"
    [ "${#page[@]}" -gt 0 ] || fail "page $label shows no name"
    want="${drawn[*]:$from:${#page[@]}}"
    [ "${page[*]}" = "$want" ] || fail "page $label shows '${page[*]:0:5} ...', results have '${want:0:40} ...'"
    from=$((from + ${#page[@]}))
done
[ "$from" -eq 300 ] || fail "the pages showed $from names, not 300"

# On the last page PageDown starts the next draw and Space stops it.
key_to "$win" Next
sleep 0.6
[ "$(winners | wc -l)" -eq 300 ] || fail "PageDown on the last page drew without a stop"
key_to "$win" space
wait_lines "$dir/抽奖结果.txt" 600
mapfile -t all < <(winners)
[ "$(printf '%s\n' "${all[@]}" | sort -u | wc -l)" -eq 600 ] || fail "a participant won twice"
sleep 0.5
wait_page "1/$(pages_shown | head -n1 | cut -d' ' -f1 | cut -d/ -f2)"
echo "pages: $total; first page: ${shown[0]:0:60} ..."
echo PASS
