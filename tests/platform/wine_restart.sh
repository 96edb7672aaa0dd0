#!/usr/bin/env bash
# The server restart against real Windows programs under Wine:
#   wine_restart.sh QUARVEL_CFG WINDOWS_SLEEPER_EXE WINDOWS_IMPOSTOR_EXE
# First, with a shell copied as "tcpsrv.exe" as the tool's parent, checks
# that the restart never ends its own caller. Then starts the sleeper under
# Wine as "tcpsrv.exe" beside a "ZELNOR.bat" that starts a new one, plus
# near misses and impostor command interpreters ("cmd.exe", "cmd.com",
# "cmd"), runs `quarvel-cfg restart` twice (the second time with the batch
# file named in capitals) and checks that exactly the server was ended and
# the batch file ran through Wine's own command interpreter. Skipped (77)
# where Wine or the mingw compiler is missing.
set -uo pipefail

tool=$1
sleeper=${2:-}
impostor=${3:-}

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }

if [ "${4:-}" != "--inside" ]; then
    # The restart ends every "tcpsrv.exe" it can see. In a process namespace
    # of its own it sees only what this test starts, and when the test ends
    # the kernel ends whatever of it is left.
    for isolation in "--pid --fork --mount-proc" "--user --map-root-user --pid --fork --mount-proc"; do
        # shellcheck disable=SC2086
        if unshare $isolation true 2>/dev/null; then
            exec unshare $isolation --kill-child bash "$0" "$tool" "$sleeper" "$impostor" --inside
        fi
    done
    skip "no process namespace may be made here; outside one the restart would end other people's tcpsrv.exe"
fi

# A program named like the server that runs the tool (a shell copied as
# tcpsrv.exe) is the tool's own ancestor and must survive the restart.
parent=$(mktemp -d /tmp/quarvel-parent-XXXXXX)
cp /bin/bash "$parent/tcpsrv.exe"
survived=$(cd "$parent" && ./tcpsrv.exe -c '"$0" restart >/dev/null; echo survived' "$tool" 2>&1)
status=$?
rm -rf "$parent"
[ "$status" -eq 0 ] && [ "$survived" = survived ] || fail "the restart ended its own parent (status $status)"
echo "the parent named tcpsrv.exe survived the restart"

wine=$(command -v wine || command -v wine64 || true)
[ -n "$wine" ] || { [ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64; }
[ -n "$wine" ] || skip "Wine is not installed (Debian package wine64)"
[ -n "$sleeper" ] && [ -f "$sleeper" ] ||
    skip "no Windows test program: no mingw compiler when the build was configured (g++-mingw-w64-x86-64-posix)"
wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || wineserver=$(dirname "$wine")/wineserver

[ -n "$impostor" ] && [ -f "$impostor" ] || skip "no impostor command interpreter was built"

work=$(mktemp -d /tmp/quarvel-wine-XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
# A fresh prefix would otherwise offer to install Mono and Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
started=()

cleanup() {
    # Our own prefix: this wineserver and its programs are ours alone.
    "$wineserver" -k 2>/dev/null
    [ ${#started[@]} -eq 0 ] || kill -9 "${started[@]}" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to $2 seconds for file $1.
wait_for() {
    local tenths=$(($2 * 10))
    while [ ! -s "$1" ] && [ "$tenths" -gt 0 ]; do
        sleep 0.1
        tenths=$((tenths - 1))
    done
    [ -s "$1" ]
}

# True while process $1 exists and is not a zombie.
running() {
    local state
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "${state:0:1}" != Z ]
}

# The pids of Wine processes that run a Windows program named tcpsrv.exe.
wine_servers() {
    local dir exe first
    for dir in /proc/[0-9]*; do
        exe=$(readlink "$dir/exe" 2>/dev/null) || continue
        case ${exe##*/} in wine | wine64 | wine-preloader | wine64-preloader) ;; *) continue ;; esac
        first=$(tr '\0' '\n' <"$dir/cmdline" 2>/dev/null | head -n 1)
        first=${first##*/}
        first=${first##*\\}
        [ "${first,,}" = tcpsrv.exe ] && echo "${dir#/proc/}"
    done
}

server=$work/server
mkdir -p "$server"
cp "$sleeper" "$server/tcpsrv.exe"
cp "$sleeper" "$server/tcpsrv.exe.old"
# %OS% expands only in Windows' command interpreter; a shell would write it
# as it stands.
printf '@echo off\r\necho %%OS%%> restarted.txt\r\nstart "" tcpsrv.exe new-server.txt\r\n' >"$server/ZELNOR.bat"
# Wine looks a bare "cmd" up in the current folder first.
for name in cmd.exe cmd.com cmd; do cp "$impostor" "$server/$name"; done
cd "$server" || fail "no work folder"

begin=$SECONDS
"$wine" tcpsrv.exe old-server.txt </dev/null >/dev/null 2>&1 &
old=$!
started+=("$old")
wait_for old-server.txt 60 || fail "the Windows program did not start under Wine"
echo "Wine prefix ready after $((SECONDS - begin)) s"
"$wine" tcpsrv.exe.old near-miss.txt </dev/null >/dev/null 2>&1 &
older=$!
started+=("$older")
# Native near misses: one calls itself tcpsrv.exe, one has it as argv[0].
bash -c 'printf tcpsrv.exe >/proc/$$/comm; while :; do sleep 1; done' &
renamed=$!
started+=("$renamed")
(exec -a tcpsrv.exe sleep 120) &
named=$!
started+=("$named")
wait_for near-miss.txt 20 || fail "the near miss did not start under Wine"
for _ in $(seq 50); do [ "$(cat /proc/$renamed/comm)" = tcpsrv.exe ] && break; sleep 0.1; done
[ "$(cat /proc/$renamed/comm)" = tcpsrv.exe ] || fail "could not name a native process tcpsrv.exe"

restart() {
    local script=$1
    rm -f restarted.txt new-server.txt
    output=$(timeout 30 "$tool" restart 2>&1)
    status=$?
    echo "$output"
    [ "$status" -eq 0 ] || fail "quarvel-cfg restart exited with $status"
    [ "$output" = "Ended 1 server process (tcpsrv.exe).
Started $script in $server." ] || fail "unexpected report"
    wait_for restarted.txt 20 || fail "$script did not run"
    [ ! -e impostor.txt ] || fail "an impostor cmd in the server's folder ran instead of Wine's own"
    grep -q Windows_NT restarted.txt || fail "ZELNOR.bat did not run through Wine's command interpreter"
    wait_for new-server.txt 20 || fail "ZELNOR.bat did not start a new server"
    for pid in "$older" "$renamed" "$named"; do
        running "$pid" || fail "near miss $pid was ended"
    done
}

restart ZELNOR.bat
wait "$old"
[ $? -eq 137 ] || fail "the old server was not ended by SIGKILL"
new=$(wine_servers)
[ -n "$new" ] && [ "$(echo "$new" | wc -l)" -eq 1 ] || fail "expected one new server, found: $new"
echo "old server $old ended; new server $new runs as $(tr '\0' ' ' <"/proc/$new/cmdline")"

# The server the batch file started shows its Windows path ("Z:\...") as
# argv[0]; the next restart must find it too, and the batch file in
# capitals, as Windows would.
mv ZELNOR.bat ZELNOR.BAT
restart ZELNOR.BAT
for _ in $(seq 50); do running "$new" || break; sleep 0.1; done
running "$new" && fail "the server started by ZELNOR.bat was not ended"
[ "$(wine_servers | wc -l)" -eq 1 ] || fail "expected one server after the second restart"
echo "passed in $((SECONDS - begin)) s"
