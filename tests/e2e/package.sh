#!/bin/bash
# The Debian package as a user gets it: made by scripts/package.sh (or the
# .deb given), clean for lintian, its desktop entry and AppStream data
# valid, installed with apt-get, `brisora` started from PATH in a private
# X server and ended with a key, its autopkgtest passed, its manual page
# found by man, and purged with no file left behind. As root, on a machine
# without brisora installed; whatever happens, it leaves the machine without
# it.
#   bash tests/e2e/package.sh [DEB]
source "$(dirname "$0")/lib.sh" brisora
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
export DEBIAN_FRONTEND=noninteractive LC_ALL=C
# quiet CMD...: runs it, showing its output only when it fails.
quiet() { "$@" >"$E2E_TMP/out" 2>&1 || { cat "$E2E_TMP/out"; return 1; }; }

if [[ $(id -u) != 0 ]] || dpkg-query -W -f='${Status}' brisora 2>/dev/null | grep -q 'ok installed'; then
    fail "runs as root, with brisora not installed (apt-get purge brisora)"
    finish
fi
if [[ -z ${1:-} ]]; then
    # ctest runs another test beside this one: one compiler job.
    DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-parallel=1} bash "$ROOT/scripts/package.sh" >"$E2E_TMP/build.log" 2>&1 ||
        { tail -n 40 "$E2E_TMP/build.log"; fail "scripts/package.sh makes the package"; finish; }
fi
# apt-get takes a file for a package name only with a path in it.
DEB=$(realpath "${1:-$(tail -n 1 "$E2E_TMP/build.log")}")
echo "package: $DEB"

check "lintian finds no error or warning" lintian --fail-on error,warning "$DEB"
# pinned: the package depends on a Qt ABI that the Qt core library installed
# here for this machine's architecture provides (another architecture's may
# be installed beside it), its private one where it names one.
pinned() {
    local provides pin
    provides=$(dpkg-query -W -f='${db:Status-Abbrev} ${Provides}\n' "libqt6core6*:$(dpkg --print-architecture)" | sed -n 's/^ii  //p')
    pin=$(dpkg-deb -f "$DEB" Depends | grep -oE 'qt6-base-(private-)?abi \(= [^)]+\)')
    echo "  depends on: ${pin:-no Qt ABI}; Qt's core provides: $provides"
    [[ -n $pin && ", $provides," == *", $pin,"* && ($pin == qt6-base-private-* || $provides != *qt6-base-private-abi*) ]]
}
check "it depends on the very Qt ABI it was built against" pinned
dpkg-deb -x "$DEB" "$E2E_TMP/root"
appstreamcli validate-tree --no-net --pedantic "$E2E_TMP/root" >"$E2E_TMP/valid"
desktop-file-validate "$E2E_TMP/root/usr/share/applications/brisora.desktop" >>"$E2E_TMP/valid"
# Two notes pass: appstreamcli before 1.0 (Debian 12) does not know the
# developer element, and 1.0 on asks for a homepage the project does not have.
check "AppStream data and desktop entry: nothing to say but pedantic notes and those two" sh -c "! grep -E '^ *[EWI]: |brisora.desktop' '$E2E_TMP/valid' |
    grep -vE ': (unknown-tag developer|url-homepage-missing)$'"

start_x 1280x1024
trap 'apt-get purge -y -qq brisora >/dev/null 2>&1; stop_x; rm -rf "$E2E_TMP"' EXIT
check "apt-get installs the package" quiet apt-get install -y -qq "$DEB"
dpkg -L brisora >"$E2E_TMP/files"
icon=$(sed -n 's/^Icon=//p' /usr/share/applications/brisora.desktop)
check "the desktop entry's icon ($icon) is in the package" grep -q "^/usr/share/icons/.*/$icon\.svg$" "$E2E_TMP/files"
check "brisora on PATH is the package's" quiet dpkg -S "$(command -v brisora)"
# The start-at-boot examples: shipped for a user to copy, valid for systemd
# and the desktops, and nothing put where a session or systemd would start it.
examples=/usr/share/doc/brisora/examples
check "the kiosk unit and autostart entry are shipped as valid examples, not enabled" sh -c "
    desktop-file-validate $examples/brisora-autostart.desktop && test -z \"\$(systemd-analyze verify $examples/brisora-kiosk.service 2>&1)\" &&
    ! grep -E '/(autostart|systemd)/' '$E2E_TMP/files'"
# debian/tests as autopkgtest runs them on this machine; the tree it copies
# needs no more than debian/.
mkdir "$E2E_TMP/src" && cp -r "$ROOT/debian" "$E2E_TMP/src"
check "autopkgtest passes the package's own tests" quiet autopkgtest "$DEB" "$E2E_TMP/src" -- null

drawn() { (($(import -window "$WID" png:- | convert - -format %k info:) > 3)); }
if start_app; then
    check "brisora from PATH draws its window" wait_for 10 drawn
    xdotool key q
    check "a key ends it with status 0" ends_with 0
else
    fail "brisora from PATH opens its window"
fi

check "man 6 brisora shows the installed page" sh -c "dpkg -S \"\$(man -w 6 brisora)\" && MANPAGER=cat MANWIDTH=80 man 6 brisora |
    grep -q '^ *brisora - decorative display with a wandering clock and confetti$'"

check "apt-get purges the package" quiet apt-get purge -y -qq brisora
# Shared directories stay while another package owns them.
while read -r path; do
    [[ $path != /. && -e $path ]] && ! dpkg -S "$path" >/dev/null 2>&1 && echo "$path"
done <"$E2E_TMP/files" >"$E2E_TMP/left"
check "purge leaves none of the package's files" sh -c "cat '$E2E_TMP/left'; test ! -s '$E2E_TMP/left'"

finish
