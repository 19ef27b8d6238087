#!/usr/bin/env bash
# Too little disk space, on a small install drive: with sizes declared the
# box comes before the first file; without a size, a Content-Length the
# drive cannot take, a body that would take the margin, and a write that
# finds the drive full end the run at once with the same box and delete the
# staged file. Each time the run ends as after five failed attempts, but
# without their box: no end report, no launch, the window stays.
source "$(dirname "$0")/../lib.sh"
FIXTURE_ADDRESS=127.0.0.175
e2e_begin "127.0.0.175 dl.karvelo.example" "127.0.0.175 files.karvelo.example" "127.0.0.176 stats.karvelo.example"
report_server_start 127.0.0.176
small_install_drive 24m
dir=$(install_dir "Full Casino")
caption="Full Casino Installation"
mib=1048576
cluster=$(stat -f -c %S "$SMALL_DRIVE")
on_disk() { echo $((($1 + cluster - 1) / cluster * cluster)); }
mib_up() { echo $((($1 + mib - 1) / mib)); }

serve() { # manifest-entries
    fixture_stop
    fixture_brand_site "Full Casino" "$1"
}

# The box has been answered: nothing follows it, and the window waits for OK.
expect_run_ended() { # what
    expect_no_box "$caption" 3
    kill -0 "$PROGRAM_PID" 2>/dev/null || e2e_fail "the installer ended after $1"
    e2e_expect_eq "$(report_actions)" 1 "reports after $1"
    grep -aq '^ShellExecuteA ' "$work/setup.out" && e2e_fail "a launch after $1"
    uidriver command "$caption" 1
    e2e_wait_exit 20
    e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code of OK after $1"
}

# Sizes declared: their clusters and the margin are more than the drive has.
fixture_file a.bin 6000000
fixture_file b.bin 3000001
serve "URL_1=/file/a.bin,,$(fixture_sha256 a.bin),size:6000000
URL_2=/file/b.bin,,,size:3000001"
free=$(small_drive_free)
need=$(($(on_disk 6000000) + $(on_disk 3000001) + 16 * mib))
installer_start
installer_choose_english
e2e_expect_eq "$(answer_boxes "$caption" 1)" \
    "Not enough disk space: $(mib_up $need) MiB needed, $(mib_up "$free") MiB free." "box before the first file"
fixture_requests | grep -q 'GET /file/' && e2e_fail "a file was requested despite the box"
expect_run_ended "the declared sizes"

# No size, and a Content-Length more than the drive takes: the box comes
# before the body.
fixture_file c.bin $((10 * mib))
serve "URL_1=/file/c.bin"
free=$(small_drive_free)
installer_start
installer_choose_english
e2e_expect_eq "$(answer_boxes "$caption" 1)" \
    "Not enough disk space: $(mib_up $(($(on_disk $((10 * mib))) + 16 * mib))) MiB needed, $(mib_up "$free") MiB free." \
    "box at the Content-Length"
[ ! -e "$dir/c.bin" ] && [ ! -e "$dir/c.bin.part" ] || e2e_fail "c.bin or its staged bytes stayed"
e2e_expect_eq "$(fixture_requests | grep -c 'GET /file/c.bin')" 1 "attempts at a file longer than the drive takes"
expect_run_ended "the Content-Length"

# No size and no Content-Length: the body may take what the drive has beyond
# the margin, and the first block past it ends the run.
serve "URL_1=/overlong/0/$((12 * mib))/0/big.bin"
free=$(small_drive_free)
installer_start
installer_choose_english
e2e_expect_eq "$(answer_boxes "$caption" 1)" \
    "Not enough disk space: $(mib_up $(($(on_disk $((free - 16 * mib + 1))) + 16 * mib))) MiB needed, $(mib_up "$free") MiB free." \
    "box when the body would take the margin"
[ ! -e "$dir/big.bin" ] && [ ! -e "$dir/big.bin.part" ] || e2e_fail "big.bin or its staged bytes stayed"
e2e_expect_eq "$(fixture_requests | grep -c 'GET /overlong/')" 1 "attempts at a body that would take the margin"
expect_run_ended "a body that would take the margin"

# No size, no Content-Length, and the drive fills up while the body is
# written, as another program may fill it.
serve "URL_1=/overlong/262144/$((6 * mib))/20/big.bin"
installer_start
installer_choose_english
tries=300
until [ "$(stat -c %s "$dir/big.bin.part" 2>/dev/null || echo 0)" -ge 262144 ]; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] || e2e_fail "big.bin.part did not grow"
    sleep 0.1
done
head -c $((24 * mib)) /dev/zero >"$SMALL_DRIVE/filler" 2>/dev/null || true
box=$(answer_boxes "$caption" 1)
[[ "$box" =~ ^Not\ enough\ disk\ space:\ ([0-9]+)\ MiB\ needed,\ ([0-9]+)\ MiB\ free\.$ ]] \
    || e2e_fail "box when the drive filled up: $box"
e2e_expect_eq "${BASH_REMATCH[2]}" "$(mib_up "$(small_drive_free)")" "free space in the box: the staged bytes' own"
[ "${BASH_REMATCH[1]}" -gt 16 ] || e2e_fail "too little needed in the box: $box"
grep -aq '^WriteFile ".*big.bin.part" failed: 112 ' "$work/setup.out" || e2e_fail "no failed write in the log"
[ ! -e "$dir/big.bin" ] && [ ! -e "$dir/big.bin.part" ] || e2e_fail "big.bin or its staged bytes stayed"
e2e_expect_eq "$(fixture_requests | grep -c 'GET /overlong/')" 1 "attempts at a body that filled the drive"
expect_run_ended "the drive filled up"
