#!/usr/bin/env bash
# Builds the documentation site into build/docs/html (or $QEL_BUILD_DIR/docs/html):
#   1. builds the module if needed, and documents that build (PYTHONPATH);
#   2. copies docs/ into the build folder, where the gallery page and screenshots are made;
#   3. runs every example of the pages and docstrings as a doctest, each against a fresh engine
#      (a private Xvfb when there is no display, for the pages' window examples);
#   4. writes the HTML. Any Sphinx warning fails the build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
BUILD_DIR=${QEL_BUILD_DIR:-build}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$PWD/$BUILD_DIR" ;; esac
OUT="$BUILD_DIR/docs"
SOURCE="$OUT/source"

export QEL_REPO_DIR="$PWD"
export PYTHONPATH="$BUILD_DIR${PYTHONPATH:+:$PYTHONPATH}"

rm -rf "$SOURCE"
mkdir -p "$OUT"
cp -r docs "$SOURCE"

if compgen -G "examples/[!_]*.py" >/dev/null; then
  echo "== Example screenshots"
  scripts/with-display.sh /usr/bin/python3 examples/capture.py "$SOURCE/_gallery"
fi

SPHINX=(/usr/bin/python3 -m sphinx -W --keep-going -n -q -d "$OUT/doctrees")
echo "== Documentation examples"
scripts/with-display.sh "${SPHINX[@]}" -b doctest "$SOURCE" "$OUT/doctest"
echo "docs: $(awk '/^ *[0-9]+ tests?$/ {print $1}' "$OUT/doctest/output.txt") doctest examples passed"
echo "== Documentation site"
"${SPHINX[@]}" -b html "$SOURCE" "$OUT/html"
echo "docs: $OUT/html/index.html"
