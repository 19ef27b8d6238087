#!/usr/bin/env bash
# scripts/setup's decisions on a day when Debian's archive is out of sync,
# against stand-ins for apt-get, dpkg and dpkg-query first on PATH. Every path
# setup writes points into a scratch folder; nothing of the machine changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() { echo "FAILED $case_name: $*"; failures=$((failures + 1)); }

# The stand-ins keep the "installed" packages in $FAKE_STATE/installed; the
# FAKE_* variables say what fails.
mkdir -p "$scratch/bin"
cat >"$scratch/bin/dpkg-query" <<'SH'
#!/usr/bin/env bash
package=${!#}
grep -qxF -- "$package" "$FAKE_STATE/installed" 2>/dev/null || { echo "no packages found matching $package" >&2; exit 1; }
echo "ii "
SH
cat >"$scratch/bin/dpkg" <<'SH'
#!/usr/bin/env bash
case "$1" in
--print-foreign-architectures) cat "$FAKE_STATE/architectures" 2>/dev/null || true ;;
--add-architecture) echo "$2" >>"$FAKE_STATE/architectures" ;;
*) exit 2 ;;
esac
SH
cat >"$scratch/bin/apt-get" <<'SH'
#!/usr/bin/env bash
echo "$*" >>"$FAKE_STATE/calls"
case "$1" in
update)
    if [ -n "${FAKE_UPDATE_FAILS:-}" ]; then
        echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
        exit 100
    fi ;;
install)
    [ -x "$SETUP_POLICY_RC" ] && echo install >>"$FAKE_STATE/policy-seen"
    shift
    packages=()
    for word in "$@"; do [[ "$word" == -* ]] || packages+=("$word"); done
    if [ -n "${FAKE_INSTALL_FAILS:-}" ]; then
        echo "E: Unable to locate package ${packages[0]}" >&2
        exit 100
    fi
    if [ -n "${FAKE_I386_FAILS:-}" ] && [[ " ${packages[*]}" == *":i386"* ]]; then
        echo "Some packages could not be installed." >&2
        echo "E: Unable to correct problems, you have held broken packages." >&2
        exit 100
    fi
    printf '%s\n' "${packages[@]}" >>"$FAKE_STATE/installed" ;;
source)
    mkdir -p 7zip-23.01/C 7zip-23.01/debian
    touch 7zip-23.01/C/7zDec.c ;;
esac
SH
chmod +x "$scratch/bin"/*

# Runs setup in a fresh scratch machine; its output in $output, status in $status.
run_setup() {
    local machine=$scratch/$case_name
    export FAKE_STATE=$machine/state SETUP_APT_SOURCES_DIR=$machine/sources.list.d \
        SETUP_APT_SOURCES_LIST=$machine/sources.list SETUP_POLICY_RC=$machine/policy-rc.d \
        SETUP_SEVENZIP_SRC=$machine/7zip SETUP_I386_NOTE=$machine/i386-failure SETUP_UPDATE_PAUSE=0
    mkdir -p "$FAKE_STATE" "$SETUP_APT_SOURCES_DIR"
    printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\n' \
        >"$SETUP_APT_SOURCES_DIR/debian.sources"
    rerun_setup
}

rerun_setup() {
    status=0
    output=$(env -u PROJECT_SETUP_DONE PATH="$scratch/bin:$PATH" "$root/scripts/setup" 2>&1) || status=$?
}

expect_output() { grep -qF -- "$1" <<<"$output" || fail "no line with '$1' in: $output"; }
installed() { grep -qxF -- "$1" "$FAKE_STATE/installed" 2>/dev/null; }
updates() { grep -c '^update' "$FAKE_STATE/calls" || true; }

case_name=update-fails-install-works
FAKE_UPDATE_FAILS=1 run_setup
[ "$status" -eq 0 ] || fail "status $status: $output"
expect_output "setup: warning: apt-get update failed three times (http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz)"
expect_output "setup: done"
installed wine64 && installed wine32:i386 && installed libgnutls30:i386 || fail "packages missing"
[ "$(updates)" -eq 6 ] || fail "expected three tries for each of the two updates, saw $(updates)"
[ -f "$SETUP_SEVENZIP_SRC/.ready" ] || fail "no decoder sources"
[ -f "$SETUP_APT_SOURCES_DIR/project-deb-src.sources" ] || fail "no source entries"
grep -q '^Types: deb-src' "$SETUP_APT_SOURCES_DIR/project-deb-src.sources" || fail "source entries of the wrong type"
[ "$(cat "$FAKE_STATE/policy-seen")" = "$(printf 'install\ninstall')" ] || fail "services not held off during both installs"
[ ! -e "$SETUP_POLICY_RC" ] || fail "policy-rc.d left behind"
[ ! -e "$SETUP_I386_NOTE" ] || fail "a failure noted although 32-bit Wine installed"

case_name=update-and-i386-fail
FAKE_UPDATE_FAILS=1 FAKE_I386_FAILS=1 run_setup
[ "$status" -eq 0 ] || fail "status $status: $output"
expect_output "setup: 32-bit Wine could not be installed: held broken packages"
installed wine64 && installed nginx-light || fail "the other packages were not installed"
installed wine32:i386 && fail "wine32 counted as installed"
[ "$(cat "$SETUP_I386_NOTE" 2>/dev/null)" = "held broken packages" ] || fail "reason not noted for the test scripts"
reason=$(root=$root WINE32_LOADER=$scratch/no-such-wine SETUP_I386_NOTE=$SETUP_I386_NOTE bash -c \
    'source "$root/scripts/lib/wine.sh"; wine32_runs; echo "$WINE32_FAILURE"')
[ "$reason" = "32-bit Wine could not be installed: held broken packages" ] || fail "the tiers would say '$reason'"
# The archive has recovered: the next setup installs them, with no step by hand.
FAKE_UPDATE_FAILS= FAKE_I386_FAILS= rerun_setup
[ "$status" -eq 0 ] || fail "status $status after recovery: $output"
installed wine32:i386 || fail "wine32 not installed after recovery"
[ ! -e "$SETUP_I386_NOTE" ] || fail "the old reason stayed after recovery"

case_name=everything-works
run_setup
[ "$status" -eq 0 ] || fail "status $status: $output"
expect_output "setup: done"
grep -q warning <<<"$output" && fail "a warning on a good day: $output"
calls_before=$(wc -l <"$FAKE_STATE/calls")
rerun_setup
[ "$status" -eq 0 ] && [ -z "$output" ] || fail "a second setup was not quiet: $output"
[ "$(wc -l <"$FAKE_STATE/calls")" -eq "$calls_before" ] || fail "a second setup called apt-get"

case_name=everything-fails
FAKE_UPDATE_FAILS=1 FAKE_INSTALL_FAILS=1 run_setup
[ "$status" -ne 0 ] || fail "setup succeeded: $output"
expect_output "setup: failed: apt-get install: Unable to locate package g++-mingw-w64-i686"
[ ! -e "$SETUP_POLICY_RC" ] || fail "policy-rc.d left behind after the failure"

[ $failures -eq 0 ] && echo "PASS setup_decisions"
exit $((failures > 0))
