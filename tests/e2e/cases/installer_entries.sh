#!/usr/bin/env bash
# The URLS section: byte order of the keys, ignored keys, empty entries,
# sub-folders, display names and ordinals, and files that fail before they
# arrive. One file at a time: a transfer ahead would take one of the flaky
# server's failures, which installer_read_ahead covers.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.12

fixture_file ten.bin 3000
fixture_file two.bin 1536
fixture_file three.bin 511
fixture_file client.exe 100
fixture_site '[GENERAL]
BRAND_NAME=Entries Casino
[URLS]
SERVER_ADDR=files.karvelo.example
PARALLEL_DOWNLOADS=1
URL_2#Second=/file/two.bin,Data\Bin
URL_10=/flaky/1/ten.bin
URL_3#Third=/flaky/2/three.bin,Sounds
URL_4=
url_1=/file/lower.bin
MY_URL_1=/file/mine.bin
URL_5=/file/client.exe
'

installer_start
installer_choose_english
caption="Entries Casino Installation"
# A box is looked for only once its owner has the caption.
uidriver wait "$caption" 30 || e2e_fail "no brand caption"
# Each failed attempt holds the worker in its box: the status lines show the
# file being fetched and its ordinal, which a retry keeps.
expect_failed_attempt() { # file-status files-status position
    e2e_expect_eq "$(uidriver box "$caption" 30)" "ResourceFileDownloaderListener::OnError()" "failure box"
    e2e_expect_eq "$(uidriver text "$caption" 1001)" "$1" "file status"
    e2e_expect_eq "$(uidriver text "$caption" 1002)" "$2" "files status"
    e2e_expect_eq "$(uidriver progress "$caption" 1003)" "$3 0 4" "files progress"
    uidriver answer "$caption" 1 || e2e_fail "cannot answer"
}
expect_failed_attempt "Downloading: Blackjack.wav" "Downloaded 1 of 4 files" 1
expect_failed_attempt "Downloading: Third" "Downloaded 3 of 4 files" 3
expect_failed_attempt "Downloading: Third" "Downloaded 3 of 4 files" 3
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"

e2e_expect_eq "$(fixture_requests | grep -o 'GET /[a-z]*/[^ ]*' | grep -v ClientResources | tr '\n' ' ')" \
    "GET /flaky/1/ten.bin GET /flaky/1/ten.bin GET /file/two.bin GET /flaky/2/three.bin GET /flaky/2/three.bin GET /flaky/2/three.bin GET /file/client.exe " \
    "requests in byte order of the keys, with retries"

dir=$(install_dir "Entries Casino")
files=$work/fixture/files
cmp "$files/ten.bin" "$dir/ten.bin" || e2e_fail "ten.bin"
cmp "$files/two.bin" "$dir/Data/Bin/two.bin" || e2e_fail "two.bin in its sub-folder"
cmp "$files/three.bin" "$dir/Sounds/three.bin" || e2e_fail "three.bin after two failures"
[ ! -e "$dir/lower.bin" ] && [ ! -e "$dir/mine.bin" ] || e2e_fail "an ignored key was fetched"
