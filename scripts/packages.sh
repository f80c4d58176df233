# The Debian packages the project needs besides the build dependencies in
# debian/control (scripts/deps.sh --build-deps installs those), by use.
# Sourced by the scripts.
# The label is sized for Liberation Serif; fallback fonts for dates and
# times in other scripts: Arabic-Indic digits (DejaVu) and the Japanese
# time's signs (Droid Sans Fallback).
RUN_PACKAGES=(qt6-qpa-plugins libqt6widgets6 fonts-liberation2 fonts-dejavu-core fonts-droid-fallback)
# scripts/package.sh copies the tracked files with git.
PACKAGE_PACKAGES=(git)
# The package test checks the package with lintian, runs its autopkgtest
# and finds its manual page with man.
TEST_PACKAGES=(xvfb xauth openbox xdotool x11-utils imagemagick strace binutils tesseract-ocr
    desktop-file-utils appstream groff-base python3 lintian autopkgtest man-db)
