#!/usr/bin/env bash
# The steps of docs/manifest.md "Publishing a release", with the page's own
# nginx example: a release folder made into one signed manifest per language
# id, served as ClientResourcesManager.asp, the files on a host and a mirror
# (nginx on 127.0.0.233 and 127.0.0.234), checked with `check --online`; then
# one file changed, cut short and removed on the mirror, each reported for
# that host alone with status 1. A file the installer refuses makes nothing.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${PUBLISHING_ISOLATED:-}" ]; then
    export PUBLISHING_ISOLATED=1
    exec "$root/scripts/lib/isolated" "127.0.0.233 dl.karvelo.example" "127.0.0.233 files.karvelo.example" \
        "127.0.0.234 files2.karvelo.example" -- bash "$0"
fi
tool=$root/out/manifest-tool
keys=$root/tools/demo_keys
scratch=$(mktemp -d)
nginx_pid=
trap '[ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
failures=0

fail() { echo "FAILED $*" | head -n 8; failures=$((failures + 1)); }

cd "$scratch" || exit 1

# 1. The release folder.
mkdir -p "release/Games/Table Games" release/Sounds release/media
for name in Extract.dll casino.exe "Games/Table Games/roulette.dll" "Sounds/big win.wav" media/pictures.7z; do
    head -c $((1000 + RANDOM)) /dev/urandom >"release/$name"
done

# 2. and 3. A template per language, each made into a manifest.
for language in 0:en 1:de; do
    printf '[GENERAL]\nBRAND_NAME=Karvelo Casino\nSKIN_URL=https://skins.karvelo.example/skin/index.html\n' \
        >"template-${language#*:}.ini"
    printf 'LANG_SHORT_STR=%s\n[URLS]\nSERVER_MIRRORS=files2.karvelo.example\n' "${language#*:}" \
        >>"template-${language#*:}.ini"
    "$tool" make release/ --server files.karvelo.example --path client/1.4 --template "template-${language#*:}.ini" \
        --out "${language#*:}.ini" || fail "make for ${language#*:}"
    # 4. Signed, one per language id.
    mkdir -p manifests
    "$tool" sign "${language#*:}.ini" --key "$keys/demo.key.pem" --serial 20250614093000 --valid-days 30 \
        --out "manifests/${language%%:*}.ini" || fail "sign for ${language#*:}"
done
grep -q '^URL_1#Extract.dll=client/1.4/Extract.dll,,sha256:' manifests/0.ini || fail "Extract.dll is not first"
grep -q '^URL_5#casino.exe=client/1.4/casino.exe,,sha256:' manifests/0.ini || fail "casino.exe is not last"

# 5. The files uploaded to the host and the mirror.
mkdir -p srv/karvelo/files/client srv/mirror/files/client log/tmp
cp -r release srv/karvelo/files/client/1.4
cp -r release srv/mirror/files/client/1.4
cp -r manifests srv/karvelo/manifests

# 6. The page's nginx example, on the test's addresses and folders, and the
# mirror as another server.
sed -n '/^```nginx$/,/^```$/p' "$root/docs/manifest.md" | sed '1d;$d' \
    | sed -e 's|listen 80;|listen 127.0.0.233:80;|' -e "s|/srv/karvelo|$scratch/srv/karvelo|" >site.conf
grep -q 'ClientResourcesManager' site.conf || fail "no nginx example in docs/manifest.md"
cat >nginx.conf <<CONF
user root;
daemon off;
worker_processes 1;
pid $scratch/log/nginx.pid;
error_log $scratch/log/error.log;
events { worker_connections 64; }
http {
    access_log $scratch/log/access.log;
    client_body_temp_path $scratch/log/tmp/body;
    proxy_temp_path $scratch/log/tmp/proxy;
    fastcgi_temp_path $scratch/log/tmp/fastcgi;
    uwsgi_temp_path $scratch/log/tmp/uwsgi;
    scgi_temp_path $scratch/log/tmp/scgi;
    include $scratch/site.conf;
    server { listen 127.0.0.234:80; server_name files2.karvelo.example; root $scratch/srv/mirror/files; }
}
CONF
nginx -p "$scratch/log" -c "$scratch/nginx.conf" </dev/null >log/nginx.out 2>&1 &
nginx_pid=$!
for _ in $(seq 100); do
    ss -ltn | grep -q '127.0.0.234:80 ' && ss -ltn | grep -q '127.0.0.233:80 ' && break
    sleep 0.1
done
ss -ltn | grep -q '127.0.0.234:80 ' || { echo "FAILED nginx did not start: $(cat log/error.log log/nginx.out)"; exit 1; }

manifest_for() { # langId
    curl -s --max-time 10 "http://dl.karvelo.example/ClientResourcesManager.asp?action=QDL&did=5279&tag=0&langId=$1"
}
[ "$(manifest_for 1)" = "$(cat manifests/1.ini)" ] || fail "langId 1 is not the German manifest"
[ "$(manifest_for 0)" = "$(cat manifests/0.ini)" ] || fail "langId 0 is not the English manifest"
for other in 10 16 99 "../manifests/1" ""; do
    [ "$(manifest_for "$other")" = "$(cat manifests/0.ini)" ] || fail "langId '$other' is not answered in English"
done

# What make wrote passes the strict check against the uploaded files once signed.
"$tool" check manifests/0.ini --files srv/karvelo/files --public-key "$keys/demo.pub.pem" --strict >files.out 2>&1 \
    || fail "check --files of the uploaded files: $(cat files.out)"

# 7. The check, signed and strict, with every host.
online() { # manifest
    timeout 120 "$tool" check "$1" --public-key "$keys/demo.pub.pem" --strict --online >check.out 2>&1
}
online manifests/0.ini || fail "check --online of a good release: $(cat check.out)"
for host in files.karvelo.example files2.karvelo.example; do
    grep -qx "$host: 5 of 5 files as listed" check.out || fail "$host in a good release: $(cat check.out)"
done

expect_mirror_only() { # what text
    local status=0
    online manifests/1.ini || status=$?
    [ "$status" = 1 ] || fail "$1: status $status, not 1"
    grep -q "$2" check.out || fail "$1 not reported: $(cat check.out)"
    grep -qx "files.karvelo.example: 5 of 5 files as listed" check.out || fail "$1: the host: $(cat check.out)"
    grep -qx "files2.karvelo.example: 4 of 5 files as listed" check.out || fail "$1: the mirror: $(cat check.out)"
    [ "$(grep -c ': error: ' check.out)" = 1 ] || fail "$1: more than one finding: $(cat check.out)"
}
mirror=srv/mirror/files/client/1.4
size=$(stat -c %s "$mirror/Sounds/big win.wav")
head -c "$size" /dev/urandom >"$mirror/Sounds/big win.wav"
expect_mirror_only "a changed file" \
    "manifests/1.ini:[0-9]*: error: files2.karvelo.example: other hash: client/1.4/Sounds/big win.wav: "
truncate -s 10 "$mirror/Sounds/big win.wav"
expect_mirror_only "a file cut short" \
    "error: files2.karvelo.example: other size: client/1.4/Sounds/big win.wav: 10 bytes, the manifest says $size"
head -c $((size + 1)) /dev/urandom >"$mirror/Sounds/big win.wav"
expect_mirror_only "a longer file" \
    "error: files2.karvelo.example: other size: client/1.4/Sounds/big win.wav: longer than the $size bytes listed"
rm "$mirror/Sounds/big win.wav"
expect_mirror_only "a missing file" \
    "error: files2.karvelo.example: missing: client/1.4/Sounds/big win.wav (HTTP 404)"

# A file the installer refuses: nothing is written, not even a scratch file.
: >release/aux.txt
status=0
"$tool" make release/ --server files.karvelo.example --template template-en.ini --out refused.ini 2>make.err \
    || status=$?
[ "$status" = 1 ] || fail "make with aux.txt: status $status"
grep -qx 'manifest-tool: aux.txt: Unsafe path in manifest: aux.txt,' make.err || fail "make with aux.txt: $(cat make.err)"
[ -z "$(ls refused.ini* 2>/dev/null)" ] || fail "make wrote a refused manifest"

[ $failures -eq 0 ] && echo "publishing: all passed"
[ $failures -eq 0 ]
