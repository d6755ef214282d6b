#!/usr/bin/env bash
# Builds the Debian package dist/python3-qel_<version>_<arch>.deb with Debian's tools
# (dpkg-buildpackage: debhelper, pybuild, dh_python3, dh_shlibdeps) from a copy of the sources
# in $QEL_BUILD_DIR/deb (default build/deb), then checks it with lintian, failing on any error.
# Install it with `apt-get install ./dist/python3-qel_*.deb`, which pulls in what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${QEL_BUILD_DIR:-build}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$PWD/$BUILD_DIR" ;; esac
VERSION=$(dpkg-parsechangelog -S Version)
WORK="$BUILD_DIR/deb"
SOURCE="$WORK/qel-$VERSION"
LOG="$WORK/build.log"

# dpkg-buildpackage writes next to the source folder: a copy keeps the checkout clean. The
# files git knows of (committed or not, less the ignored), or everything but build folders.
rm -rf "$WORK"
DIST=${QEL_DIST_DIR:-dist}
mkdir -p "$SOURCE" "$DIST"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
    [ -e "$f" ] && printf '%s\0' "$f"
  done | tar -c --null -T - -f - | tar -x -C "$SOURCE"
else
  tar -c --exclude='./build*' --exclude=./dist --exclude=./.git -f - . | tar -x -C "$SOURCE"
fi

# The compiler cache serves a build in any folder: paths relative to the copy, and Debian's
# file-prefix map (which names the folder) left out of the flags. Its folder is named, as
# debhelper gives the build a HOME of its own.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_NOHASHDIR=1 CCACHE_BASEDIR="$SOURCE"
  CCACHE_DIR=$(ccache -k cache_dir)
  export CCACHE_DIR
  export DEB_CXXFLAGS_STRIP="-ffile-prefix-map=$SOURCE=."
fi
start=$SECONDS
echo "deb: building in $SOURCE (log: $LOG)"
# Debian's own interpreters and tools, as in a build chroot, whatever else comes first on PATH.
if ! (cd "$SOURCE" && PATH=/usr/sbin:/usr/bin:/sbin:/bin dpkg-buildpackage -b -us -uc) >"$LOG" 2>&1; then
  tail -n 40 "$LOG"
  echo "!! Debian package build failed; the whole log is $LOG"
  exit 1
fi
rm -f "$DIST"/python3-qel_*.deb
deb=$(ls "$WORK"/python3-qel_"$VERSION"_*.deb)
cp "$deb" "$DIST"/
echo "deb: $DIST/$(basename "$deb") ($(du -h "$deb" | cut -f1), $((SECONDS - start)) s)"

echo "== lintian"
lintian --fail-on error "$WORK"/qel_"$VERSION"_*.changes
