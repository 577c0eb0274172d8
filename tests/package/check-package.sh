#!/usr/bin/env bash
# Checks the Debian package without installing it: its control fields and
# declared dependencies, its file list against the sources, lintian (no error
# or warning), the desktop entry, the metadata as a distribution's reviewer
# reads it (tests/package/metadata-lib.sh: AppStream validated pedantically,
# changelog, manual page, copyright file), and then the unpacked launcher
# under Xvfb with a temporary HOME: a new event folder is filled with the
# demo event, the program runs there and writes its results there only, an
# empty folder given by a relative path is a second event of its own, and a
# folder the user cannot write to is refused in a window and on stderr.
# Usage: tests/package/check-package.sh path/to/luckdial_VERSION_amd64.deb
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
deb=$(realpath "${1:?usage: check-package.sh luckdial_VERSION_amd64.deb}")
source "$src/scripts/xvfb-lib.sh"
source "$src/tests/package/metadata-lib.sh"

tmp=$(mktemp -d)
trap 'xvfb_cleanup; rm -rf "$tmp"' EXIT
# The refused folder is tried as an unprivileged user, who must reach the tree.
chmod 755 "$tmp"
APP_LOG=$tmp/program.log
root=$tmp/root
id=$META_ID

# --- control fields and dependencies -------------------------------------
version=$(sed -n 's/^project(Luckdial VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
[ -n "$version" ] || fail "no version in CMakeLists.txt"
[ "$(basename "$deb")" = "luckdial_${version}_amd64.deb" ] || fail "package file named $(basename "$deb")"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = luckdial ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), project $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
# The package tools show the description in 80 columns.
long=$(dpkg-deb -f "$deb" Description | awk 'length > 80')
[ -z "$long" ] || fail "description lines over 80 columns: $long"

depends=$(field Depends)
echo "Depends: $depends"
# The libraries the program links (found by the shared-library scan) and what
# it loads at run time (sound back end, Chinese fonts).
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6multimedia6 libqt6network6 \
    libqt6printsupport6 libjpeg62-turbo gstreamer1.0-plugins-base gstreamer1.0-plugins-good fonts-noto-cjk; do
    grep -qxF "$p" <<<"$names" || fail "Depends lacks $p"
done
# Every group names a real package: one of its alternatives is installed here,
# where the unpacked program runs below.
IFS=',' read -ra groups <<<"$depends"
provided=$(dpkg-query -W -f='${Status} ${Provides}\n' 2>/dev/null)
for g in "${groups[@]}"; do
    ok=0
    IFS='|' read -ra alts <<<"$g"
    for a in "${alts[@]}"; do
        name=$(awk '{print $1}' <<<"$a")
        [ "$(dpkg-query -W -f='${Status}' "$name" 2>/dev/null)" = "install ok installed" ] && ok=1
        # A virtual package (qt6-websockets-abi) is met by an installed package providing it.
        grep -qE "^install ok installed (.*[ ,])?$name( |,|$)" <<<"$provided" && ok=1
    done
    [ "$ok" -eq 1 ] || fail "no package of the dependency '$g' is installed"
done

# --- file list --------------------------------------------------------------
expected=(
    ./usr/bin/luckdial
    ./usr/libexec/luckdial/luckdial
    ./usr/libexec/luckdial/luckdial-notice
    "./usr/share/applications/$id.desktop"
    "./usr/share/metainfo/$id.metainfo.xml"
    "./usr/share/icons/hicolor/scalable/apps/$id.svg"
    ./usr/share/man/man1/luckdial.1.gz
    ./usr/share/doc/luckdial/copyright
    ./usr/share/doc/luckdial/changelog.gz
    ./usr/share/lintian/overrides/luckdial
)
for s in 16 24 32 48 64 128 256; do expected+=("./usr/share/icons/hicolor/${s}x$s/apps/$id.png"); done
if git -C "$src" rev-parse --git-dir >/dev/null 2>&1; then
    mapfile -t demo_files < <(git -C "$src" -c core.quotePath=false ls-files demo | sed 's|^demo/||')
else
    mapfile -t demo_files < <(cd "$src/demo" && find . -type f | sed 's|^\./||')
fi
[ "${#demo_files[@]}" -ge 10 ] || fail "only ${#demo_files[@]} demo files in the sources"
for f in "${demo_files[@]}"; do expected+=("./usr/share/luckdial/demo/$f"); done
diff <(printf '%s\n' "${expected[@]}" | sort) \
    <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort) >"$tmp/list.diff" ||
    { cat "$tmp/list.diff" >&2; fail "the package's files differ from the expected list (< expected, > packaged)"; }
echo "files: ${#expected[@]}, size $(stat -c %s "$deb") bytes"

# --- lintian ------------------------------------------------------------------
# No error and no warning; the informational tags are shown (each one has been
# considered: README, Installing). Its note that it runs as root is dropped:
# the tests run as root.
rc=0
lintian --fail-on error,warning --display-info --pedantic --tag-display-limit 0 "$deb" >"$tmp/lintian.out" \
    2> >(grep -v 'running with root privileges' >&2) || rc=$?
cat "$tmp/lintian.out"
[ "$rc" -eq 0 ] || fail "lintian ended with $rc"
! grep -E '^[EW]: ' "$tmp/lintian.out" >/dev/null || fail "lintian reports errors or warnings"
echo "lintian: no errors or warnings, $(grep -c '^[IP]: ' "$tmp/lintian.out" || true) informational tags"

# --- unpacked tree ----------------------------------------------------------
dpkg-deb -x "$deb" "$root"
for f in usr/bin/luckdial usr/libexec/luckdial/luckdial usr/libexec/luckdial/luckdial-notice; do
    [ -x "$root/$f" ] || fail "$f is not executable"
done
for f in usr/libexec/luckdial/luckdial usr/libexec/luckdial/luckdial-notice; do
    [[ "$(file "$root/$f")" == *', stripped'* ]] || fail "$f is not stripped"
    ! ldd "$root/$f" | grep 'not found' || fail "$f needs a library that is not there"
done
for f in "${demo_files[@]}"; do
    cmp -s "$src/demo/$f" "$root/usr/share/luckdial/demo/$f" || fail "demo file $f differs from the sources"
done

desktop=$root/usr/share/applications/$id.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
grep -qx 'Exec=luckdial' "$desktop" || fail "the menu entry does not run the launcher"
grep -qx "Icon=$id" "$desktop" || fail "the menu entry's icon is not $id"
grep -qx 'Name=Luckdial' "$desktop" || fail "no English name"
grep -q '^Name\[zh_CN\]=.*抽奖' "$desktop" || fail "no Chinese name"
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
check_metainfo "$metainfo" "$version" || fail "the AppStream metadata"
doc=$root/usr/share/doc/luckdial
check_changelog "$doc/changelog.gz" "$version" "$metainfo" || fail "the changelog"
check_copyright "$doc/copyright" || fail "the copyright file"
check_manpage "$root/usr/share/man/man1/luckdial.1.gz" || fail "the manual page"
echo "metadata: AppStream (pedantic), changelog, copyright and manual page pass"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not name the menu entry"

# --- the launcher under Xvfb --------------------------------------------------
launcher=$root/usr/bin/luckdial
program=$root/usr/libexec/luckdial/luckdial
home=$tmp/home
cwd=$tmp/cwd
mkdir -p "$home" "$cwd"
find "$root" -printf '%p %s %T@\n' | sort >"$tmp/root.before"

# launch [FOLDER]: the launcher as the menu starts it (no arguments) or with a
# folder, from a working directory of its own. It runs the program in its own
# process, so APP_PID is the program's.
launch() {
    xvfb_ensure
    (cd "$cwd" && exec env HOME="$home" QT_QPA_PLATFORM=xcb "$launcher" "$@" >>"$APP_LOG" 2>&1) &
    APP_PID=$!
}
app_stop() {
    kill "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
    APP_PID=""
}
# check_demo_event DIR: the folder holds the demo event and the installed program.
check_demo_event() {
    local dir=$1 f
    for f in "${demo_files[@]}"; do
        [ -w "$dir/$f" ] || fail "$dir/$f is not writable"
        # The program writes its settings back as it starts.
        [ "$f" = peizhi.a ] && continue
        cmp -s "$src/demo/$f" "$dir/$f" || fail "$dir/$f is not the demo's"
    done
    gbk_text "$dir/peizhi.a" | grep -xF "$(gbk_text "$src/demo/peizhi.a" | grep "^zbt=")" >/dev/null ||
        fail "$dir/peizhi.a does not hold the demo's title"
    cmp -s "$program" "$dir/luckdial" || fail "$dir/luckdial is not the installed program"
    [ -x "$dir/luckdial" ] || fail "$dir/luckdial is not executable"
}
# check_readme FILE: GBK, every line ended by CR LF, naming the event's files.
check_readme() {
    local text
    text=$(iconv -f GBK -t UTF-8 "$1") || fail "$1 is not GBK"
    [ "$(tr -cd '\n' <"$1" | wc -c)" -eq "$(grep -c $'\r$' "$1")" ] || fail "$1 has a line without CR LF"
    # The pool file is written by the list import alone: the text says so.
    for name in 抽奖号码库.txt peizhi.a 抽奖结果.txt 底图.jpg 奖品图片 wav luckdial 导入抽奖名单 抽奖号码库_bak.txt; do
        grep -q "$name" <<<"$text" || fail "$1 does not mention $name"
    done
    ! grep -q '只读不写' <<<"$text" || fail "$1 says the program never writes the pool"
}
# results_files: every results file under the temporary tree.
results_files() { find "$tmp" -name '抽奖结果*' | sort; }
# draw_and_check WINDOW DIR: one draw of the first level; its line names a
# participant of the folder's pool.
draw_and_check() {
    local win=$1 dir=$2 line entry
    select_level "$win" 1
    draw_once "$win"
    wait_lines "$dir/抽奖结果.txt" 1 20
    line=$(gbk_text "$dir/抽奖结果.txt" | sed -n 1p)
    [[ "$line" =~ ^(.+)\ \ ------\ \ 特等奖$ ]] || fail "unexpected results line: '$line'"
    entry=${BASH_REMATCH[1]}
    gbk_text "$dir/抽奖号码库.txt" | grep -xF "$entry" >/dev/null || fail "the winner '$entry' is not in the pool"
    echo "drew $entry in $dir"
}

xvfb_start

# From the menu: ~/Luckdial does not exist yet and is made with the demo event.
event=$home/Luckdial
launch
win=$(wait_window '^LuckdialVer')
# The menu entry claims the program's window, whose class is not the entry's name.
class=$(xprop -id "$win" WM_CLASS | sed -n 's/.*= "\([^"]*\)", "\([^"]*\)"$/\2/p')
grep -qx "StartupWMClass=$class" "$desktop" || fail "the window's class '$class' is not the menu entry's StartupWMClass"
check_demo_event "$event"
check_readme "$event/说明.txt"
app_stop

# Again, after an upgrade left an old program in the folder and the user changed
# the folder: the program is replaced, nothing else is touched.
printf 'old' >>"$event/luckdial"
rm "$event/说明.txt"
printf 'keep\r\n' >"$event/自己的.txt"
launch
win=$(wait_window '^LuckdialVer')
cmp -s "$program" "$event/luckdial" || fail "the program in $event was not replaced"
[ ! -e "$event/说明.txt" ] || fail "an existing event folder was filled again"
[ "$(cat "$event/自己的.txt")" = $'keep\r' ] || fail "a file of the user's changed"
draw_and_check "$win" "$event"
app_stop
[ "$(results_files)" = "$event/抽奖结果.txt" ] || fail "results written elsewhere: $(results_files | tr '\n' ' ')"
cp "$event/抽奖结果.txt" "$tmp/first-results"

# A second event: an empty folder, given relative to the working directory.
second=$home/年会2026
mkdir "$second"
launch ../home/年会2026
win=$(wait_window '^LuckdialVer')
check_demo_event "$second"
draw_and_check "$win" "$second"
app_stop
cmp -s "$tmp/first-results" "$event/抽奖结果.txt" || fail "the second event changed the first one's results"
[ "$(results_files)" = "$(printf '%s\n' "$event/抽奖结果.txt" "$second/抽奖结果.txt" | sort)" ] ||
    fail "results written elsewhere: $(results_files | tr '\n' ' ')"
[ -z "$(ls -A "$cwd")" ] || fail "the launcher wrote into its working directory: $(ls -A "$cwd")"
find "$root" -printf '%p %s %T@\n' | sort | diff "$tmp/root.before" - >/dev/null ||
    fail "the installed tree changed"

# A folder the user cannot write to is refused, in a window and on stderr.
# Root writes anywhere, so it tries as nobody.
ro=$tmp/ro
mkdir "$ro"
cp -R "$src/demo/." "$ro/"
chmod -R a+rX "$ro"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod a-w "$ro"
fi
ls -lR "$ro" >"$tmp/ro.before"
xvfb_ensure
("${as_user[@]}" env HOME="$tmp/nobody" "$launcher" "$ro" 2>"$tmp/refused.err") &
APP_PID=$!
box=$(wait_window '^Luckdial$')
key_to "$box" Return
rc=0
for _ in $(seq 1 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
wait "$APP_PID" || rc=$?
APP_PID=""
[ "$rc" -eq 1 ] || fail "the launcher ended with $rc on a read-only folder"
grep -q "“$ro”不可写" "$tmp/refused.err" || fail "no reason on stderr: $(cat "$tmp/refused.err")"
ls -lR "$ro" | diff "$tmp/ro.before" - || fail "the refused folder changed"
# Without a display the message goes to stderr alone, and the launcher ends.
rc=0
timeout 20 "${as_user[@]}" env -u DISPLAY HOME="$tmp/nobody" "$launcher" "$ro/新活动" 2>"$tmp/refused.err" || rc=$?
[ "$rc" -eq 1 ] || fail "the launcher ended with $rc on a folder it cannot make"
grep -q "无法创建活动文件夹“$ro/新活动”" "$tmp/refused.err" || fail "no reason on stderr: $(cat "$tmp/refused.err")"

# The usage text leads to the manual page; a second argument is a usage error.
help=$(env -u DISPLAY "$launcher" --help) || fail "luckdial --help ended with $?"
grep -q 'man luckdial' <<<"$help" || fail "luckdial --help does not name the manual page: $help"
rc=0
env -u DISPLAY "$launcher" a b >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 2 ] || fail "luckdial with two arguments ended with $rc"

# A file is not an event folder.
rc=0
env -u DISPLAY HOME="$home" "$launcher" "$event/自己的.txt" 2>"$tmp/refused.err" || rc=$?
[ "$rc" -eq 1 ] && grep -q '不是文件夹' "$tmp/refused.err" || fail "a file was taken for an event folder"
echo PASS
