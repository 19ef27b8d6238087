#!/usr/bin/env bash
# An update killed at many points of its run: after each request, while an
# archive unpacks, and at steps through the end of the run (the last moves,
# the uninstall record, the registration). After every kill each file is its
# old or its new version, whole, the record is one that a run wrote whole,
# and the next run completes the update.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.62
e2e_keep_desktop
dir=$(install_dir "Killed Casino")
files="casino.exe rules.dat plain.bin"
entries="e1.bin e2.bin e3.bin e4.bin e5.bin e6.bin"

mkdir -p "$work/fixture/files"
cp "$products/Extract.dll" "$work/fixture/files/Extract.dll"
for version in v1 v2; do
    fixture_file $version/casino.exe 300000
    fixture_file $version/rules.dat 2000000
    fixture_file $version/plain.bin 40000
    mkdir -p "$work/$version"
    for entry in $entries; do head -c 1048576 /dev/urandom >"$work/$version/$entry"; done
    (cd "$work/$version" && 7zz a -bd -bso0 -bsp0 -mx=1 "$work/fixture/files/$version/pack.7z" $entries) \
        || e2e_fail "no archive"
done

serve() { # version
    fixture_stop
    fixture_brand_site "Killed Casino" "URL_1=/file/Extract.dll,,$(fixture_sha256 Extract.dll)
URL_2=/file/$1/casino.exe
URL_3=/file/$1/rules.dat,,$(fixture_sha256 "$1/rules.dat")
URL_4=/file/$1/pack.7z,,$(fixture_sha256 "$1/pack.7z")
URL_5=/file/$1/plain.bin"
}

same() { cmp -s "$1" "$2"; }

# Every file and entry is its old or its new version, whole; the record is
# absent or one a run wrote.
old_or_new() { # point
    local name
    for name in $files; do
        same "$work/fixture/files/v1/$name" "$dir/$name" || same "$work/fixture/files/v2/$name" "$dir/$name" \
            || e2e_fail "$name is neither version after the kill $1"
    done
    for name in $entries; do
        same "$work/v1/$name" "$dir/$name" || same "$work/v2/$name" "$dir/$name" \
            || e2e_fail "$name is neither version after the kill $1"
    done
    same "$work/fixture/files/Extract.dll" "$dir/Extract.dll" || e2e_fail "Extract.dll changed at the kill $1"
    if [ -e "$dir/uninstall.ini" ]; then
        records=$((records + 1))
        cp "$dir/uninstall.ini" "$work/record.$records"
    fi
}

killed=0
records=0
# Starts the update and kills it once UNTIL succeeds (polled, 30 s at most),
# after DELAY seconds; a run that ended first is no kill point.
kill_when() { # point delay until...
    local point=$1 delay=$2 tries=1500
    shift 2
    installer_start
    installer_choose_english
    until "$@"; do
        kill -0 "$PROGRAM_PID" 2>/dev/null || break
        tries=$((tries - 1))
        [ $tries -gt 0 ] || e2e_fail "the kill point $point never came"
        sleep 0.02
    done
    sleep "$delay"
    if kill_installer 2>/dev/null; then
        killed=$((killed + 1))
        echo "killed $point"
    else
        echo "ended before $point"
    fi
    wait "$PROGRAM_PID" 2>/dev/null || true
    old_or_new "$point"
}

requested() { fixture_requests | grep -q "$1"; }
# Some entries of the new archive are in place, not all.
unpacking() {
    local name new=0
    for name in $entries; do same "$work/v2/$name" "$dir/$name" && new=$((new + 1)); done
    [ $new -gt 0 ] && [ $new -lt 6 ]
}

serve v1
installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the first installation"
cp "$dir/uninstall.ini" "$work/record.v1"

# After each request: the manifest, then every file that changed.
for target in ClientResourcesManager v2/casino.exe v2/rules.dat v2/pack.7z v2/plain.bin; do
    serve v2
    kill_when "after the request of $target" 0 requested "$target"
done
# While the archive unpacks.
kill_when "while unpacking" 0 unpacking
# Through the end of the run: the last file's move, the record, the
# registration and the launch.
for delay in 0 0.05 0.1 0.2 0.3 0.5 0.8 1.2; do
    serve v2
    kill_when "after the last request and $delay s" "$delay" requested v2/plain.bin
done

installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the run after the kills"
for name in $files; do
    same "$work/fixture/files/v2/$name" "$dir/$name" || e2e_fail "$name is not the new version after the last run"
done
for name in $entries; do
    same "$work/v2/$name" "$dir/$name" || e2e_fail "$name is not the new version after the last run"
done
for record in "$work"/record.*; do
    [ "$record" = "$work/record.v1" ] && continue
    same "$record" "$work/record.v1" || same "$record" "$dir/uninstall.ini" \
        || e2e_fail "a record written in part: $record"
done
echo "kill points: $killed of 14 killed a running installer"
# A kill late in the run, or on a loaded machine, may find it ended (8 of
# 14 landed on a quiet machine, 5 under a load of 10 on 2 cores).
[ $killed -ge 4 ] || e2e_fail "only $killed of 14 kills found the installer running"
