#!/usr/bin/env bash
# The real program under Xvfb: 导入抽奖名单... from the menu, a UTF-8 .csv
# chosen in the real file dialog, the import window confirmed with Enter.
# The pool file becomes the list in GBK, the old pool is kept, and the
# program starts again on the new list.
set -euo pipefail
EXE=${1:?usage: import.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
old_pool=$(od -An -tx1 "$dir/抽奖号码库.txt")
mkdir "$dir/lists"
printf '工号,姓名\r\n1001,张三\r\n1002,"李\n四"\r\n\r\n1003,王五\r\n' >"$dir/lists/list.csv"

app_start "$dir"
first_pid=$APP_PID
win=$(wait_window '^Luckdial')
open_import_window "$dir/lists/list.csv"
confirm_import
app_wait_exit 10

# The new instance: remembered so that the clean-up ends it.
win=$(xdotool search --sync --onlyvisible --name '^Luckdial' | head -n1)
APP_PID=$(xdotool getwindowpid "$win")
[ "$APP_PID" != "$first_pid" ] || fail "no new instance"

[ "$(gbk_text "$dir/抽奖号码库.txt")" = "$(printf '1001 张三\n1002 李 四\n1003 王五')" ] ||
    fail "the pool is not the list: $(gbk_text "$dir/抽奖号码库.txt")"
[ "$(tail -c 2 "$dir/抽奖号码库.txt" | od -An -tx1 | tr -d ' ')" = "0d0a" ] || fail "pool lines not ended by CR LF"
[ "$(od -An -tx1 "$dir/抽奖号码库_bak.txt")" = "$old_pool" ] || fail "the old pool was not kept"
list_dir
echo PASS
