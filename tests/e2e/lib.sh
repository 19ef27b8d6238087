# Sourced by every end-to-end case. A case starts with
#   e2e_begin ["ADDRESS NAME"]...
# which runs it again isolated (scripts/lib/isolated: the given names resolve
# to their loopback addresses, nothing else resolves); then a virtual display
# and a scratch Wine prefix are started, and cleaned up when the case ends.
# Cases run the programs of TEST_ARCH ($products: out/ for i686, out/x64/ for
# x86_64), chosen by the machine when unset.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../scripts/lib/wine.sh
source "$root/scripts/lib/wine.sh"
wine_setup
# shellcheck source=../../scripts/lib/servers.sh
source "$root/scripts/lib/servers.sh"
out=$root/out
case_name=$(basename "$0" .sh)
work=${E2E_WORK:-$out/test/e2e/$case_name}

e2e_begin() {
    if [ -z "${E2E_INSIDE:-}" ]; then
        export E2E_INSIDE=1
        test_ca "$out/test/ca" || e2e_fail "cannot make the test CA"
        export ISOLATED_CA_BUNDLE=$CA_BUNDLE
        exec "$root/scripts/lib/isolated" "$@" -- bash "$0"
    fi
    rm -rf "$work"
    mkdir -p "$work"
    # Every program and server the case starts, even from a subshell: all
    # end with the case, however it ends.
    export PROCESS_REGISTRY=$work/processes

    wine_template_prefix || e2e_fail "cannot make the $WINE_ARCH Wine prefix"
    wine_scratch_prefix "$work/prefix"
    export WINEPREFIX=$work/prefix
    trap e2e_end EXIT
    trap "exit 143" TERM INT
    # The demo may use the user's own display; tests always get a virtual one.
    if [ -z "${E2E_USER_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
        display_start
    fi
    wine_start
}

e2e_end() {
    local status=$?
    e2e_screenshot final || true
    wine_stop
    # Lazily: a Wine process that is still ending may hold a file there.
    if [ -n "${SMALL_DRIVE:-}" ]; then umount -l "$SMALL_DRIVE" || true; fi
    display_stop
    fixture_stop
    site_stop
    stop_remembered_processes
    # A passed case's prefix (about 600 MB) is of no further use; a failed
    # one's stays for a look. The demo and the bench keep theirs.
    if [ $status -eq 0 ] && [ -z "${E2E_WORK:-}" ]; then rm -rf "$work/prefix"; fi
    [ $status -eq 0 ] && echo "PASS $case_name" || echo "FAIL $case_name (see $work)"
    exit $status
}

# Starts a Windows program in the background; its output goes to
# $work/NAME.out and PROGRAM_PID names it.
e2e_start() { # program [args...]
    local name
    name=$(basename "$1" .exe)
    wine "$@" </dev/null >"$work/$name.out" 2>&1 &
    PROGRAM_PID=$!
    remember_process "$PROGRAM_PID"
}

# Waits for the program started last and sets PROGRAM_EXIT to its exit code;
# fails the case when the program outlives SECONDS.
e2e_wait_exit() { # seconds
    local waited=0
    while kill -0 "$PROGRAM_PID" 2>/dev/null; do
        [ $waited -ge $(($1 * 10)) ] && e2e_fail "the program did not end within $1 s"
        sleep 0.1
        waited=$((waited + 1))
    done
    PROGRAM_EXIT=0
    wait "$PROGRAM_PID" || PROGRAM_EXIT=$?
}

# Polls `uidriver ARGS` until it prints EXPECTED (bounded).
e2e_wait_for() { # expected seconds uidriver-args...
    local expected=$1 tries=$(($2 * 10)) actual
    shift 2
    while [ $tries -gt 0 ]; do
        actual=$(uidriver "$@" || true)
        [ "$actual" == "$expected" ] && return 0
        sleep 0.1
        tries=$((tries - 1))
    done
    e2e_fail "uidriver $*: expected '$expected', last got '$actual'"
}

e2e_screenshot() { # name
    import -window root "$work/$1.png" 2>/dev/null
}

uidriver() {
    wine "$products/uidriver.exe" "$@" </dev/null 2>>"$work/uidriver.err"
}

e2e_fail() {
    echo "$case_name: $*" >&2
    exit 1
}

e2e_expect_eq() { # actual expected what
    [ "$1" == "$2" ] || e2e_fail "$3: expected '$2', got '$1'"
}

# --- the installer against a site of its own ---------------------------------

# Begins a case whose site answers as dl., files. and skins.karvelo.example on
# ADDRESS and as stats.karvelo.example (TLS) on TLS_ADDRESS.
e2e_begin_site() { # address tls-address
    SITE_ADDRESS=$1
    SITE_TLS_ADDRESS=$2
    e2e_begin "$1 dl.karvelo.example" "$1 files.karvelo.example" "$1 skins.karvelo.example" \
        "$2 stats.karvelo.example"
}

# Builds the demo site (or, with --files N --size B, a bulk one) and serves it.
site_serve() { # [demo_site.py options]
    python3 "$root/tools/demo_site.py" "$work/site" "$products" "$@" || e2e_fail "cannot build the site"
    site_start "$SITE_ADDRESS" "$SITE_TLS_ADDRESS" "$work/site" "$work/nginx" "$out/test/ca" \
        || e2e_fail "cannot start nginx"
}

site_requests() { cat "$work/nginx/access.log" 2>/dev/null || true; }

# Waits until the site has logged a request line containing TEXT.
site_expect_request() { # text [seconds]
    local tries=$((${2:-10} * 10))
    until site_requests | grep -qF -- "$1"; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || e2e_fail "no request with '$1'; the site saw:
$(site_requests)"
        sleep 0.1
    done
}

# Starts the installer as a user would: setup.exe from a Downloads folder;
# PROGRAM names another build of it (the strict one).
installer_start() { # [program]
    mkdir -p "$WINEPREFIX/drive_c/Downloads"
    cp "${1:-$products/installer.exe}" "$WINEPREFIX/drive_c/Downloads/setup.exe"
    e2e_start "$WINEPREFIX/drive_c/Downloads/setup.exe"
}

# Presses the English flag once the language screen is up.
installer_choose_english() {
    uidriver wait "Casino Installation" 30 1018 || e2e_fail "the installer window did not appear"
    e2e_wait_for 1 20 visible "Casino Installation" 1004
    uidriver press "Casino Installation" 1004 || e2e_fail "cannot press the English flag"
}

# The data of one registry value as `wine reg` prints it (empty when absent).
reg_value() { # key value-name
    wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' \
        | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^  */, ""); print; exit }'
}

reg_set() { # key value-name type data
    wine reg add "$1" /v "$2" /t "$3" /d "$4" /f </dev/null >/dev/null 2>&1
}

install_dir() { echo "$WINEPREFIX/drive_c/Program Files/$1"; }

# Makes the install drive small: a tmpfs of SIZE (as mount's size= takes it)
# over the prefix's Program Files, in the case's own mount namespace. It is
# unmounted when the case ends.
small_install_drive() { # size
    SMALL_DRIVE="$WINEPREFIX/drive_c/Program Files"
    mount -t tmpfs -o "size=$1" tmpfs "$SMALL_DRIVE" || e2e_fail "cannot mount a small install drive"
}

# The free bytes of the small install drive, as GetDiskFreeSpaceExA gives them.
small_drive_free() {
    echo $(($(stat -f -c '%a * %S' "$SMALL_DRIVE")))
}

# Answers the next COUNT message boxes of the window CAPTION with OK and
# prints their texts, one per line (line breaks inside a text become "|").
answer_boxes() { # caption count
    local i text
    # A box is looked for only once its owner has the caption.
    uidriver wait "$1" 30 >/dev/null || e2e_fail "no window \"$1\""
    for ((i = 0; i < $2; i++)); do
        text=$(uidriver box "$1" 30) || e2e_fail "box $((i + 1)) of $2 did not appear"
        uidriver answer "$1" 1 || e2e_fail "cannot answer box $((i + 1))"
        printf '%s\n' "$text" | tr -d '\r' | paste -sd'|'
    done
}

# Fails when the window CAPTION shows a message box within SECONDS.
expect_no_box() { # caption seconds
    if uidriver box "$1" "$2" >/dev/null 2>&1; then
        e2e_fail "unexpected box: $(uidriver box "$1" 1)"
    fi
}

# Begins a case whose resource manager and file host are the fault fixture
# server on ADDRESS (dl. and files.karvelo.example); nothing answers for the
# report host.
e2e_begin_fixture() { # address
    FIXTURE_ADDRESS=$1
    e2e_begin "$1 dl.karvelo.example" "$1 files.karvelo.example"
}

# Serves MANIFEST (text) and the files of $work/fixture/files; further
# options go to tools/fixture_server.py.
fixture_site() { # manifest-text [options...]
    mkdir -p "$work/fixture/files"
    printf '%s' "$1" >"$work/fixture/manifest.ini"
    fixture_start "$FIXTURE_ADDRESS" "$work/fixture/files" "$work/fixture/manifest.ini" "${@:2}" \
        || e2e_fail "no fixture server"
}

# Serves a manifest of the brand BRAND whose files, the URLS entries ENTRIES
# (one a line), come from the fixture server as files.karvelo.example.
fixture_brand_site() { # brand entries [options...]
    fixture_site "[GENERAL]
BRAND_NAME=$1
[URLS]
SERVER_ADDR=files.karvelo.example
$2
" "${@:3}"
}

fixture_file() { # name size
    mkdir -p "$(dirname "$work/fixture/files/$1")"
    head -c "$2" /dev/urandom >"$work/fixture/files/$1"
}

# What the fixture server answers at PATH (one of its own pages).
fixture_page() { # path
    python3 -c "import sys, urllib.request; sys.stdout.write(urllib.request.urlopen(sys.argv[1]).read().decode('latin-1'))" \
        "http://$FIXTURE_ADDRESS$1"
}

# The request lines the fixture server has seen, oldest first.
fixture_requests() {
    fixture_page /_log | grep -a '^GET ' | tr -d '\r'
}

# For every request whose target contains TEXT, oldest first: its Range and
# its If-Range header, "-" for one it lacks.
fixture_ranges() { # text
    fixture_page /_log | python3 -c '
import sys
for head in sys.stdin.read().split("\r\n\r\n"):
    lines = head.split("\r\n")
    target = lines[0].split(" ")
    if len(target) < 2 or sys.argv[1] not in target[1]:
        continue
    fields = {line.split(":", 1)[0].lower(): line.split(":", 1)[1].strip() for line in lines[1:] if ":" in line}
    print(fields.get("range", "-"), fields.get("if-range", "-"))
' "$1"
}

# The body bytes the fixture server has sent to requests whose target
# contains TEXT, in all.
fixture_sent() { # text
    fixture_page /_sent | awk -v text="$1" 'index($1, text) { sum += $2 } END { print sum + 0 }'
}

# The validator the fixture server's /range/ route gives a fixture file.
fixture_etag() { # name
    echo "\"$(sha256sum "$work/fixture/files/$1" | cut -c1-16)\""
}

# Serves the report page over HTTPS on ADDRESS:443 as stats.karvelo.example,
# answering after DELAYS seconds (see tools/fixture_server.py).
report_server_start() { # address [delays]
    REPORT_ADDRESS=$1
    local ready=$work/report.ready
    rm -f "$ready"
    python3 "$root/tools/fixture_server.py" --address "$1" --port 443 --report-delay "${2:-0}" \
        --tls-cert "$out/test/ca/server.crt" --tls-key "$out/test/ca/server.key" --ready "$ready" \
        </dev/null >"$work/report.log" 2>&1 &
    REPORT_PID=$!
    remember_process "$REPORT_PID"
    server_ready "$ready" "$REPORT_PID" || e2e_fail "no TLS report server"
}

# The fault fixture server over HTTPS on ADDRESS:443, with the test CA's
# certificate (or the one nothing trusts with --untrusted), serving the files
# of $work/fixture/files and MANIFEST (text); TLS_FIXTURE_PID names it.
tls_fixture_start() { # address manifest-text [--untrusted]
    local ready=$work/tls-fixture.ready cert=$out/test/ca/server.crt key=$out/test/ca/server.key
    [ "${3:-}" = --untrusted ] && cert=$out/test/ca/untrusted.crt key=$out/test/ca/untrusted.key
    mkdir -p "$work/fixture/files"
    printf '%s' "$2" >"$work/fixture/tls-manifest.ini"
    rm -f "$ready"
    python3 "$root/tools/fixture_server.py" --address "$1" --port 443 --files "$work/fixture/files" \
        --manifest "$work/fixture/tls-manifest.ini" --tls-cert "$cert" --tls-key "$key" --ready "$ready" \
        </dev/null >"$work/tls-fixture.log" 2>&1 &
    TLS_FIXTURE_PID=$!
    remember_process "$TLS_FIXTURE_PID"
    server_ready "$ready" "$TLS_FIXTURE_PID" || e2e_fail "no TLS fixture server"
}

tls_fixture_stop() {
    stop_process "${TLS_FIXTURE_PID:-}"
    TLS_FIXTURE_PID=
}

# The request lines the TLS fixture server on ADDRESS has seen, oldest first.
tls_fixture_requests() { # address
    python3 - "$1" <<'PY' | grep -a '^GET ' | tr -d '\r'
import ssl, sys, urllib.request
context = ssl._create_unverified_context()
print(urllib.request.urlopen(f"https://{sys.argv[1]}/_log", context=context).read().decode("latin-1"))
PY
}

# Runs the installer of the brand BRAND to its end with exit code 0 through
# COUNT failed attempts, each answered in its box.
installer_through_failures() { # brand count
    local failure="ResourceFileDownloaderListener::OnError()" expected="" i
    for ((i = 0; i < $2; i++)); do expected+=$failure$'\n'; done
    installer_start
    installer_choose_english
    e2e_expect_eq "$(answer_boxes "$1 Installation" "$2")" "${expected%$'\n'}" "a box for each failed attempt"
    e2e_wait_exit 30
    e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
}

# The fixture file NAME is installed as PATH, with nothing staged beside it.
expect_installed() { # name path
    cmp "$work/fixture/files/$1" "$2" || e2e_fail "$2 is not the served $1"
    [ ! -e "$2.part" ] && [ ! -e "$2.part.info" ] || e2e_fail "staged files left beside $2"
}

# "sha256:" and the SHA-256 of a fixture file.
fixture_sha256() { # name
    echo "sha256:$(sha256sum "$work/fixture/files/$1" | cut -d' ' -f1)"
}

# An HTTP proxy (Debian's tinyproxy) on ADDRESS:8888, asking for USER and
# PASSWORD when given; its log is $work/proxy.log, with a line "Request ...:
# GET http://HOST:80/PATH" for every request it took and "Established
# connection" for every one it passed on.
proxy_start() { # address [user password]
    mkdir -p "$work/proxy"
    {
        printf 'User root\nGroup root\nPort 8888\nListen %s\nTimeout 60\nMaxClients 20\n' "$1"
        printf 'LogFile "%s"\nLogLevel Connect\nPidFile "%s"\n' "$work/proxy.log" "$work/proxy/tinyproxy.pid"
        [ -n "${2:-}" ] && printf 'BasicAuth %s %s\n' "$2" "$3"
    } >"$work/proxy/tinyproxy.conf"
    tinyproxy -d -c "$work/proxy/tinyproxy.conf" </dev/null >"$work/proxy/tinyproxy.out" 2>&1 &
    PROXY_PID=$!
    remember_process "$PROXY_PID"
    await_while_running "$PROXY_PID" listening_on "$1:8888" || e2e_fail "tinyproxy on $1 did not start"
}

# Makes the prefix's system settings send every request through ADDRESS:8888.
use_proxy() { # address
    local key='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
    reg_set "$key" ProxyEnable REG_DWORD 1
    reg_set "$key" ProxyServer REG_SZ "$1:8888"
}

# Fills in the system's proxy prompt ("Enter Network Password", owned by
# the installer window) as a user does, and presses OK (1) or Cancel (2).
answer_proxy_prompt() { # user password button
    local prompt="Enter Network Password" edits
    uidriver wait "$prompt" 30 >/dev/null || e2e_fail "no proxy prompt"
    edits=$(uidriver controls "$prompt" | awk '$2 == "Edit" { print $1 }' | tr -d '\r')
    set -- "$@" $edits
    uidriver settext "$prompt" "$4" "$1" && uidriver settext "$prompt" "$5" "$2" \
        || e2e_fail "cannot type into the proxy prompt"
    uidriver press "$prompt" "$3" || e2e_fail "cannot answer the proxy prompt"
}

# "sha256:" and the SHA-256 of a fixture file, then ",size:" and its length:
# what a keyed installer requires of every entry.
fixture_pieces() { # name
    echo "$(fixture_sha256 "$1"),size:$(stat -c %s "$work/fixture/files/$1")"
}

# Signs the manifest FILE in place with the committed demo pair NAME (demo,
# next or other; never for production); further options (--serial,
# --expires, --valid-days) go to out/manifest-tool sign.
sign_manifest() { # file name [sign options...]
    "$out/manifest-tool" sign "$1" --key "$root/tools/demo_keys/$2.key.pem" --out "$1.signed" "${@:3}" \
        || e2e_fail "cannot sign $1"
    mv "$1.signed" "$1"
}

# The keyed demo installer: built with the demo and the next key.
keyed_installer=$products/tools/installer_keyed.exe

report_server_stop() {
    stop_process "${REPORT_PID:-}"
    REPORT_PID=
}

# Waits for the installer to end with exit code 0 within SECONDS, after the
# report server answered the end report.
e2e_wait_exit_after_end_report() { # seconds
    local ended answered
    e2e_wait_exit "$1"
    ended=$(date +%s.%N)
    e2e_expect_eq "$PROGRAM_EXIT" 0 "exit code"
    e2e_expect_eq "$(report_actions)" "1 2" "reports in order"
    answered=$(awk '/answered report 2/ { print $NF }' "$work/report.log")
    [ -n "$answered" ] || e2e_fail "the end report was never answered: $(cat "$work/report.log")"
    (( $(echo "$ended > $answered" | bc) )) \
        || e2e_fail "the installer ended at $ended, before the end report's answer at $answered"
}

# The dlAction of every report the report server has seen, oldest first,
# separated by blanks.
report_actions() {
    python3 - "$REPORT_ADDRESS" <<'PY'
import ssl, sys, urllib.request
context = ssl._create_unverified_context()
log = urllib.request.urlopen(f"https://{sys.argv[1]}/_log", context=context).read().decode("latin-1")
print(" ".join(line.split("dlAction=")[1].split(" ")[0] for line in log.split("\r\n")
               if line.startswith("GET /players_downloads.asp")))
PY
}

# --- the uninstaller ----------------------------------------------------------

# Serves a manifest of the brand BRAND, with the [GENERAL] lines GENERAL,
# whose files come from the fixture server: casino.exe (bytes, no program:
# nothing is launched) in the install folder and data.bin in its sub-folder
# Data. Called again, it serves the new manifest from the same server.
client_site() { # brand [general-lines]
    local manifest="[GENERAL]
BRAND_NAME=$1
${2:-}
[URLS]
SERVER_ADDR=files.karvelo.example
URL_1=/file/casino.exe
URL_2=/file/data.bin,Data
"
    if [ -n "${FIXTURE_PID:-}" ]; then
        printf '%s' "$manifest" >"$work/fixture/manifest.ini"
        return 0
    fi
    fixture_file casino.exe 2000
    fixture_file data.bin 3000
    fixture_site "$manifest"
}

# Runs the installer to its end, exit code 0, as a user does.
install_client() {
    installer_start
    installer_choose_english
    e2e_wait_exit 60
    e2e_expect_eq "$PROGRAM_EXIT" 0 "installer exit code"
}

# Begins a case on the fixture server at ADDRESS with the client of BRAND
# installed (client_site, with its GENERAL lines); CLIENT_DIR names its folder.
e2e_begin_installed() { # address brand [general-lines]
    e2e_begin_fixture "$1"
    client_site "$2" "${3:-}"
    install_client
    CLIENT_DIR=$(install_dir "$2")
}

# Every path below FOLDER, sorted, one a line.
folder_listing() { # folder
    (cd "$1" && find . | sort)
}

# The uninstaller moves itself to uninstall-XXXXXXXX.old (eight hex digits
# of its own) before its deletion at the restart: such names read
# uninstall-MOVED.old here.
moved_names() {
    sed -E 's/uninstall-[0-9A-F]{8}\.old/uninstall-MOVED.old/g'
}

# Starts the installed uninstall.exe of BRAND with ARGS.
uninstall_start() { # brand [args...]
    local brand=$1
    shift
    e2e_start "$(install_dir "$brand")/uninstall.exe" "$@"
}

# Runs the quiet uninstaller of BRAND and sets PROGRAM_EXIT.
uninstall_quietly() { # brand
    uninstall_start "$1" /uninstall /quiet
    e2e_wait_exit 60
}

# The uninstaller's box: waits for the box captioned "Uninstall", prints its
# text (line breaks become "|") and presses BUTTON (1 OK, 6 Yes, 7 No),
# which returns once the box is gone.
answer_uninstall_box() { # button
    local text
    uidriver wait Uninstall 30 >/dev/null || e2e_fail "no box \"Uninstall\""
    text=$(uidriver box Uninstall 1) || e2e_fail "the window \"Uninstall\" is no message box"
    uidriver answer Uninstall "$1" || e2e_fail "cannot press $1 in the box \"Uninstall\""
    printf '%s\n' "$text" | tr -d '\r' | paste -sd'|'
}

uninstall_key() { echo "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1"; }

# Whether a registry key exists: prints 1 or 0.
reg_key_exists() { # key
    if wine reg query "$1" </dev/null >/dev/null 2>&1; then echo 1; else echo 0; fi
}

# Where the shell keeps the user's shortcuts in the prefix (Wine names the
# profile after the Unix user).
start_menu_link() { echo "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/$1.lnk"; }
desktop_link() { echo "$WINEPREFIX/drive_c/users/$(id -un)/Desktop/$1.lnk"; }

# The paths the system deletes at its next restart, one a line, as
# PendingFileRenameOperations holds them: pairs of a path and its new name,
# the empty name for a deletion, each text followed by \0 in reg's output.
pending_deletions() {
    wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations \
        </dev/null 2>/dev/null | tr -d '\r' | python3 -c '
import sys
for line in sys.stdin:
    name, _, rest = line.strip().partition("    REG_MULTI_SZ    ")
    if name != "PendingFileRenameOperations":
        continue
    texts = rest.split("\\0")
    for source, target in zip(texts[0::2], texts[1::2]):
        if not target:
            print(source[4:] if source.startswith("\\??\\") else source)
'
}

# Wine ends its built-in desktop a moment after the last window closes, and
# an installer started then cannot make its window (error 1400): a window of
# the case's own keeps the desktop from one run of the installer to the next.
e2e_keep_desktop() {
    e2e_start "$products/tools/test_window.exe" "Desktop Keeper"
}

# Kills the installer's Windows process itself, as a crash would: the
# process wine was started as may be another. True when one was running.
kill_installer() {
    local pids
    pids=$(pgrep -f "$WINEPREFIX/drive_c/Downloads/setup.exe") || return 1
    kill -KILL $pids
}
