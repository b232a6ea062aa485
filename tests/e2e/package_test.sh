#!/usr/bin/env bash
# The Debian package: built from the build tree with cpack, installed into
# the system with dpkg, run from /usr/bin, its desktop entry and metainfo
# valid, and removed again without leaving any of its files behind.
# Installing into the system needs root (CI runs on a throwaway machine).
set -uo pipefail
BUILD=$1
source "$(dirname "$0")/lib.sh"
SKIP=77

if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing a package into the system needs root"
    exit $SKIP
fi
if dpkg-query -W -f='${Status}' zeb 2>/dev/null | grep -q 'ok installed' || [ -e /usr/bin/zeb ]; then
    echo "skipped: a zeb is already installed on this system; it is left alone"
    exit $SKIP
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zeb-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Quick compression: the test build's programs are large.
check "cpack builds the package" \
    cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$work" \
        -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/zeb_*.deb)

check "the package is named zeb" test "$(dpkg-deb -f "$deb" Package)" = zeb
check "it depends on the libraries the program links" \
    bash -c "dpkg-deb -f '$deb' Depends | grep -q libqt6widgets6"
depends_on_all() { # <package...>: each is named in the package's Depends
    local depends package
    depends=$(dpkg-deb -f "$deb" Depends) || return 1
    for package in "$@"; do
        grep -qw "$package" <<<"$depends" || return 1
    done
}
check "it depends on the libraries loaded on demand" \
    depends_on_all libcurl4 libasound2 libmpg123-0 libout123-0 libcdio19
check "dpkg installs it" dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || cat "$work/dpkg.log"
dpkg -L zeb >"$work/files"
check "zeb --version runs from /usr/bin" \
    bash -c "/usr/bin/zeb --version | grep -qx 'zeb [0-9][0-9.]*'"
check "zeb-remote is installed" bash -c "/usr/bin/zeb-remote --help | grep -q Usage"
check "the desktop entry is valid" desktop-file-validate /usr/share/applications/org.zeb.Zeb.desktop
check "the metainfo is valid" appstreamcli validate --no-net /usr/share/metainfo/org.zeb.Zeb.metainfo.xml
check "the icon is in the hicolor theme" test -s /usr/share/icons/hicolor/48x48/apps/zeb.png
check "both man pages are installed" \
    bash -c "grep -q '/man1/zeb.1.gz' '$work/files' && grep -q '/man1/zeb-remote.1.gz' '$work/files'"
check "man reads the compressed page" bash -c "zcat /usr/share/man/man1/zeb.1.gz | grep -q '^.TH ZEB'"

check "dpkg removes it" dpkg -r zeb >>"$work/dpkg.log" 2>&1 || cat "$work/dpkg.log"
left_behind() { # the package's files (not shared folders) still present
    while read -r path; do
        [ -d "$path" ] && continue
        [ -e "$path" ] && echo "$path"
    done <"$work/files"
}
check "none of its files is left" test -z "$(left_behind)"
check "dpkg no longer knows it" \
    bash -c "! dpkg-query -W -f='\${Status}' zeb 2>/dev/null | grep -q installed"
finish
