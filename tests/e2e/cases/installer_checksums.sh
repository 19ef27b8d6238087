#!/usr/bin/env bash
# Files checked by their SHA-256: a wrong hash is five failed attempts and no
# installed file; right hashes install; a second run fetches only the
# manifest, the archives and what is missing or changed; a malformed hash
# refuses the run before anything is written.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.202

# Larger than a hashing batch, so that it is hashed beside its transfer.
fixture_file r.dll 600000
fixture_file a.wav 1500
fixture_file plain.bin 700
cp "$products/Extract.dll" "$work/fixture/files/Extract.dll"
mkdir -p "$work/pack"
head -c 5000 /dev/urandom >"$work/pack/table.png"
(cd "$work/pack" && 7zz a -bd -bso0 -bsp0 "$work/fixture/files/pack.7z" table.png) || e2e_fail "no archive"
dir=$(install_dir "Checked Casino")
caption="Checked Casino Installation"

wrong="sha256:$(printf '%064d' 0)"
fixture_site "[GENERAL]
BRAND_NAME=Checked Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/r.dll,,$wrong
"
installer_start
installer_choose_english
uidriver wait "$caption" 30 || e2e_fail "no brand caption"
mismatch="Checksum mismatch: r.dll"
e2e_expect_eq "$(answer_boxes "$caption" 6)" \
    "$(printf '%s\n' "$mismatch" "$mismatch" "$mismatch" "$mismatch" "$mismatch" "Error retry_count==5")" \
    "five mismatches, then the retry box"
[ ! -e "$dir/r.dll" ] || e2e_fail "a file with a wrong hash stayed"
grep -q "Checksum mismatch: .*r.dll expected ${wrong#sha256:} actual $(fixture_sha256 r.dll | cut -d: -f2)" \
    "$work/setup.out" || e2e_fail "no log line with both hashes"
uidriver command "$caption" 1
e2e_wait_exit 20
fixture_stop

manifest="[GENERAL]
BRAND_NAME=Checked Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/Extract.dll,,$(fixture_sha256 Extract.dll)
URL_2=/file/r.dll,,$(fixture_sha256 r.dll)
URL_3=/file/a.wav,Sounds,$(fixture_sha256 a.wav | tr a-f A-F)
URL_4=/file/pack.7z,,$(fixture_sha256 pack.7z)
URL_5=/file/plain.bin
"
fixture_site "$manifest"
installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code with right hashes"
cmp "$work/fixture/files/r.dll" "$dir/r.dll" || e2e_fail "r.dll"
cmp "$work/fixture/files/a.wav" "$dir/Sounds/a.wav" || e2e_fail "a.wav"
cmp "$work/pack/table.png" "$dir/table.png" || e2e_fail "the archive was not unpacked"
e2e_expect_eq "$(fixture_requests | grep -c 'GET /file/')" 5 "files of the first run"
fixture_stop

# Second run: a.wav changed on disk, r.dll removed, the rest as installed.
echo changed >"$dir/Sounds/a.wav"
rm "$dir/r.dll"
fixture_site "$manifest"
installer_start
installer_choose_english
e2e_wait_exit 60
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code of the second run"
# a.wav and the archive go at once (one fetched ahead); plain.bin only once
# the archive is unpacked.
e2e_expect_eq "$(fixture_requests | grep -o 'GET /file/[^ ]*' | sed -n '1p;$p' | tr '\n' ' ')" \
    "GET /file/r.dll GET /file/plain.bin " "first and last files of the second run"
e2e_expect_eq "$(fixture_requests | grep -o 'GET /file/[^ ]*' | sort | tr '\n' ' ')" \
    "GET /file/a.wav GET /file/pack.7z GET /file/plain.bin GET /file/r.dll " "files of the second run"
cmp "$work/fixture/files/a.wav" "$dir/Sounds/a.wav" || e2e_fail "a changed file was not fetched again"
grep -q "Kept /file/Extract.dll,," "$work/setup.out" || e2e_fail "no log line for a kept file"
fixture_stop

fixture_site "[GENERAL]
BRAND_NAME=Malformed Casino
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/r.dll,,sha256:$(printf '%063d' 0)
"
installer_start
installer_choose_english
e2e_expect_eq "$(answer_boxes "Casino Installation" 1)" \
    "Malformed checksum in manifest: /file/r.dll,,sha256:$(printf '%063d' 0)" "malformed hash"
[ ! -e "$(install_dir "Malformed Casino")" ] || e2e_fail "install folder before the refusal"
e2e_expect_eq "$(reg_value 'HKCU\Software\Malformed Casino' QD)" "" "QD after the refusal"
uidriver command "Casino Installation" 1
e2e_wait_exit 20
