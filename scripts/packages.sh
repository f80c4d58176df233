# The Debian packages the project needs besides the build dependencies in
# debian/control (scripts/deps.sh --build-deps installs those), by use.
# Sourced by the scripts.
# The label is sized for Liberation Serif; fallback fonts for dates and
# times in other scripts: Arabic-Indic digits (DejaVu) and the Japanese
# time's signs (Droid Sans Fallback).
RUN_PACKAGES=(qt6-qpa-plugins libqt6widgets6 fonts-liberation2 fonts-dejavu-core fonts-droid-fallback)
# The package test checks the package with lintian and finds its manual
# page with man; a private session bus with a global menu service on it
# (dbus-daemon, python3-dbus, python3-gi) stands in for a desktop's.
TEST_PACKAGES=(xvfb xauth openbox xdotool x11-utils imagemagick strace binutils tesseract-ocr
    desktop-file-utils appstream groff-base python3 lintian man-db dbus-daemon python3-dbus python3-gi)
