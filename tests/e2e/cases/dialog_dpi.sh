#!/usr/bin/env bash
# The window at 144 and 192 DPI (the prefix's LogPixels): the client area,
# the banner, the flags and the progress area 1.5 and 2 times their 96-DPI
# size; at 192 the banner is the 2x picture itself, not a stretched 1x one.
source "$(dirname "$0")/../lib.sh"
e2e_begin

caption=QuendaDownloader
desktop='HKCU\Control Panel\Desktop'

# Prints the window's client size, the banner's, the English flag's and the
# file progress bar's rectangles at DPI.
measure() { # dpi
    reg_set "$desktop" LogPixels REG_DWORD "$1"
    e2e_start "$products/tools/dialog_harness.exe" idle
    uidriver wait "$caption" 30 1018 >/dev/null || e2e_fail "the dialog did not appear at $1 DPI"
    sleep 0.5
    read -r x y width height client_width client_height <<<"$(uidriver rect "$caption")"
    echo "$client_width $client_height"
    # Where the client area begins on the screen: the frame is as wide on
    # every side.
    frame=$(((width - client_width) / 2))
    echo "$((x + frame)) $((y + height - client_height - frame))" >"$work/client-$1"
    uidriver rect "$caption" 1014
    uidriver rect "$caption" 1004 | cut -d' ' -f1,3,4
    uidriver rect "$caption" 1000
    e2e_screenshot "dpi-$1"
    uidriver command "$caption" 1
    e2e_wait_exit 20
}

scaled() { # factor-numerator factor-denominator lines...
    local numerator=$1 denominator=$2 line value out
    shift 2
    for line in "$@"; do
        out=
        for value in $line; do
            out+="$(((value * numerator + denominator / 2) / denominator)) "
        done
        echo "${out% }"
    done
}

mapfile -t at96 < <(measure 96)
[ ${#at96[@]} -eq 4 ] || e2e_fail "no measures at 96 DPI: ${at96[*]}"
e2e_expect_eq "${at96[1]}" "0 0 432 76" "banner at 96 DPI"
at96_client_width=${at96[0]% *}
for dpi in 144 192; do
    mapfile -t measured < <(measure $dpi)
    mapfile -t expected < <(scaled "$dpi" 96 "${at96[@]}")
    e2e_expect_eq "${measured[0]}" "${expected[0]}" "client area at $dpi DPI (${at96[0]} at 96)"
    e2e_expect_eq "${measured[1]}" "${expected[1]}" "banner at $dpi DPI"
    e2e_expect_eq "${measured[2]}" "${expected[2]}" "English flag's x, width and height at $dpi DPI"
    e2e_expect_eq "${measured[3]}" "${expected[3]}" "file progress bar at $dpi DPI"
done

# At 192 DPI the banner on the screen is the 2x picture, pixel for pixel, as
# far as the client area shows it.
/usr/bin/python3 "$root/ui/images/generate.py" "$work/art" || e2e_fail "cannot draw the pictures"
read -r left top <"$work/client-192"
shown="$((at96_client_width * 2))x152"
convert "$work/dpi-192.png" -crop "$shown+$left+$top" +repage "$work/banner-shown.png"
convert "$work/art/banner_2x.bmp" -crop "$shown+0+0" +repage "$work/banner-drawn.png"
differing=$(compare -metric AE "$work/banner-shown.png" "$work/banner-drawn.png" null: 2>&1) || true
e2e_expect_eq "$differing" 0 "pixels of the banner at 192 DPI that differ from the 2x picture"
