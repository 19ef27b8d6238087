#!/usr/bin/env bash
# The installer window as initialisation leaves it, and the language screen.
source "$(dirname "$0")/../lib.sh"
e2e_begin

caption=QuendaDownloader
e2e_start "$products/tools/dialog_harness.exe" idle
uidriver wait "$caption" 30 1018 || e2e_fail "the dialog did not appear"
sleep 0.5

read -r _ _ width height client_width client_height <<<"$(uidriver rect "$caption")"
e2e_expect_eq "$width" 432 "window width"
e2e_expect_eq "$client_height" 355 "client height"
nc=$((height - client_height))

for id in 1004 1005 1006 1007 1008 1009 1010 1011 1012 1013 1015 1016 1017 1018; do
    e2e_expect_eq "$(uidriver visible "$caption" $id)" 0 "button $id before the language request"
done
e2e_expect_eq "$(uidriver rect "$caption" 1014)" "0 0 432 76" "banner"
e2e_expect_eq "$(uidriver rect "$caption" 1001 | cut -d' ' -f1-2)" "5 290" "file status"
e2e_expect_eq "$(uidriver rect "$caption" 1000)" "5 306 418 15" "file progress"
e2e_expect_eq "$(uidriver rect "$caption" 1002 | cut -d' ' -f1-2)" "5 330" "files status"
e2e_expect_eq "$(uidriver rect "$caption" 1003)" "150 330 273 15" "files progress"

# Row by row, left (x 40) before right (x 235), 37 pixels apart.
row=0
for pair in "1004 1008" "1005 1007" "1011 1009" "1010 1006" "1012 1013" "1015 1017" "1016 1018"; do
    read -r left right <<<"$pair"
    y=$((nc + 65 + 37 * row))
    e2e_expect_eq "$(uidriver rect "$caption" "$left")" "40 $y 138 21" "button $left"
    e2e_expect_eq "$(uidriver rect "$caption" "$right")" "235 $y 138 21" "button $right"
    row=$((row + 1))
done
e2e_screenshot initialised
