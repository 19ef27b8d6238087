#!/usr/bin/env bash
# The uninstaller asks first, and a No keeps everything (exit 1); started
# anywhere but <Program Files>\<brand>\uninstall.exe it refuses (exit 4),
# with its box unless quiet; its switches match in any letter case, and
# without /uninstall it is the installer.
source "$(dirname "$0")/../lib.sh"
e2e_begin_installed 127.0.0.243 "Declined Casino"
dir=$CLIENT_DIR
before=$(folder_listing "$dir")

uninstall_start "Declined Casino" /UNINSTALL
e2e_expect_eq "$(answer_uninstall_box 7)" "Remove Declined Casino and all its files?" "the question"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 1 "exit code after No"
e2e_expect_eq "$(folder_listing "$dir")" "$before" "the folder after No"
e2e_expect_eq "$(reg_key_exists 'HKCU\Software\Declined Casino')" 1 "the brand's key after No"
e2e_expect_eq "$(reg_key_exists "$(uninstall_key "Declined Casino")")" 1 "the uninstall entry after No"
[ -f "$(start_menu_link "Declined Casino")" ] || e2e_fail "the shortcut went after No"
e2e_expect_eq "$(pending_deletions)" "" "deletions at the next restart after No"

wrong_place() { # folder args... : runs a copy of uninstall.exe from FOLDER
    mkdir -p "$1"
    cp "$dir/uninstall.exe" "$1/uninstall.exe"
    e2e_start "$1/uninstall.exe" "${@:2}"
}
wrong_place "$WINEPREFIX/drive_c/Downloads" /uninstall
e2e_expect_eq "$(answer_uninstall_box 1)" "This uninstaller must run from the client's folder under Program Files." \
    "the box of an uninstaller in the wrong place"
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 4 "exit code from Downloads"
for folder in "$WINEPREFIX/drive_c/Downloads" "$(install_dir InstallKVO)" "$(install_dir "Declined Casino")/Data"; do
    wrong_place "$folder" /Uninstall /QUIET
    e2e_wait_exit 30
    e2e_expect_eq "$PROGRAM_EXIT" 4 "exit code of the quiet uninstaller in $folder"
done
expect_no_box Uninstall 1
cp "$dir/uninstall.exe" "$dir/remove.exe"
e2e_start "$dir/remove.exe" /uninstall /quiet
e2e_wait_exit 30
e2e_expect_eq "$PROGRAM_EXIT" 4 "exit code of the uninstaller under another name"
rm "$dir/remove.exe" "$dir/Data/uninstall.exe"
e2e_expect_eq "$(folder_listing "$dir")" "$before" "the folder after the refusals"

# Without /uninstall it is the installer, language screen and all.
uninstall_start "Declined Casino" /quiet
uidriver wait "Casino Installation" 30 1018 || e2e_fail "uninstall.exe without /uninstall is no installer"
# The language screen cannot be closed.
stop_process "$PROGRAM_PID"
