#!/usr/bin/env bash
# [GENERAL] SHORTCUTS: absent means the Start menu; "desktop", "startmenu"
# and "none" in any letter case and combination; an unknown word is logged
# and ignored. Each run replaces what it asks for, so a re-run leaves one
# shortcut of each kind, and removes a kind no longer asked for, but only
# when it points to the client.
source "$(dirname "$0")/../lib.sh"
e2e_begin_fixture 127.0.0.245
brand="Shortcut Casino"
windir="C:\\Program Files\\$brand"
menu=$(start_menu_link "$brand")
desk=$(desktop_link "$brand")
with_shortcuts() { # SHORTCUTS value, or "" for none given
    client_site "$brand" "${1:+SHORTCUTS=$1}"
    install_client
}
# Which shortcuts of the brand there are, and how many files of that name
# each folder holds.
shortcuts() {
    local where link
    for where in menu desk; do
        link=${!where}
        [ -f "$link" ] && printf '%s ' "$where"
    done
    printf '(%s)' "$(find "$(dirname "$menu")" "$(dirname "$desk")" -maxdepth 1 -name "$brand*" | wc -l)"
}
target() { uidriver shortcut "$1" | tr -d '\r' | paste -sd'|'; }
[ ! -L "$(dirname "$desk")" ] || e2e_fail "the prefix's desktop is a link to $(readlink "$(dirname "$desk")")"

with_shortcuts ""
e2e_expect_eq "$(shortcuts)" "menu (1)" "without SHORTCUTS"
with_shortcuts "Desktop"
e2e_expect_eq "$(shortcuts)" "desk (1)" "SHORTCUTS=Desktop, after the Start menu's"
e2e_expect_eq "$(target "$desk")" "$windir\\casino.exe|$windir|$windir\\casino.exe,0" "the desktop shortcut"
with_shortcuts "STARTMENU, desktop"
e2e_expect_eq "$(shortcuts)" "menu desk (2)" "SHORTCUTS=STARTMENU, desktop"
with_shortcuts "startmenu,desktop"
e2e_expect_eq "$(shortcuts)" "menu desk (2)" "a re-run"
e2e_expect_eq "$(target "$menu")" "$windir\\casino.exe|$windir|$windir\\casino.exe,0" "the Start-menu shortcut"
with_shortcuts "startmenu,taskbar"
e2e_expect_eq "$(shortcuts)" "menu (1)" "SHORTCUTS=startmenu,taskbar"
grep -q '^SHORTCUTS: "taskbar" is neither startmenu, desktop nor none; ignored' "$work/setup.out" \
    || e2e_fail "the unknown word was not logged"

# A desktop shortcut of the brand's name that points elsewhere stays.
client_site "Other Shortcut Casino" "SHORTCUTS=desktop"
install_client
mv "$(desktop_link "Other Shortcut Casino")" "$desk"
with_shortcuts "none"
e2e_expect_eq "$(shortcuts)" "desk (1)" "SHORTCUTS=none"
e2e_expect_eq "$(target "$desk" | cut -d'|' -f1)" 'C:\Program Files\Other Shortcut Casino\casino.exe' \
    "the shortcut that points elsewhere"
