#!/usr/bin/env bash
# The real program under Xvfb with photos: their small copies appear in the
# hidden folder while the window runs; after a photo is replaced and another
# removed, the next start leaves exactly one current copy per photo that can
# be shown, and a draw runs as before.
set -euo pipefail
EXE=${1:?usage: small_copies.sh path/to/luckdial}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/xvfb-lib.sh"
source "$here/event.sh"
demo="$here/../../../demo"

# The copy's name the program gives a photo: a hash of the photo's name, its
# size, its modification time in nanoseconds and the copies' bound.
copy_name() {
    local file=$1 hash size mtime
    hash=$(printf '%s' "$(basename "$file")" | sha1sum | cut -c1-20)
    size=$(stat -c %s "$file")
    mtime=$(stat -c %.9Y "$file" | tr -d .)
    echo "$hash-$size-$mtime-1440.jpg"
}

# The copies that photos 1001-1008 should have (1008 is no photo).
expected() {
    local f
    for f in "$dir"/照片/10*.jpg; do
        [ "$(basename "$f")" = 1008.jpg ] || copy_name "$f"
    done | sort
}

present() { find "$dir/照片/.缩略图" -maxdepth 1 -type f -printf '%f\n' 2>/dev/null | sort; }

# Waits until the copies' folder holds exactly the expected copies.
wait_copies() {
    local want
    want=$(expected)
    for _ in $(seq 1 600); do
        [ "$(present)" = "$want" ] && return 0
        sleep 0.1
    done
    echo "expected:"; echo "$want"; echo "present:"; present
    fail "the small copies did not come up to date within 60s"
}

start_event "$EXE"
mkdir "$dir/照片"
for i in 1001 1002 1003 1004 1005; do cp "$demo/底图.jpg" "$dir/照片/$i.jpg"; done
cp "$demo/奖品图片/1.jpg" "$dir/照片/1006.jpg"
cp "$demo/奖品图片/2.jpg" "$dir/照片/1007.jpg"
printf 'not a photo at all' >"$dir/照片/1008.jpg"

open_event
wait_copies
[ "$(present | wc -l)" -eq 7 ] || fail "expected 7 copies, found $(present | wc -l)"
# A 1600x900 picture's portrait crop is 675x900, within the bound: kept whole.
info=$(file -b "$dir/照片/.缩略图/$(copy_name "$dir/照片/1001.jpg")")
[[ "$info" == *"JPEG image data"*", 675x900,"* ]] || fail "copy of 1001.jpg: $info"
# No draw yet, so no recovery record: the next start asks nothing.
app_kill

# 1001 replaced under its name, 1002 removed: the next start redoes the one
# and drops the other's copy.
old=$(copy_name "$dir/照片/1001.jpg")
sleep 0.05
cp "$demo/奖品图片/3.jpg" "$dir/照片/1001.jpg"
rm "$dir/照片/1002.jpg"
app_start "$dir"
win=$(wait_window '^Luckdial')
wait_copies
[ "$(present | wc -l)" -eq 6 ] || fail "expected 6 copies, found $(present | wc -l)"
[ ! -e "$dir/照片/.缩略图/$old" ] || fail "the replaced photo's old copy was kept"
info=$(file -b "$dir/照片/.缩略图/$(copy_name "$dir/照片/1001.jpg")")
[[ "$info" == *", 123x165,"* ]] || fail "copy of the new 1001.jpg: $info"
select_level "$win"
draw_and_wait 2
echo "copies: $(present | tr '\n' ' ')"
echo PASS
