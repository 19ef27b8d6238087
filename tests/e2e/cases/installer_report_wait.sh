#!/usr/bin/env bash
# The end report gets out: the installer ends only once the report page has
# loaded (here after a slow answer), at least a second after the launch and
# at most ten; with a dead report host it ends after the second.
source "$(dirname "$0")/../lib.sh"
FIXTURE_ADDRESS=127.0.0.21
e2e_begin "127.0.0.21 dl.karvelo.example" "127.0.0.21 files.karvelo.example" "127.0.0.22 stats.karvelo.example"
fixture_file casino.exe 100
fixture_site '[GENERAL]
BRAND_NAME=Reporting Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/casino.exe
'
client="$(install_dir "Reporting Casino")/casino.exe"

# Seconds from the client's arrival to the installer's end.
time_to_exit() {
    installer_start
    installer_choose_english
    local tries=300
    until [ -s "$client" ]; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || e2e_fail "the client never arrived"
        sleep 0.05
    done
    local launched
    launched=$(date +%s.%N)
    e2e_wait_exit 30
    e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
    echo "$(date +%s.%N) - $launched" | bc
}

# Nothing listens on the report host yet: the installer waits the minimum.
seconds=$(time_to_exit)
(( $(echo "$seconds >= 0.9 && $seconds < 5" | bc) )) || e2e_fail "dead report host: ended after $seconds s"
rm -f "$client"

report_server_start 127.0.0.22 4
seconds=$(time_to_exit)
(( $(echo "$seconds >= 3.5 && $seconds < 10.5" | bc) )) || e2e_fail "slow report: ended after $seconds s"
