#!/bin/bash
# A fresh Debian root (minbase) to run a command in, e.g. the test command on
# another release. Making it and running in it are separate steps, so that
# the root can be made in the background while something else runs. As root.
#   bash scripts/fresh-root.sh make ROOT SUITE       debootstrap from the host's mirror
#   bash scripts/fresh-root.sh run ROOT COMMAND...   COMMAND in a clean clone of this
#                                                    tree (ROOT/root/brisora), by chroot
#   bash scripts/fresh-root.sh remove ROOT           unmount and delete the root
# Whatever happens, nothing stays mounted under ROOT and nothing keeps running
# in it once a step ends.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
step=${1:?make, run or remove}
root=${2:?root directory}
shift 2
mkdir -p "$root"
root=$(realpath "$root")

child=
# in_background COMMAND...: runs it in a process group of its own and waits
# in a way a signal can interrupt, so that the traps run at once.
in_background() {
    setsid "$@" &
    child=$!
    wait "$child"
}
# The command's process group (debootstrap and its downloads), processes
# whose root is the root or lies inside it (a D-Bus daemon the tests
# started), then every mount there, deepest first: a mount left behind
# would keep host devices under a directory that is about to be deleted.
clean_up() {
    local p dir killed=
    [[ -z $child ]] || kill -9 -- -"$child" 2>/dev/null || true
    for p in /proc/[0-9]*; do
        dir=$(readlink "$p/root" 2>/dev/null) || continue
        if [[ $dir == "$root" || $dir == "$root"/* ]]; then
            kill -9 "${p#/proc/}" 2>/dev/null || true
            killed=1
        fi
    done
    # Let the killed let go of their files before the unmounts.
    [[ -z $killed ]] || sleep 1
    findmnt -rno TARGET | awk -v r="$root" '$0 == r || index($0, r "/") == 1' | sort -r |
        while read -r mnt; do umount "$mnt" || umount -l "$mnt" || true; done
}
trap clean_up EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

case $step in
make)
    suite=${1:?suite, e.g. trixie}
    # The mirror the host's own release comes from.
    mirror=$(apt-get indextargets --no-release-info --format '$(SITE) $(RELEASE)' 'Created-By: Packages' |
        awk -v s="$(. /etc/os-release && echo "$VERSION_CODENAME")" '$2 == s {print $1; exit}')
    mirror=${mirror:-http://deb.debian.org/debian}
    echo "debootstrap $suite from $mirror into $root"
    in_background debootstrap --variant=minbase "$suite" "$root" "$mirror"
    # Package installs in the root start no services.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod 755 "$root/usr/sbin/policy-rc.d"
    ;;
run)
    (($#)) || { echo "fresh-root.sh run: no command" >&2; exit 2; }
    rm -rf --one-file-system "$root/root/brisora"
    git clone -q --no-hardlinks "$top" "$root/root/brisora"
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc"
    # The host's devices, but a pseudo-terminal and a shared-memory mount of
    # the root's own, so that nothing mounted below reaches the host's /dev.
    mount --bind /dev "$root/dev"
    mount --make-private "$root/dev"
    mount -t devpts -o newinstance,ptmxmode=0666,mode=620,gid=5 devpts "$root/dev/pts"
    mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
    in_background chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        sh -c 'cd /root/brisora && exec "$@"' sh "$@"
    ;;
remove)
    clean_up
    rm -rf --one-file-system "$root"
    ;;
*)
    echo "fresh-root.sh: unknown step $step" >&2
    exit 2
    ;;
esac
