#!/usr/bin/env bash
# SERVER_ADDR is down, and so is the first of its mirrors: the first file's
# attempts go round the hosts until the live mirror delivers it, and every
# later file starts there, those fetched ahead too. Everything is installed
# from the mirror.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.177
# Nothing listens on these.
dead=127.0.0.178
dead_mirror=127.0.0.179
fixture_file one.bin 300000
fixture_file two.bin 2000
fixture_file three.bin 5000
fixture_site "[GENERAL]
BRAND_NAME=Mirrored Casino
[URLS]
SERVER_ADDR=$dead
SERVER_MIRRORS=$dead_mirror,files.karvelo.example
URL_1=/file/one.bin,,$(fixture_sha256 one.bin)
URL_2=/file/two.bin,Data
URL_3=/file/three.bin,,$(fixture_sha256 three.bin),size:5000
"
dir=$(install_dir "Mirrored Casino")

# A box for each host that is down.
installer_through_failures "Mirrored Casino" 2
files=$work/fixture/files
cmp "$files/one.bin" "$dir/one.bin" && cmp "$files/two.bin" "$dir/Data/two.bin" && cmp "$files/three.bin" "$dir/three.bin" \
    || e2e_fail "a file is not the mirror's"
for host in $dead $dead_mirror; do
    grep -aq "^HttpSendRequestA \"http://$host/file/one.bin\" failed: 12029 " "$work/setup.out" \
        || e2e_fail "no refused attempt at $host"
done
e2e_expect_eq "$(grep -ac '^HttpSendRequestA ' "$work/setup.out")" 2 "failed requests"
# The later two go at once: one fetched by the run, one ahead of it, both
# from the mirror that delivered the first.
e2e_expect_eq "$(fixture_requests | grep -o 'GET /file/[^ ]*' | head -n 1)" "GET /file/one.bin" "first request at the mirror"
e2e_expect_eq "$(fixture_requests | grep -o 'GET /file/[^ ]*' | sort | tr '\n' ' ')" \
    "GET /file/one.bin GET /file/three.bin GET /file/two.bin " "requests at the mirror"
e2e_expect_eq "$(fixture_page /_log | tr -d '\r' | grep -aic '^host: files.karvelo.example$')" 3 "requests for the mirror's name"
