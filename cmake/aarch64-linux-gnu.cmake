# Cross-compiling for arm64 on a Debian machine of another architecture,
# against the arm64 libraries that multiarch installs (apt-get build-dep
# -aarm64): Debian's cross compilers, its pkg-config wrapper for the target,
# and Qt's host tools (moc, rcc) from the build machine. Test programs run
# under qemu-user against the same multiarch libraries, with their own loader
# (/lib/ld-linux-aarch64.so.1): not with -L /usr/aarch64-linux-gnu, whose
# loader is the cross toolchain's glibc, a different build from the arm64
# libc it would load, and the pair hangs at the first new thread.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(PKG_CONFIG_EXECUTABLE aarch64-linux-gnu-pkg-config CACHE FILEPATH "pkg-config for the target")
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(QT_HOST_PATH /usr CACHE PATH "Qt's host tools")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
