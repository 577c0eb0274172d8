# Checks of what the package says about itself, as a distribution's reviewer
# reads it: the AppStream metadata, the manual page, the changelog and the
# copyright file. Sourced by check-metadata.sh (on an installed tree, in the
# build's tests) and by check-package.sh (on the unpacked package). Each check
# prints its reason on stderr and returns 1 on a fault, so that a caller can
# also expect it to fail.

META_ID=io.github.luckdial.luckdial
META_LICENSE=GPL-3.0-or-later

meta_fail() {
    echo "  $*" >&2
    return 1
}

# gzip_debian FILE: compressed as Debian wants it, gzip -9n: no file name and
# no time stamp in the header (so a rebuild gives the same bytes), best
# compression.
gzip_debian() {
    local header
    header=$(od -An -tx1 -N10 "$1" | tr -d ' \n')
    [ "${header:0:6}" = 1f8b08 ] || meta_fail "$1 is not gzip data" || return 1
    [ "${header:6:2}" = 00 ] || meta_fail "$1 keeps a file name or comment (gzip without -n)" || return 1
    [ "${header:8:8}" = 00000000 ] || meta_fail "$1 keeps a time stamp (gzip without -n)" || return 1
    [ "${header:16:2}" = 02 ] || meta_fail "$1 is not compressed with -9" || return 1
    gzip -t "$1" || meta_fail "$1 is damaged"
}

# check_metainfo FILE VERSION: valid for the pedantic validator (not even a
# hint), with the project's licence, id and a release of this version.
check_metainfo() {
    local file=$1 version=$2 out rc=0
    out=$(appstreamcli validate --pedantic --no-net --no-color "$file" 2>&1) || rc=$?
    [ "$rc" -eq 0 ] || meta_fail "appstreamcli validate --pedantic failed ($rc): $out" || return 1
    ! grep -E '^[EWIP]: ' <<<"$out" >&2 || meta_fail "appstreamcli validate --pedantic reports the lines above" ||
        return 1
    local id license top
    id=$(xmllint --xpath 'string(/component/id)' "$file") || meta_fail "$file is not XML" || return 1
    [ "$id" = "$META_ID" ] || meta_fail "metainfo id is '$id', not $META_ID" || return 1
    [ "$(basename "$file")" = "$META_ID.metainfo.xml" ] || meta_fail "metainfo named $(basename "$file")" || return 1
    license=$(xmllint --xpath 'string(/component/project_license)' "$file")
    [ "$license" = "$META_LICENSE" ] || meta_fail "project_license is '$license', not $META_LICENSE" || return 1
    [ -n "$(xmllint --xpath 'string(/component/developer_name)' "$file")" ] ||
        meta_fail "metainfo names no developer" || return 1
    top=$(xmllint --xpath 'string(/component/releases/release[1]/@version)' "$file")
    [ "$top" = "$version" ] || meta_fail "the newest metainfo release is '$top', the version $version" || return 1
}

# metainfo_releases FILE: "VERSION DATE" per release, newest first.
metainfo_releases() {
    local n i
    n=$(xmllint --xpath 'count(/component/releases/release)' "$1")
    for ((i = 1; i <= n; i++)); do
        echo "$(xmllint --xpath "string(/component/releases/release[$i]/@version)" "$1")" \
            "$(xmllint --xpath "string(/component/releases/release[$i]/@date)" "$1")"
    done
}

# check_changelog FILE.gz VERSION METAINFO: a native package's changelog that
# parses, whose newest entry is this version, and whose entries are the
# metadata's releases, version for version and day for day.
check_changelog() {
    local file=$1 version=$2 metainfo=$3 text top
    gzip_debian "$file" || return 1
    text=$(mktemp)
    gzip -cd "$file" >"$text"
    top=$(dpkg-parsechangelog -l "$text" -S Version 2>&1) || { rm -f "$text"; meta_fail "changelog: $top"; return 1; }
    local entries
    entries=$(dpkg-parsechangelog -l "$text" --all --format rfc822 2>/dev/null |
        awk '/^Version: /{v=$2} /^Timestamp: /{print v, $2}')
    rm -f "$text"
    [ "$top" = "$version" ] || meta_fail "the newest changelog entry is '$top', the version $version" || return 1
    [[ "$version" != *-* ]] || meta_fail "a native package's version has no Debian revision ($version)" || return 1
    local days
    days=$(while read -r v stamp; do echo "$v $(date -u -d "@$stamp" +%F)"; done <<<"$entries")
    [ "$days" = "$(metainfo_releases "$metainfo")" ] ||
        meta_fail "changelog entries and metainfo releases differ:" $'\n'"$days"$'\n'"--"$'\n'"$(metainfo_releases "$metainfo")" ||
        return 1
}

# check_manpage FILE.gz: compressed, rendered by man without a single warning
# (as lintian renders it), and holding the sections a reader looks for.
check_manpage() {
    local file=$1 out
    gzip_debian "$file" || return 1
    out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)
    [ -z "$out" ] || meta_fail "man reports: $out" || return 1
    local text section
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$file" 2>/dev/null | col -b)
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES 'EXIT STATUS' EXAMPLES; do
        grep -qx "$section" <<<"$text" || meta_fail "the manual page has no $section section" || return 1
    done
    for name in 抽奖号码库.txt peizhi.a 抽奖结果.txt 导入抽奖名单 '~/Luckdial'; do
        grep -qF "$name" <<<"$text" || meta_fail "the manual page does not mention $name" || return 1
    done
}

# check_copyright FILE: machine-readable (copyright-format 1.0), the project's
# licence for the whole, and every licence named given a text of its own.
check_copyright() {
    local file=$1
    [ "$(head -n1 "$file")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
        meta_fail "$file is not in the machine-readable copyright format" || return 1
    awk -v lic="$META_LICENSE" '
        /^Files: \*$/ { whole = 1; next }
        /^$/ { whole = 0 }
        whole && /^License: / { found = ($2 == lic) }
        END { exit !found }' "$file" || meta_fail "the copyright file does not give Files: * under $META_LICENSE" ||
        return 1
    local used
    used=$(awk '/^Files: /{f=1} /^$/{f=0} f && /^License: /{print $2}' "$file" | sort -u)
    for lic in $used; do
        grep -qx "License: $lic" "$file" && awk -v lic="$lic" '
            $0 == "License: " lic { text = 1; next }
            text && /^ / { lines++ } text && !/^ / { text = 0 }
            END { exit !(lines > 2) }' "$file" ||
            meta_fail "the copyright file gives no text for the licence $lic" || return 1
    done
}
