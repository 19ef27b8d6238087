#!/usr/bin/env bash
# A signed branded build, with a throw-away test CA and code-signing
# certificate made here: both programs verify against that CA, removing the
# signatures gives the bytes of the same build unsigned (which the README's
# branded command, naming no build type, gives), the README's steps for
# checking a published installer hold, a signing that fails leaves no
# unsigned program behind, and neither build touches the source tree's out/.
# Builds the i686 installer and Extract.dll twice, in scratch folders; no
# network (the one time-stamp server asked is a loopback address where
# nothing listens).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
jobs=$(nproc)

fail() { echo "FAILED $case_name: $*"; failures=$((failures + 1)); }

# Ends the run at once when a step that later ones need has failed.
give_up() {
    fail "$@"
    echo "FAILED signing: stopped"
    exit 1
}

case_name=test-ca
ca=$scratch/ca
mkdir -p "$ca"
cat >"$ca/extensions.cnf" <<'CNF'
[req]
distinguished_name = name
[name]
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
CNF
printf 'throw-away password\n' >"$ca/password"
{
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Signing test CA" \
        -config "$ca/extensions.cnf" -extensions ca -keyout "$ca/ca.key" -out "$ca/ca.crt" &&
        openssl req -new -newkey rsa:2048 -nodes -subj "/CN=Signing test publisher" \
            -config "$ca/extensions.cnf" -keyout "$ca/signer.key" -out "$ca/signer.csr" &&
        openssl x509 -req -days 2 -in "$ca/signer.csr" -CA "$ca/ca.crt" -CAkey "$ca/ca.key" \
            -set_serial 1 -extfile "$ca/extensions.cnf" -extensions signer -out "$ca/signer.crt" &&
        openssl pkcs12 -export -inkey "$ca/signer.key" -in "$ca/signer.crt" -certfile "$ca/ca.crt" \
            -passout "file:$ca/password" -out "$ca/signer.p12"
} >"$ca/openssl.log" 2>&1 || give_up "openssl: $(tail -n 3 "$ca/openssl.log")"

# The README's branded options; the products of a build folder outside
# out/build/ land in that folder.
options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DINSTALLER_SERVER=dl.example.com
    -DINSTALLER_REPORT_HOST=stats.example.com -DINSTALLER_DID=1234 -DINSTALLER_TAG=0)
signing=(-DINSTALLER_SIGN_PKCS12="$ca/signer.p12" -DINSTALLER_SIGN_PASSWORD_FILE="$ca/password")
signed=$scratch/signed
unsigned=$scratch/unsigned
touch "$scratch/before"

configure() { # build-dir cmake-args...
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" "$@" >"$dir.configure.log" 2>&1
}

build() { # build-dir
    cmake --build "$1" -j "$jobs" --target installer Extract >"$1.build.log" 2>&1
}

# The products land in the build folder, none in the source tree's out/.
landed_in() { # build-dir
    local touched file
    touched=$(find "$root/out" -maxdepth 2 \( -name installer.exe -o -name Extract.dll \) -newer "$scratch/before" 2>/dev/null || true)
    [ -z "$touched" ] || fail "written into the source tree: $(xargs <<<"$touched")"
    for file in installer.exe Extract.dll; do
        [ -f "$1/$file" ] || give_up "no $file in the build folder $1"
    done
}

# Configure refuses signing it cannot do: it names what is missing.
case_name=refusals
refused() { # what-the-message-says cmake-args...
    local says=$1
    shift
    if configure "$signed" "${options[@]}" "$@"; then
        fail "configured with $*"
    elif ! grep -qF -- "$says" "$signed.configure.log"; then
        fail "no '$says' for $*: $(grep -A 3 'CMake Error' "$signed.configure.log" | head -n 4)"
    fi
}
refused "INSTALLER_SIGN_PKCS12: no such file: $scratch/none.p12" \
    -DINSTALLER_SIGN_PKCS12="$scratch/none.p12" -DINSTALLER_SIGN_PASSWORD_FILE="$ca/password"
refused "INSTALLER_SIGN_PASSWORD_FILE: no such file: $scratch/none" \
    -DINSTALLER_SIGN_PKCS12="$ca/signer.p12" -DINSTALLER_SIGN_PASSWORD_FILE="$scratch/none"
refused "INSTALLER_SIGN_PASSWORD_FILE is not" -DINSTALLER_SIGN_PKCS12="$ca/signer.p12" \
    -DINSTALLER_SIGN_PASSWORD_FILE=
refused "osslsigncode is not installed" "${signing[@]}" \
    -DOSSLSIGNCODE_EXECUTABLE="$scratch/bin/osslsigncode"

case_name=signed-build
configure "$signed" "${options[@]}" "${signing[@]}" -UOSSLSIGNCODE_EXECUTABLE -DCMAKE_BUILD_TYPE=Release ||
    give_up "configure: $(tail -n 5 "$signed.configure.log")"
build "$signed" || give_up "build: $(grep -v '^\[' "$signed.build.log" | tail -n 10)"
landed_in "$signed"
for file in installer.exe Extract.dll; do
    if ! osslsigncode verify -CAfile "$ca/ca.crt" -in "$signed/$file" >"$scratch/verify-$file.log" 2>&1; then
        fail "$file does not verify: $(tail -n 3 "$scratch/verify-$file.log")"
    fi
    grep -q '^Message digest algorithm *: SHA256' "$scratch/verify-$file.log" ||
        fail "$file: not a SHA-256 signature"
done

# The README's command, with no build type: the same bytes, signatures aside.
case_name=reproducible
configure "$unsigned" "${options[@]}" || give_up "configure: $(tail -n 5 "$unsigned.configure.log")"
build "$unsigned" || give_up "build: $(grep -v '^\[' "$unsigned.build.log" | tail -n 10)"
landed_in "$unsigned"
for file in installer.exe Extract.dll; do
    osslsigncode verify -CAfile "$ca/ca.crt" -in "$unsigned/$file" >/dev/null 2>&1 &&
        fail "the unsigned build's $file carries a signature"
    osslsigncode remove-signature -in "$signed/$file" -out "$scratch/removed-$file" >/dev/null 2>&1 ||
        fail "remove-signature failed on $file"
    cmp -s "$scratch/removed-$file" "$unsigned/$file" ||
        fail "$file without its signature differs from the unsigned build: $(cmp -l "$scratch/removed-$file" "$unsigned/$file" 2>&1 | head -n 4 | xargs)"
done

# The README's steps, as written there, on the signed installer.
case_name=readme-steps
readme_command() { # command
    grep -qF -- "$1" "$root/README.md" || fail "the README no longer says: $1"
}
readme_command 'osslsigncode verify -in published-installer.exe'
readme_command 'osslsigncode remove-signature -in published-installer.exe -out unsigned.exe'
readme_command 'cmp unsigned.exe out/installer.exe'
mkdir -p "$scratch/published"
cp "$signed/installer.exe" "$scratch/published/published-installer.exe"
(
    cd "$scratch/published"
    osslsigncode verify -CAfile "$ca/ca.crt" -in published-installer.exe >/dev/null 2>&1 ||
        echo "verify failed"
    osslsigncode remove-signature -in published-installer.exe -out unsigned.exe >/dev/null 2>&1 ||
        echo "remove-signature failed"
    cmp unsigned.exe "$unsigned/installer.exe" >/dev/null 2>&1 || echo "cmp failed"
) >"$scratch/steps.log"
[ -s "$scratch/steps.log" ] && fail "$(xargs <"$scratch/steps.log")"

# A signing that fails (here the time-stamp server) fails the build and
# leaves no unsigned program where a signed one was asked for.
case_name=failed-signing
timestamp_url=http://127.0.0.40:9/
if ! configure "$signed" -DINSTALLER_SIGN_TIMESTAMP_URL="$timestamp_url"; then
    fail "configure: $(tail -n 5 "$signed.configure.log")"
elif build "$signed"; then
    fail "the build succeeded with an unreachable time-stamp server"
else
    grep -qF "$timestamp_url" "$signed.build.log" || fail "the time-stamp server was not asked"
    grep -qF "osslsigncode could not sign" "$signed.build.log" || fail "no line says why the build failed"
    if [ -e "$signed/installer.exe" ]; then fail "installer.exe left behind unsigned"; fi
fi

[ $failures -eq 0 ] && echo "PASS signing"
exit $((failures > 0))
