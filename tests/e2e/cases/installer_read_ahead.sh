#!/usr/bin/env bash
# Files fetched ahead on several connections: never more than
# PARALLEL_DOWNLOADS (6 when absent) requests at once, one with 1; the
# window shows the files in the manifest's order either way, and the same
# files land. A read-ahead transfer that is cut shows no box and the run
# fetches the file itself; a file that fails every time still takes the
# run's five attempts and its boxes. Cancel while transfers run ahead ends
# the installer at once, leaves the installed copy as it was and no staged
# file of an entry without a hash.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.60
caption="Ahead Casino Installation"
dir=$(install_dir "Ahead Casino")

# 20 files, every third with a hash, some in a sub-folder, each answered
# after 150 ms so that transfers overlap.
entries=""
for i in $(seq -w 1 20); do
    fixture_file "f$i.bin" $((3000 * 10#$i))
    value=/delay/150/f$i.bin
    folder=$([ $((10#$i % 4)) -eq 0 ] && echo Data || true)
    if [ $((10#$i % 3)) -eq 0 ]; then
        value+=",$folder,$(fixture_sha256 "f$i.bin")"
    elif [ -n "$folder" ]; then
        value+=",$folder"
    fi
    entries+="URL_$i#File $i=$value"$'\n'
done
site_for() { # host [PARALLEL_DOWNLOADS line]
    printf '[GENERAL]\nBRAND_NAME=Ahead Casino\n[URLS]\nSERVER_ADDR=%s\n%s\n%s' "$1" "$2" "$entries" \
        >"$work/fixture/manifest.ini"
}
mkdir -p "$work/fixture"
site_for files.karvelo.example "PARALLEL_DOWNLOADS=1"
fixture_site "$(cat "$work/fixture/manifest.ini")"

# The status lines of one whole run, as "ID TEXT" at every change seen.
recorded_run() { # name
    rm -rf "$dir"
    installer_start
    installer_choose_english
    uidriver wait "$caption" 30 || e2e_fail "no brand caption"
    uidriver record "$caption" 1001 1002 >"$work/$1.lines" &
    local recorder=$!
    e2e_wait_exit 120
    wait "$recorder" || true
    e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code ($1)"
    local i
    for i in $(seq -w 1 20); do
        local folder=$([ $((10#$i % 4)) -eq 0 ] && echo Data/ || true)
        expect_installed "f$i.bin" "$dir/${folder}f$i.bin"
    done
}

# The lines seen must follow the one-at-a-time order: "Downloading: File N"
# and "Downloaded N of 20 files" with N never going back, ending with all 20.
check_order() { # name
    python3 - "$work/$1.lines" "$1" <<'PY' || e2e_fail "$1: the window's lines left the manifest's order"
import re, sys
last = {"1001": 0, "1002": 0}
for line in open(sys.argv[1], encoding="latin-1"):
    control, _, text = line.rstrip("\r\n").partition(" ")
    match = re.fullmatch(r"Downloading: File (\d+)", text) or re.fullmatch(r"Downloaded (\d+) of 20 files", text)
    if not match:
        if text:
            sys.exit(f"{sys.argv[2]}: unexpected line {line!r}")
        continue
    number = int(match.group(1))
    if number < last[control]:
        sys.exit(f"{sys.argv[2]}: {line!r} after number {last[control]}")
    last[control] = number
if last["1002"] != 20:
    sys.exit(f"{sys.argv[2]}: the files line ended at {last['1002']}")
PY
}

recorded_run one_at_a_time
check_order one_at_a_time
e2e_expect_eq "$(fixture_page /_inflight | grep '^files.karvelo.example ')" "files.karvelo.example 1" \
    "requests at once with PARALLEL_DOWNLOADS=1"

# The same files from another name of the same server, K absent: 6.
site_for dl.karvelo.example ""
recorded_run read_ahead
check_order read_ahead
most=$(fixture_page /_inflight | awk '$1 == "dl.karvelo.example" { print $2 }')
[ "$most" -ge 2 ] && [ "$most" -le 6 ] || e2e_fail "requests at once with the default: $most (expected 2 to 6)"
# The last text each line showed before the launch cleared it.
last_texts() { awk '$2 != "" { last[$1] = $0 } END { print last["1001"]; print last["1002"] }' "$work/$1.lines"; }
e2e_expect_eq "$(last_texts read_ahead)" "$(last_texts one_at_a_time)" "the last lines"
e2e_expect_eq "$(fixture_requests | grep -c 'GET /delay/150/')" 40 "requests, one per file and run"

# A transfer ahead that is cut: no box, and the run fetches it again. A
# file that fails every time: the run's five attempts and boxes only.
fixture_file cut.bin 200000
fixture_file after.bin 1000
# A PARALLEL_DOWNLOADS out of range is ignored, with a line in the log.
printf '[GENERAL]\nBRAND_NAME=Ahead Casino\n[URLS]\nSERVER_ADDR=files.karvelo.example\n%s\n' \
    "PARALLEL_DOWNLOADS=40
URL_1=/file/f01.bin
URL_2=/delay/1500/f02.bin
URL_3=/cutonce/cut.bin
URL_4=/file/after.bin" >"$work/fixture/manifest.ini"
rm -rf "$dir"
installer_start
installer_choose_english
uidriver wait "$caption" 30 || e2e_fail "no brand caption"
expect_no_box "$caption" 8
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code after a cut transfer ahead"
expect_installed cut.bin "$dir/cut.bin"
e2e_expect_eq "$(fixture_requests | grep -c 'GET /cutonce/cut.bin')" 2 "requests of the cut file"
grep -aq '^PARALLEL_DOWNLOADS=40 ignored: not a whole number from 1 to 16; 6 transfers at once' "$work/setup.out" \
    || e2e_fail "no log line for PARALLEL_DOWNLOADS=40"

printf '[GENERAL]\nBRAND_NAME=Ahead Casino\n[URLS]\nSERVER_ADDR=files.karvelo.example\n%s\n' \
    "URL_1=/file/f01.bin
URL_2=/delay/1500/f02.bin
URL_3=/status/503/gone.bin
URL_4=/file/after.bin" >"$work/fixture/manifest.ini"
rm -rf "$dir"
installer_start
installer_choose_english
# Five boxes of the run's attempts (their texts are checked elsewhere; one
# read before its text is set reads empty), then the end of the run.
e2e_expect_eq "$(answer_boxes "$caption" 6 | tail -n 1)" "Error retry_count==5" "the sixth box"
expect_no_box "$caption" 3
e2e_expect_eq "$(fixture_requests | grep -c 'GET /status/503/gone.bin')" 6 "requests of the failing file"
[ ! -e "$dir/after.bin" ] && [ ! -e "$dir/after.bin.part" ] || e2e_fail "the file after the failed one stayed"
uidriver command "$caption" 1
e2e_wait_exit 20

# Cancel while transfers run ahead: the installed copy stays, nothing staged
# of an entry without a hash stays.
rm -rf "$dir"
mkdir -p "$dir"
echo "installed before" >"$dir/s3.bin"
printf '[GENERAL]\nBRAND_NAME=Ahead Casino\n[URLS]\nSERVER_ADDR=files.karvelo.example\n%s\n' \
    "URL_1=/file/f01.bin
URL_2=/drip/400000/50/s2.bin
URL_3=/drip/400000/50/s3.bin
URL_4=/drip/400000/50/s4.bin
URL_5=/drip/400000/50/s5.bin" >"$work/fixture/manifest.ini"
installer_start
installer_choose_english
uidriver wait "$caption" 30 || e2e_fail "no brand caption"
for _ in $(seq 100); do
    [ "$(ls "$dir" | grep -c '\.part$')" -ge 3 ] && break
    sleep 0.1
done
[ "$(ls "$dir" | grep -c '\.part$')" -ge 3 ] || e2e_fail "no transfers ahead: $(ls "$dir" | tr '\n' ' ')"
uidriver command "$caption" 2
uidriver box "$caption" 10 >/dev/null || e2e_fail "no question on cancel"
uidriver answer "$caption" 7
e2e_wait_exit 10
e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code after No"
for _ in $(seq 50); do
    ls "$dir" | grep -q '\.part' || break
    sleep 0.1
done
e2e_expect_eq "$(ls "$dir" | tr '\n' ' ')" "f01.bin s3.bin " "the install folder after cancel"
e2e_expect_eq "$(cat "$dir/s3.bin")" "installed before" "the installed copy after cancel"
