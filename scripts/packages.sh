# The Debian packages the project needs besides the build dependencies in
# debian/control (scripts/deps.sh --build-deps installs those), by use.
# Sourced by the scripts.
# The label is sized for Liberation Serif; fallback fonts for dates and
# times in other scripts: Arabic-Indic digits (DejaVu) and the Japanese
# time's signs (Droid Sans Fallback). With Qt's Wayland plugin it runs as a
# native client in a Wayland session, else through XWayland.
RUN_PACKAGES=(qt6-qpa-plugins qt6-wayland libqt6widgets6 fonts-liberation2 fonts-dejavu-core fonts-droid-fallback)
# scripts/package.sh copies the tracked files with git.
PACKAGE_PACKAGES=(git)
# The end-to-end test counts the program's paints against the X server's
# vblanks (libxcb-damage0-dev, for bench/vblank_paints), runs the program in
# weston (nested in Xvfb) too, and beside a private session bus with a global
# menu service on it (dbus-daemon, python3-dbus, python3-gi) as a desktop's.
# A screen reader's view is read from a private accessibility bus
# (at-spi2-core, python3-pyatspi), beside a stand-in settings portal.
# The package test checks the package with lintian, runs its autopkgtest and
# finds its manual page with man; the kiosk example, which runs cage, with
# systemd-analyze, and the kiosk test runs cage (nested in Xvfb on Debian 12).
TEST_PACKAGES=(libxcb-damage0-dev xvfb xauth openbox weston xdotool x11-utils imagemagick strace binutils tesseract-ocr
    desktop-file-utils appstream groff-base python3 lintian autopkgtest man-db dbus-daemon python3-dbus python3-gi
    at-spi2-core python3-pyatspi systemd cage)
# The kiosk test runs the program under cage and labwc, headless where cage
# takes a virtual keyboard (Debian 13), seen with grim and keyed with wtype;
# labwc's pointer is moved aside with wlrctl. Debian 12 has no labwc.
# Debian 12's cage will not start without Xwayland to offer.
if [[ $(. /etc/os-release && echo "$VERSION_ID") != 12 ]]; then
    TEST_PACKAGES+=(labwc grim wtype wlrctl)
else
    TEST_PACKAGES+=(xwayland)
fi
# The arm64 leg (scripts/test-arm64.sh) cross-builds with Debian's cross
# compilers against the build dependencies as :arm64 (deps.sh --build-deps
# --arch arm64) and runs the tests under qemu-user; the benchmarks' X damage
# library is linked with the tests.
ARM64_PACKAGES=(crossbuild-essential-arm64 qemu-user libxcb-damage0-dev:arm64)
