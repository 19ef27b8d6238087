#!/usr/bin/env bash
# A hashed file larger than one connection delivers: the server closes every
# connection after 1 MiB of body. Each later attempt asks for the rest with
# Range and the first answer's ETag in If-Range, so the file is installed
# whole in four attempts, with little more than its own size sent.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.171
cut=1048576
size=$((4 * cut - 1000))
fixture_file big.bin "$size"
fixture_site "[GENERAL]
BRAND_NAME=Resumed Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/range/$cut/big.bin,,$(fixture_sha256 big.bin),size:$size
"
dir=$(install_dir "Resumed Casino")

installer_start
installer_choose_english
failure="ResourceFileDownloaderListener::OnError()"
e2e_expect_eq "$(answer_boxes "Resumed Casino Installation" 3)" "$(printf '%s\n' "$failure" "$failure" "$failure")" \
    "a box for each cut attempt"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
cmp "$work/fixture/files/big.bin" "$dir/big.bin" || e2e_fail "big.bin is not the served file"
[ ! -e "$dir/big.bin.part" ] && [ ! -e "$dir/big.bin.part.info" ] || e2e_fail "staged files left behind"

etag=$(fixture_etag big.bin)
e2e_expect_eq "$(fixture_ranges /range/)" "- -
bytes=$cut- $etag
bytes=$((2 * cut))- $etag
bytes=$((3 * cut))- $etag" "Range and If-Range of the four attempts"
sent=$(fixture_sent /range/)
echo "body bytes sent: $sent for a file of $size"
[ "$sent" -le $((size + size / 50)) ] || e2e_fail "$sent bytes sent for a file of $size"
