#!/usr/bin/env bash
# An update killed while it unpacks an archive: every entry is its old or its
# new version, whole, and the next run finishes the unpacking from the
# verified archive in place, without fetching it again.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.61
e2e_keep_desktop
dir=$(install_dir "Unpacked Casino")
entries=24

mkdir -p "$work/fixture/files"
cp "$products/Extract.dll" "$work/fixture/files/Extract.dll"
# Entries of 2 MiB each, so that the unpacking lasts long enough to be cut.
pack() { # version
    mkdir -p "$work/$1"
    for ((i = 1; i <= entries; i++)); do head -c 2097152 /dev/urandom >"$work/$1/e$i.bin"; done
    (cd "$work/$1" && 7zz a -bd -bso0 -bsp0 -mx=1 "$work/fixture/files/$1/pack.7z" .) || e2e_fail "no archive"
}
pack v1
pack v2

serve() { # version
    fixture_stop
    fixture_brand_site "Unpacked Casino" "URL_1=/file/Extract.dll,,$(fixture_sha256 Extract.dll)
URL_2=/file/$1/pack.7z,,$(fixture_sha256 "$1/pack.7z")"
}

# Every entry is the old or the new version, whole.
entries_old_or_new() {
    local i
    for ((i = 1; i <= entries; i++)); do
        cmp -s "$work/v1/e$i.bin" "$dir/e$i.bin" || cmp -s "$work/v2/e$i.bin" "$dir/e$i.bin" \
            || e2e_fail "e$i.bin is neither version after the kill"
    done
}

serve v1
installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the first installation"

# The kill comes once the first new entry is in place.
serve v2
installer_start
installer_choose_english
tries=600
until cmp -s "$work/v2/e1.bin" "$dir/e1.bin" || cmp -s "$work/v2/e$entries.bin" "$dir/e$entries.bin"; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] || e2e_fail "the new archive was never unpacked"
    sleep 0.02
done
kill_installer || e2e_fail "the installer had ended before the kill"
wait "$PROGRAM_PID" 2>/dev/null || true
[ -e "$dir/pack.7z" ] || e2e_fail "the archive was gone after the kill: the unpacking had finished"
new=0
for ((i = 1; i <= entries; i++)); do cmp -s "$work/v2/e$i.bin" "$dir/e$i.bin" && new=$((new + 1)); done
[ $new -lt $entries ] || e2e_fail "every entry was new at the kill"
entries_old_or_new

installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the run after the kill"
for ((i = 1; i <= entries; i++)); do
    cmp -s "$work/v2/e$i.bin" "$dir/e$i.bin" || e2e_fail "e$i.bin is not the new version after the next run"
    [ ! -e "$dir/e$i.bin.part" ] || e2e_fail "a staged entry stayed"
done
[ ! -e "$dir/pack.7z" ] || e2e_fail "the archive stayed after its unpacking"
e2e_expect_eq "$(fixture_requests | grep -c 'GET /file/v2/pack.7z')" 1 "requests for the new archive"
grep -q "Unpacking /file/v2/pack.7z,,sha256:[0-9a-f]* again" "$work/setup.out" || e2e_fail "no log line for the unpacking again"
