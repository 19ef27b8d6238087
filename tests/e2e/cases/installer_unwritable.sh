#!/usr/bin/env bash
# A target file that cannot be written (here its folder's name is taken by a
# file, as a full disk would refuse it) fails every attempt, with or without a
# body; it never passes for a finished file.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.23
fixture_file one.bin 3000
fixture_file empty.bin 0
dir=$(install_dir "Blocked Casino")
mkdir -p "$dir"
echo "not a folder" >"$dir/Data"

write_error="Error in ResourceFileDownloaderListener::OnRecv()"
transfer_error="ResourceFileDownloaderListener::OnError()"
for pair in "one.bin 2" "empty.bin 1"; do
    read -r name boxes_per_attempt <<<"$pair"
    fixture_stop
    fixture_site "[GENERAL]
BRAND_NAME=Blocked Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/$name,Data
"
    expected=$(for attempt in 1 2 3 4 5; do
        echo "$write_error"
        [ "$boxes_per_attempt" -eq 2 ] && echo "$transfer_error"
    done; echo "Error retry_count==5")
    installer_start
    installer_choose_english
    e2e_expect_eq "$(answer_boxes "Blocked Casino Installation" $((5 * boxes_per_attempt + 1)))" "$expected" \
        "boxes for $name"
    uidriver command "Blocked Casino Installation" 1
    e2e_wait_exit 20
    e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code of OK after $name"
done
e2e_expect_eq "$(reg_value 'HKCU\Software\Blocked Casino' QD)" 0x1 "QD after the failed runs"
