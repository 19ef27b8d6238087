#!/usr/bin/env bash
# Staged bytes survive an attempt that fails before any answer: a hashed file
# cut after 1 MiB on SERVER_ADDR, whose mirror is down, resumes on the next
# attempt at SERVER_ADDR instead of starting again from zero.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.182
cut=1048576
size=$((2 * cut + 5000))
fixture_file big.bin "$size"
fixture_site "[GENERAL]
BRAND_NAME=Refused Casino
[URLS]
SERVER_ADDR=files.karvelo.example
SERVER_MIRRORS=127.0.0.183
URL_1=/range/$cut/big.bin,,$(fixture_sha256 big.bin)
"
dir=$(install_dir "Refused Casino")
installer_start
installer_choose_english
failure="ResourceFileDownloaderListener::OnError()"
e2e_expect_eq "$(answer_boxes "Refused Casino Installation" 4)" "$(printf '%s\n' "$failure" "$failure" "$failure" "$failure")" \
    "boxes: cut, refused, cut, refused"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
cmp "$work/fixture/files/big.bin" "$dir/big.bin" || e2e_fail "big.bin"
