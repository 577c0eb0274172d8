#!/usr/bin/env bash
# The real program under Xvfb: 导入抽奖名单... on a 1,500,000-row .xlsx, and
# 取消 clicked while the sheet is still read. The window answers the click at
# once, the read stops (its thread, the one below normal priority, ends), the
# main window still draws, and no file of the event has changed.
set -euo pipefail
EXE=${1:?usage: import_cancel.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"

start_event "$EXE"
mkdir "$dir/lists"
# Numbers and shared strings, as a spreadsheet program writes a staff list.
python3 - "$dir/lists/big.xlsx" <<'EOF'
import sys, zipfile
rows = 1_500_000
rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
    z.writestr("[Content_Types].xml",
               '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
    z.writestr("_rels/.rels", f'<Relationships><Relationship Id="rId1" Type="{rel}/officeDocument" '
               'Target="xl/workbook.xml"/></Relationships>')
    z.writestr("xl/workbook.xml", f'<workbook xmlns="{main}" xmlns:r="{rel}"><sheets>'
               '<sheet name="名单" sheetId="1" r:id="rId1"/></sheets></workbook>')
    z.writestr("xl/_rels/workbook.xml.rels",
               f'<Relationships><Relationship Id="rId1" Type="{rel}/worksheet" '
               'Target="worksheets/sheet1.xml"/><Relationship Id="rId2" '
               f'Type="{rel}/sharedStrings" Target="sharedStrings.xml"/></Relationships>')
    z.writestr("xl/sharedStrings.xml", "<sst>" + "".join(
        f"<si><t>员工{i}</t></si>" for i in range(1000)) + "</sst>")
    with z.open("xl/worksheets/sheet1.xml", "w") as s:
        s.write(f'<worksheet xmlns="{main}"><sheetData>'.encode())
        batch = []
        for r in range(1, rows + 1):
            batch.append(f'<row r="{r}"><c r="A{r}"><v>{100000 + r}</v></c>'
                         f'<c r="B{r}" t="s"><v>{r % 1000}</v></c></row>')
            if len(batch) == 10000:
                s.write("".join(batch).encode())
                batch = []
        s.write(("".join(batch) + "</sheetData></worksheet>").encode())
EOF

# Every file of the event, with its bytes' digest.
snapshot() { (cd "$dir" && find . -type f ! -name program.log -print0 | sort -z | xargs -0 md5sum); }
# Threads of the program below normal priority (nice 10): the sheet's reader.
reader_threads() {
    local n=0 t
    for t in /proc/"$APP_PID"/task/*/stat; do
        [ "$(sed 's/.*) //' "$t" 2>/dev/null | cut -d' ' -f17)" = 10 ] && n=$((n + 1))
    done
    echo "$n"
}

app_start "$dir"
win=$(wait_window '^Luckdial')
[ "$(reader_threads)" -eq 0 ] || fail "a thread below normal priority before any import"
before=$(snapshot)
open_import_window "$dir/lists/big.xlsx"

# The read is under way behind the open window.
for _ in $(seq 1 20); do
    [ "$(reader_threads)" -ge 1 ] && break
    sleep 0.1
done
[ "$(reader_threads)" -ge 1 ] || fail "no sheet is being read"

# 取消 is the last button at the window's bottom right.
eval "$(xdotool getwindowgeometry --shell "$box")"
xdotool mousemove --sync $((X + WIDTH - 50)) $((Y + HEIGHT - 25))
[ "$(reader_threads)" -ge 1 ] || fail "the read ended before 取消 could be clicked; make the sheet larger"
clicked=$(date +%s%N)
xdotool click 1
gone=""
for _ in $(seq 1 40); do
    if ! xdotool search --onlyvisible --name '^导入抽奖名单' 2>/dev/null | grep -qx "$box"; then
        gone=$(date +%s%N)
        break
    fi
    sleep 0.05
done
[ -n "$gone" ] || fail "the import window did not answer 取消 within 2 s"
echo "the window closed $(((gone - clicked) / 1000000)) ms after the click"

# The read stops soon after; it is not left to run to the end of the sheet.
stopped=""
for _ in $(seq 1 20); do
    [ "$(reader_threads)" -eq 0 ] && { stopped=1; break; }
    sleep 0.1
done
[ -n "$stopped" ] || fail "the sheet was still read 2 s after 取消"

# The main window still draws, and nothing was written by the import.
[ "$(snapshot)" = "$before" ] || fail "files changed: $(diff <(echo "$before") <(snapshot) || true)"
select_level "$win"
draw_and_wait 2
[ "$(gbk_text "$dir/抽奖号码库.txt" | wc -l)" -eq 20 ] || fail "the pool changed"
[ ! -e "$dir/抽奖号码库_bak.txt" ] || fail "a pool backup was made"
list_dir
echo PASS
