#!/usr/bin/env bash
# Checks the package's metadata as the build installs it, without building the
# package: the AppStream metadata, the manual page, the changelog, the
# copyright file and the licence (tests/package/metadata-lib.sh), then that
# each of those checks rejects a copy spoiled in the way a reviewer would
# reject it.
# Usage: tests/package/check-metadata.sh VERSION BUILD_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
version=${1:?usage: check-metadata.sh VERSION BUILD_DIR}
build=${2:?usage: check-metadata.sh VERSION BUILD_DIR}
source "$src/tests/package/metadata-lib.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$tmp/usr" >/dev/null
share=$tmp/usr/share
metainfo=$share/metainfo/$META_ID.metainfo.xml
man=$share/man/man1/luckdial.1.gz
changelog=$share/doc/luckdial/changelog.gz
copyright=$share/doc/luckdial/copyright

check_metainfo "$metainfo" "$version" || fail "the metadata"
check_changelog "$changelog" "$version" "$metainfo" || fail "the changelog"
check_manpage "$man" || fail "the manual page"
check_copyright "$copyright" || fail "the copyright file"
cmp -s "$src/LICENSE" /usr/share/common-licenses/GPL-3 || fail "LICENSE is not the text of the GPL, version 3"
grep -q "GPL-3.0-or-later" "$src/README.md" || fail "the README does not name the licence"
echo "metadata of $version: AppStream, changelog, manual page, copyright and licence pass"

# Once the pictures are published, the metadata names them and stays valid.
cmake -S "$src" -B "$tmp/published" -G Ninja -DLUCKDIAL_TESTS=OFF -DLUCKDIAL_BENCH=OFF \
    -DLUCKDIAL_SCREENSHOT_URL=https://pictures.example.org/luckdial/ >/dev/null
published=$tmp/published/packaging/$META_ID.metainfo.xml
check_metainfo "$published" "$version" || fail "the metadata with published screenshots"
[ "$(xmllint --xpath 'string(//screenshot[@type="default"]/image)' "$published")" = \
    https://pictures.example.org/luckdial/screenshot.png ] || fail "the default screenshot is not the README's first picture"
[ "$(xmllint --xpath 'count(//screenshot/image)' "$published")" = 2 ] || fail "the metadata does not name both pictures"
echo "metadata with published screenshots passes"

# --- each check rejects a spoiled copy ------------------------------------------
spoil=$tmp/spoiled
mkdir "$spoil"
# spoiled NAME CHECK ORIGINAL SED-SCRIPT [ARGS...]: the check fails on a copy
# of ORIGINAL (uncompressed first when it is .gz) edited by SED-SCRIPT.
spoiled() {
    local name=$1 check=$2 original=$3 script=$4 copy
    shift 4
    copy=$spoil/$name/$(basename "$original")
    mkdir -p "$spoil/$name"
    if [[ "$original" == *.gz ]]; then
        gzip -cd "$original" | sed -e "$script" | gzip -9n >"$copy"
    else
        sed -e "$script" "$original" >"$copy"
    fi
    if "$check" "$copy" "$@" 2>"$spoil/$name.err"; then
        fail "$check accepts a copy with $name"
    fi
    echo "rejected: $name ($(head -n1 "$spoil/$name.err" | sed 's/^ *//' | cut -c1-100))"
}
later=$(awk -F. '{print $1 "." $2 + 1}' <<<"$version")
spoiled "a local screenshot" check_metainfo "$metainfo" \
    's|<releases>|<screenshots><screenshot type="default"><caption>A draw</caption><image>/usr/share/luckdial/draw.png</image></screenshot></screenshots><releases>|' \
    "$version"
spoiled "an upper-case id" check_metainfo "$metainfo" "s|<id>$META_ID</id>|<id>io.github.luckdial.Luckdial</id>|" \
    "$version"
spoiled "no project licence" check_metainfo "$metainfo" '/<project_license>/d' "$version"
spoiled "no developer" check_metainfo "$metainfo" '/<developer_name/d' "$version"
spoiled "no release of the version" check_metainfo "$metainfo" "s|release version=\"$version\"|release version=\"0.1\"|" \
    "$version"
spoiled "an older newest entry" check_changelog "$changelog" "1s|($version)|(0.1)|" "$version" "$metainfo"
spoiled "an entry the metadata lacks" check_changelog "$changelog" \
    "1i luckdial ($later) bookworm; urgency=medium\\n\\n  * Next.\\n\\n -- A <a@b.c>  Thu, 10 Dec 2026 00:00:00 +0000\\n" \
    "$later" "$metainfo"
spoiled "a Debian revision" check_changelog "$changelog" "1s|($version)|($version-1)|" "$version-1" "$metainfo"
spoiled "an unknown macro" check_manpage "$man" 's|^\.SH OPTIONS|.XX\n.SH OPTIONS|'
spoiled "no exit status" check_manpage "$man" 's|^\.SH EXIT STATUS|.SH STATUS|'
spoiled "no machine-readable format" check_copyright "$copyright" '1d'
spoiled "another licence for the whole" check_copyright "$copyright" '/^Files: \*$/,/^$/s|^License: .*|License: MIT|'
spoiled "a licence without its text" check_copyright "$copyright" '/^ To the extent possible/,$d'
# gzip without -n keeps the name and time of the file it compressed.
mkdir "$spoil/named"
gzip -cd "$man" >"$spoil/named/luckdial.1"
gzip -9 "$spoil/named/luckdial.1"
! check_manpage "$spoil/named/luckdial.1.gz" 2>/dev/null || fail "check_manpage accepts gzip without -n"
echo "rejected: a manual page compressed without -n"
echo PASS
