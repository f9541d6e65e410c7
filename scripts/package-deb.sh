#!/usr/bin/env bash
# Builds the Debian package dist/tessel_<version>_<arch>.deb: the program
# (without the test seams), its menu entry, icons, man page and the demo
# world. Its library dependencies are computed by dpkg-shlibdeps from what the
# program links. Install it with:  sudo apt-get install ./dist/tessel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_DIR=${CCACHE_DIR:-$PWD/.ccache}
# Objects the main build already compiled come from the cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
build=${TESSEL_DEB_BUILD:-build-deb}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DTESSEL_TESTS=OFF -DTESSEL_BENCH=OFF -DTESSEL_TEST_SEAMS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" >&2
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >/dev/null)
mkdir -p dist
deb=$(ls "$build"/package/tessel_*.deb)
cp "$deb" dist/
echo "dist/$(basename "$deb")"
