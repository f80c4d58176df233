#!/bin/bash
# The program writes no file and talks to nothing but the X server: the
# real binary runs under strace for a few seconds, ends with a key, and its
# opens, directory creations and sockets are read back from the trace.
source "$(dirname "$0")/lib.sh" "$1"

TRACE=$E2E_TMP/trace
# A login session always has a private runtime directory; without one Qt
# creates /tmp/runtime-$USER itself, which would show up below as a mkdir.
export XDG_RUNTIME_DIR=$E2E_TMP/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
# LeakSanitizer cannot run under ptrace; the other tests look for leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0

start_x
start_app_under strace -f -qq -e trace=open,openat,creat,mkdir,mkdirat,socket,connect -o "$TRACE" || finish
sleep 3
check "still running after 3 s" app_running
focus_app
key a
await_exit 60
check "a key ends it with status 0" test "$APP_STATUS" = 0

# Each call on one line: strace -f splits a call that another thread
# interrupts into "<unfinished ...>" and "<... resumed>", but the arguments
# stay in the first part.
calls() { grep -E "^[0-9]+ +($1)\(" "$TRACE"; }

check "the trace holds the program's own opens" grep -q 'libQt6Widgets\.so' "$TRACE"

# Opening for writing, creating, or truncating. /dev/null is the one
# exception: D-Bus's autolaunch child (forked when no session bus is set)
# points its standard streams there before it execs, and nothing written
# to /dev/null is kept.
writes=$(calls 'open|openat' | grep -E 'O_WRONLY|O_RDWR|O_CREAT|O_TRUNC' | grep -vE '\("/dev/null", O_RDWR\)|, "/dev/null", O_RDWR\)')
check "no file opened for writing" test -z "$writes"
[[ -n $writes ]] && echo "$writes"
# Qt asks for the runtime directory with a mkdir that fails as it exists;
# only a call that did not fail (or whose result is not in the trace)
# counts as creating something.
made=$(calls 'creat|mkdir|mkdirat' | grep -v ') = -1 E')
check "no file or directory created" test -z "$made"
[[ -n $made ]] && echo "$made"

sockets=$(calls 'socket')
check "a socket for the X server" grep -q 'AF_UNIX' <<<"$sockets"
foreign=$(grep -v 'socket(AF_UNIX,' <<<"$sockets")
check "every socket is a local (AF_UNIX) one" test -z "$foreign"
[[ -n $foreign ]] && echo "$foreign"
connects=$(calls 'connect')
check "connected to the X server" grep -q "sun_path=@\?\"/tmp/.X11-unix/X${DISPLAY#:}\"" <<<"$connects"
remote=$(grep -v 'sa_family=AF_UNIX' <<<"$connects")
check "no connection but local ones" test -z "$remote"
[[ -n $remote ]] && echo "$remote"
echo "connections made:"
sed -E 's/^[0-9]+ +//' <<<"$connects" | sort | uniq -c

finish
