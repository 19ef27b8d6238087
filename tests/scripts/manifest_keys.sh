#!/usr/bin/env bash
# The rules for manifest keys, where the build and the operators' tool apply
# them: a keyed build takes only RSA public keys of 2048 to 4096 bits and a
# strict build none without keys; manifest-tool refuses the same keys,
# exits 2 when it signs without a serial, and never overwrites a key.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tool=$root/out/manifest-tool
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() { echo "FAILED $*"; failures=$((failures + 1)); }

keys_source() { # keys
    cmake -DKEYS="$1" -DOUTPUT="$scratch/keys.cpp" -P "$root/cmake/manifest_keys.cmake" >"$scratch/cmake.log" 2>&1
}

openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -out "$scratch/small.pem" 2>/dev/null
openssl pkey -in "$scratch/small.pem" -pubout -out "$scratch/small.pub"
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$scratch/curve.pem" 2>/dev/null
openssl pkey -in "$scratch/curve.pem" -pubout -out "$scratch/curve.pub"

# The build's keys source: both demo keys with their ids.
demo="$root/tools/demo_keys/demo.pub.pem;$root/tools/demo_keys/next.pub.pem"
if keys_source "$demo"; then
    for pair in demo next; do
        id=$(openssl pkey -pubin -in "$root/tools/demo_keys/$pair.pub.pem" -outform DER | sha256sum | cut -c1-16)
        grep -q "\"$id\"" "$scratch/keys.cpp" || fail "keys source: no id $id for $pair"
    done
else
    fail "keys source of the demo keys: $(cat "$scratch/cmake.log")"
fi
for bad in "small.pub:of 1024 bits" "curve.pub:not an RSA public key" "missing.pub:no such file" \
    "small.pem:not an RSA public key"; do
    keys_source "$scratch/${bad%%:*}" && fail "keys source took ${bad%%:*}"
    grep -q "${bad#*:}" "$scratch/cmake.log" || fail "keys source of ${bad%%:*}: $(cat "$scratch/cmake.log")"
done
keys_source "" && fail "keys source without keys"

# A strict build without keys fails to configure, with the reason.
if cmake -S "$root" -B "$scratch/strict" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DINSTALLER_STRICT=ON >"$scratch/strict.log" 2>&1; then
    fail "a strict build without keys configured"
fi
grep -q "INSTALLER_STRICT requires INSTALLER_MANIFEST_KEYS" "$scratch/strict.log" || fail "strict: $(tail -5 "$scratch/strict.log")"

# The tool: keys, then signing and checking.
"$tool" keygen "$scratch/op.pem" "$scratch/op.pub" --bits 2048 || fail "keygen"
[ "$(stat -c %a "$scratch/op.pem")" = 600 ] || fail "the private key is readable by others"
cp "$scratch/op.pem" "$scratch/op.before"
"$tool" keygen "$scratch/op.pem" "$scratch/other.pub" 2>/dev/null
[ $? -eq 1 ] || fail "keygen over an existing key"
cmp -s "$scratch/op.pem" "$scratch/op.before" || fail "keygen changed an existing key"
"$tool" keygen "$scratch/a.pem" "$scratch/a.pub" --bits 1024 2>/dev/null
[ $? -eq 2 ] || fail "keygen of 1024 bits"
printf '[GENERAL]\nBRAND_NAME=B\n' >"$scratch/m.ini"
"$tool" sign "$scratch/m.ini" --key "$scratch/op.pem" --valid-days 9 >/dev/null 2>&1
[ $? -eq 2 ] || fail "sign without a serial"
"$tool" sign "$scratch/m.ini" --key "$scratch/small.pem" --serial 1 --valid-days 9 >/dev/null 2>&1
[ $? -eq 2 ] || fail "sign with a key of 1024 bits"
"$tool" sign "$scratch/m.ini" --key "$scratch/op.pem" --serial 1 --expires 2099-01-01 --valid-days 9 >/dev/null 2>&1
[ $? -eq 2 ] || fail "sign with --expires and --valid-days"
"$tool" sign "$scratch/m.ini" --key "$scratch/op.pem" --serial 1 --valid-days 9 --out "$scratch/s.ini" || fail "sign"
"$tool" check "$scratch/s.ini" --public-key "$scratch/op.pub" >/dev/null || fail "check of a signed manifest"
"$tool" check "$scratch/s.ini" --public-key "$root/tools/demo_keys/demo.pub.pem" >/dev/null
[ $? -eq 1 ] || fail "check with another key"
"$tool" check "$scratch/s.ini" --public-key "$scratch/curve.pub" >/dev/null 2>&1
[ $? -eq 2 ] || fail "check with a key that is not RSA"
# What OpenSSL's own command makes of the signature line.
tail -n 1 "$scratch/s.ini" | sed 's/^#signature=rsa-sha256://' | base64 -d >"$scratch/s.sig"
head -c "$(($(stat -c %s "$scratch/s.ini") - $(tail -n 1 "$scratch/s.ini" | wc -c)))" "$scratch/s.ini" >"$scratch/s.body"
openssl dgst -sha256 -verify "$scratch/op.pub" -signature "$scratch/s.sig" "$scratch/s.body" >/dev/null \
    || fail "openssl does not verify the signature"

# A full disk: a manifest that cannot be written whole is a failure.
"$tool" sign "$scratch/m.ini" --key "$scratch/op.pem" --serial 2 --valid-days 9 >/dev/full 2>/dev/null
[ $? -eq 1 ] || fail "sign to a full standard output"
[ $failures -eq 0 ] && echo "PASS manifest_keys"
[ $failures -eq 0 ]
