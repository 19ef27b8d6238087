#!/usr/bin/env bash
# A file that another program holds open while its new version arrives is
# fetched once: the verified new version waits beside it and goes into place
# when the holder lets go, within the installer's pauses or, once they are
# over, when the player presses Retry in the box that names the file. Cancel
# ends the run with the installed copy as it was.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.60
e2e_keep_desktop
fixture_file v1/data.bin 50000
fixture_file v2/data.bin 60000
fixture_file v3/data.bin 70000
dir=$(install_dir "Held Casino")
caption="Held Casino Installation"
windows_file='C:\Program Files\Held Casino\data.bin'
release="$WINEPREFIX/drive_c/release.flag"
ready="$WINEPREFIX/drive_c/holding.flag"

serve() { # version
    fixture_stop
    fixture_brand_site "Held Casino" "URL_1=/file/$1/data.bin,,$(fixture_sha256 "$1/data.bin")"
}

# Holds the installed data.bin until release.flag appears (60 s at most).
hold() {
    rm -f "$release" "$ready"
    local installer_pid=$PROGRAM_PID
    e2e_start "$products/tools/file_holder.exe" "$windows_file" 'C:\holding.flag' 'C:\release.flag' 60
    holder_pid=$PROGRAM_PID
    PROGRAM_PID=$installer_pid
    local tries=100
    until [ -e "$ready" ]; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || e2e_fail "the holder did not open data.bin"
        sleep 0.1
    done
}

# The installer's window first: a program started beside it before its
# window exists kept it from making its dialog under Wine (error 1400).
installer_start_holding() {
    installer_start
    uidriver wait "Casino Installation" 30 1018 || e2e_fail "the installer window did not appear"
    hold
    installer_choose_english
}

release() {
    touch "$release"
    wait "$holder_pid" 2>/dev/null || true
}

# Waits until the installer has asked for the file (bounded).
await_request() { # version
    local tries=300
    until fixture_requests | grep -q "GET /file/$1/data.bin"; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || e2e_fail "data.bin of $1 was never asked for"
        sleep 0.1
    done
}

requests_of() { fixture_requests | grep -c "GET /file/$1/data.bin" || true; }

serve v1
installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the first installation"
expect_installed v1/data.bin "$dir/data.bin"

# Held for two seconds after the new version arrived: the installer's own
# pauses outlast it, and no box is shown.
serve v2
installer_start_holding
await_request v2
sleep 2
cmp -s "$work/fixture/files/v1/data.bin" "$dir/data.bin" || e2e_fail "data.bin was replaced while it was held"
release
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code after a short hold"
expect_installed v2/data.bin "$dir/data.bin"
e2e_expect_eq "$(requests_of v2)" 1 "requests for a file held briefly"

# Held past the pauses: the box names the file; Retry after the holder let
# go places the version already fetched.
serve v3
installer_start_holding
# A box is looked for only once its owner has the brand's caption, and may
# be found before its text is set: read until it has one.
uidriver wait "$caption" 60 >/dev/null || e2e_fail "no window \"$caption\""
box=
for ((tries = 0; tries < 50 && ${#box} == 0; tries++)); do
    box=$(uidriver box "$caption" 60 | tr -d '\r' | paste -sd'|') || e2e_fail "no box for the held file"
    [ -n "$box" ] || sleep 0.1
done
e2e_expect_eq "$box" "$windows_file is in use by another program.|Close it and press Retry, or press Cancel to stop the installation." "the held file's box"
cmp -s "$work/fixture/files/v2/data.bin" "$dir/data.bin" || e2e_fail "data.bin changed while it was held"
release
uidriver answer "$caption" 4 || e2e_fail "cannot press Retry"
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code after Retry"
expect_installed v3/data.bin "$dir/data.bin"
e2e_expect_eq "$(requests_of v3)" 1 "requests for a file held past the pauses"

# Cancel ends the run as a failed file does; the installed copy stays whole.
serve v1
installer_start_holding
uidriver wait "$caption" 60 >/dev/null || e2e_fail "no window \"$caption\""
uidriver box "$caption" 60 >/dev/null || e2e_fail "no box for the held file"
uidriver answer "$caption" 2 || e2e_fail "cannot press Cancel"
expect_no_box "$caption" 2
release
uidriver command "$caption" 1
e2e_wait_exit 20
e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code after Cancel"
expect_installed v3/data.bin "$dir/data.bin"
e2e_expect_eq "$(requests_of v1)" 1 "requests for a file whose placing was cancelled"
