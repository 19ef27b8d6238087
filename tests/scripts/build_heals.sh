#!/usr/bin/env bash
# scripts/build after a configure that did not finish: the next build
# configures that tree again instead of failing for ever. Runs a copy of the
# script in a scratch folder against a stand-in cmake first on PATH, which
# behaves as CMake does: a failed configure leaves its cache but no Makefile.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() { echo "FAILED $*"; failures=$((failures + 1)); }

mkdir -p "$scratch/bin" "$scratch/tree/scripts"
cp "$root/scripts/build" "$scratch/tree/scripts/build"
cat >"$scratch/bin/cmake" <<'SH'
#!/usr/bin/env bash
if [ "$1" = --build ]; then
    [ -f "$2/Makefile" ] || { echo "gmake: Makefile: No such file or directory"; exit 2; }
    echo "built $2" >>"$FAKE_STATE/builds"
    exit 0
fi
while [ $# -gt 0 ]; do
    [ "$1" = -B ] && dir=$2
    shift
done
mkdir -p "$dir"
echo "cache" >"$dir/CMakeCache.txt"
if [ -e "$FAKE_STATE/sources-missing" ]; then
    echo "CMake Error: the decoder sources are missing"
    exit 1
fi
echo "configured $dir" >>"$FAKE_STATE/configures"
touch "$dir/Makefile"
SH
chmod +x "$scratch/bin/cmake"
export FAKE_STATE=$scratch/state
mkdir -p "$FAKE_STATE"
build() { PATH="$scratch/bin:$PATH" timeout 60 "$scratch/tree/scripts/build" >"$scratch/build.out" 2>&1; }

touch "$FAKE_STATE/sources-missing"
build && fail "a build without the decoder sources succeeded"
rm "$FAKE_STATE/sources-missing"
build || fail "the build after a failed configure failed: $(cat "$scratch/build.out")"
[ "$(cat "$FAKE_STATE/builds" 2>/dev/null | wc -l)" -eq 3 ] || fail "not every tree was built"

# A tree that configured whole is not configured again.
: >"$FAKE_STATE/configures"
build || fail "a second build failed: $(cat "$scratch/build.out")"
[ ! -s "$FAKE_STATE/configures" ] || fail "configured trees were configured again: $(cat "$FAKE_STATE/configures")"

[ $failures -eq 0 ] && echo "PASS build_heals"
exit $((failures > 0))
