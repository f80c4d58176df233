# The Debian packages the project needs, by use. Sourced by the scripts.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-liberation2 fontconfig)
# Fallback fonts for dates and times in other scripts: Arabic-Indic digits
# (DejaVu) and the Japanese time's signs (Droid Sans Fallback).
RUN_PACKAGES=(qt6-qpa-plugins libqt6widgets6 fonts-dejavu-core fonts-droid-fallback)
# Making the Debian package: dpkg-shlibdeps derives its dependencies; CPack
# finds the binaries to scan with file(1) and readelf.
PACKAGE_PACKAGES=(dpkg-dev file binutils)
TEST_PACKAGES=(xvfb xauth openbox xdotool x11-utils imagemagick locales strace binutils tesseract-ocr
    desktop-file-utils appstream groff-base python3 "${PACKAGE_PACKAGES[@]}")
