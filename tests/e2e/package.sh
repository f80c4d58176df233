#!/bin/bash
# The Debian package: built by CPack from the build tree ($2), its
# dependencies derived from the binary, its desktop files valid, and the
# program it holds started from a throw-away root under Xvfb and ended with
# a key. With BRISORA_TEST_APT_INSTALL=1 (as root, package not installed)
# it is also installed with apt-get, started, removed and checked gone.
source "$(dirname "$0")/lib.sh" "$1"
BUILD_DIR=${2:?build directory}

cpack --config "$BUILD_DIR/CPackConfig.cmake" -G DEB -B "$E2E_TMP/pkg" >"$E2E_TMP/cpack.log" 2>&1 ||
    { cat "$E2E_TMP/cpack.log"; fail "cpack makes a Debian package"; finish; }
debs=("$E2E_TMP"/pkg/brisora_*.deb)
check "cpack makes one brisora_*.deb" test ${#debs[@]} -eq 1 -a -f "${debs[0]}"
DEB=${debs[0]}
echo "package: $(basename "$DEB")"

depends=$(dpkg-deb -f "$DEB" Depends)
echo "Depends: $depends"
# Versioned entries for the libraries the binary links come from shlibdeps.
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6; do
    check "Depends names $lib with a version" grep -Eq "(^|, )${lib//+/\\+} \(>= [0-9]" <<<"$depends"
done
check "Depends names Qt's platform plugins" grep -Eq "(^|, )qt6-qpa-plugins(,|$| )" <<<"$depends"
check "Section is games" test "$(dpkg-deb -f "$DEB" Section)" = games

ROOT=$E2E_TMP/root
dpkg-deb -x "$DEB" "$ROOT"
for file in usr/bin/brisora usr/share/applications/brisora.desktop \
    usr/share/icons/hicolor/scalable/apps/brisora.svg \
    usr/share/metainfo/org.example.brisora.metainfo.xml usr/share/man/man6/brisora.6.gz; do
    check "package holds /$file" test -s "$ROOT/$file"
done
check "/usr/bin/brisora is executable" test -x "$ROOT/usr/bin/brisora"
check "/usr/bin/brisora is stripped" sh -c "! readelf -S '$ROOT/usr/bin/brisora' | grep -q '\.symtab'"
check "every library of /usr/bin/brisora is found" sh -c "! ldd '$ROOT/usr/bin/brisora' | grep -q 'not found'"

desktop=$ROOT/usr/share/applications/brisora.desktop
check "desktop entry passes desktop-file-validate" desktop-file-validate "$desktop"
check "desktop entry runs brisora from the path" grep -qx 'Exec=brisora' "$desktop"
check "desktop entry's icon is the installed one" grep -qx 'Icon=brisora' "$desktop"
check "desktop entry is in a main and an additional category" \
    grep -Eqx 'Categories=Game;Amusement;' "$desktop"
check "metainfo passes appstreamcli validate" sh -c "appstreamcli validate --no-net \
    '$ROOT/usr/share/metainfo/org.example.brisora.metainfo.xml' >'$E2E_TMP/appstream.log' 2>&1 || { cat '$E2E_TMP/appstream.log'; false; }"
check "metainfo names the desktop entry and a screenshot" sh -c "
    grep -q '<launchable type=\"desktop-id\">brisora.desktop</launchable>' '$ROOT/usr/share/metainfo/org.example.brisora.metainfo.xml' &&
    grep -q '<screenshot type=\"default\">' '$ROOT/usr/share/metainfo/org.example.brisora.metainfo.xml'"
# The icon draws: rendered small, it is not one flat colour.
check "icon renders to a picture" sh -c "
    convert -background none '$ROOT/usr/share/icons/hicolor/scalable/apps/brisora.svg' -resize 48x48 png:- |
        convert - -format '%k' info: | awk '{exit !(\$1 > 4)}'"
zcat "$ROOT/usr/share/man/man6/brisora.6.gz" >"$E2E_TMP/brisora.6"
check "manual page formats without warnings" \
    sh -c "groff -man -Tutf8 -ww -z '$E2E_TMP/brisora.6' 2>&1 | { ! grep -q .; }"
check "manual page is in section 6 and names the program" grep -q '^\.TH BRISORA 6' "$E2E_TMP/brisora.6"

# run_installed BINARY WHAT: starts it in a fresh X server and ends it with a key.
run_installed() {
    BRISORA_BIN=$1
    rm -f "$E2E_TMP/display"
    start_x 1280x1024
    if start_app; then
        pass "$2 opens its window"
        check "$2's window is titled Brisora" sh -c "xprop -id $WID WM_NAME | grep -q '\"Brisora'"
        focus_app 2>/dev/null
        key q 2>/dev/null
        await_exit 10
        check "a key ends $2 (status $APP_STATUS)" test "$APP_STATUS" = 0
    else
        fail "$2 opens its window"
    fi
    [[ -n $APP_PID ]] && kill -9 "$APP_PID" 2>/dev/null
    kill "$WM_PID" "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    APP_PID= WM_PID= XVFB_PID=
}

run_installed "$ROOT/usr/bin/brisora" "the unpacked program"

if [[ ${BRISORA_TEST_APT_INSTALL:-0} == 1 ]]; then
    if [[ $(id -u) != 0 ]] || dpkg-query -W brisora >/dev/null 2>&1; then
        fail "apt-get install needs root and no brisora installed yet"
    else
        export DEBIAN_FRONTEND=noninteractive
        # Whatever happens below, the machine is left without the package.
        trap 'apt-get purge -y -qq brisora >/dev/null 2>&1; e2e_cleanup' EXIT
        check "apt-get installs the package" sh -c "apt-get install -y -qq '$DEB' >'$E2E_TMP/apt.log' 2>&1 || { cat '$E2E_TMP/apt.log'; false; }"
        check "the package is installed" sh -c "dpkg-query -W -f='\${Status}' brisora | grep -q 'install ok installed'"
        command -v brisora >/dev/null && run_installed "$(command -v brisora)" "the installed program"
        check "apt-get removes the package" sh -c "apt-get purge -y -qq brisora >'$E2E_TMP/apt.log' 2>&1 || { cat '$E2E_TMP/apt.log'; false; }"
        check "the package is gone" sh -c "! dpkg-query -W -f='\${Status}' brisora 2>/dev/null | grep -q 'ok installed'"
        check "its files are gone" sh -c "! ls /usr/bin/brisora /usr/share/applications/brisora.desktop \
            /usr/share/icons/hicolor/scalable/apps/brisora.svg /usr/share/metainfo/org.example.brisora.metainfo.xml \
            /usr/share/man/man6/brisora.6.gz 2>/dev/null | grep -q ."
    fi
fi

finish
