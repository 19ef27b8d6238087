#!/usr/bin/env bash
# A declared size bounds the body: an overlong body without Content-Length
# fails each attempt as soon as it goes past the size, and a Content-Length
# other than the size fails it before the body. Nothing is moved into place
# and nothing staged stays.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.174
size=1048576
fixture_file other.bin 2000000
dir=$(install_dir "Sized Casino")
caption="Sized Casino Installation"
failure="ResourceFileDownloaderListener::OnError()"
five_failures=$(printf '%s\n' "$failure" "$failure" "$failure" "$failure" "$failure" "Error retry_count==5")

# A run whose only entry, NAME, declares the size and fails five times.
refused_five_times() { # path name
    fixture_stop
    fixture_brand_site "Sized Casino" "URL_1=$1,,,size:$size"
    installer_start
    installer_choose_english
    e2e_expect_eq "$(answer_boxes "$caption" 6)" "$five_failures" "boxes of $2"
    uidriver command "$caption" 1
    e2e_wait_exit 20
    [ ! -e "$dir/$2" ] && [ ! -e "$dir/$2.part" ] && [ ! -e "$dir/$2.part.info" ] \
        || e2e_fail "$2 or its staged bytes are on disk: $(ls "$dir")"
}

# 1 MiB at once, then 8 MiB more, slowly enough that the bytes sent tell how
# soon the installer gave up.
refused_five_times /overlong/$size/8388608/50/big.bin big.bin
e2e_expect_eq "$(grep -ac "^Attempt at .*big.bin failed: the body goes past $size bytes" "$work/setup.out")" 5 \
    "log lines of the overlong bodies"
sent_log=$(fixture_page /_sent) || e2e_fail "no log of the bytes sent"
e2e_expect_eq "$(grep -c '^/overlong/' <<<"$sent_log")" 5 "attempts at the overlong body"
for sent in $(awk '/^\/overlong\// { print $2 }' <<<"$sent_log"); do
    echo "body bytes sent: $sent"
    [ "$sent" -le $((size + 2 * 1048576)) ] || e2e_fail "$sent bytes sent to an attempt at a file of $size"
done

refused_five_times /file/other.bin other.bin
e2e_expect_eq "$(grep -ac "^Attempt at .*other.bin failed: a Content-Length other than the declared size" \
    "$work/setup.out")" 5 "log lines of the other lengths"
