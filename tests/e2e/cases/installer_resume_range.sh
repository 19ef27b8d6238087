#!/usr/bin/env bash
# A hashed file larger than one connection delivers: the server closes every
# connection after 1 MiB of body. Each later attempt asks for the rest with
# Range and the first answer's ETag in If-Range, so the file is installed
# whole in four attempts, with little more than its own size sent, and the
# bytes already staged are never read back within the run.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.171
cut=1048576
size=$((4 * cut - 1000))
fixture_file big.bin "$size"
fixture_brand_site "Resumed Casino" "URL_1=/range/$cut/big.bin,,$(fixture_sha256 big.bin),size:$size"

installer_through_failures "Resumed Casino" 3
expect_installed big.bin "$(install_dir "Resumed Casino")/big.bin"
etag=$(fixture_etag big.bin)
e2e_expect_eq "$(fixture_ranges /range/)" "- -
bytes=$cut- $etag
bytes=$((2 * cut))- $etag
bytes=$((3 * cut))- $etag" "Range and If-Range of the four attempts"
sent=$(fixture_sent /range/)
echo "body bytes sent: $sent for a file of $size"
[ "$sent" -le $((size + size / 50)) ] || e2e_fail "$sent bytes sent for a file of $size"
e2e_expect_eq "$(grep -ac ': hash kept' "$work/setup.out")" 3 "resumes going on from the kept hash"
e2e_expect_eq "$(grep -ac 'read again' "$work/setup.out")" 0 "resumes reading the staged bytes again"
