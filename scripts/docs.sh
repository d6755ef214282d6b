#!/usr/bin/env bash
# Builds the documentation site into build/docs/html (or $QEL_BUILD_DIR/docs/html):
#   1. builds the module and its shaders if needed (not the unit tests), and documents that
#      build (PYTHONPATH);
#   2. brings the copy of docs/ in the build folder up to date (unchanged pages keep their
#      time stamps, so Sphinx reads only what changed), and takes the gallery's screenshots
#      again when an example or the module changed;
#   3. runs every example of the pages and docstrings as a doctest, each against a fresh engine
#      (a private Xvfb when there is no display, for the pages' window examples);
#   4. writes the HTML. Any Sphinx warning fails the build.
set -euo pipefail
cd "$(dirname "$0")/.."
QEL_BUILD_TARGET=qel bash scripts/build.sh
BUILD_DIR=${QEL_BUILD_DIR:-build}
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$PWD/$BUILD_DIR" ;; esac
OUT="$BUILD_DIR/docs"
SOURCE="$OUT/source"

export QEL_REPO_DIR="$PWD"
export PYTHONPATH="$BUILD_DIR${PYTHONPATH:+:$PYTHONPATH}"

# Files copied only when their text changed; pages gone from docs/ go from the copy too (the
# generated gallery page and screenshots stay).
mkdir -p "$SOURCE"
/usr/bin/python3 - docs "$SOURCE" <<'PY'
import filecmp, os, shutil, sys
src, dst = sys.argv[1:]
wanted = set()
for folder, _, files in os.walk(src):
    for name in files:
        rel = os.path.relpath(os.path.join(folder, name), src)
        wanted.add(rel)
        target = os.path.join(dst, rel)
        if not (os.path.exists(target) and filecmp.cmp(os.path.join(src, rel), target, shallow=False)):
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(os.path.join(src, rel), target)
for folder, _, files in os.walk(dst):
    for name in files:
        rel = os.path.relpath(os.path.join(folder, name), dst)
        if rel not in wanted and rel != "gallery.rst" and not rel.startswith("_gallery" + os.sep):
            os.remove(os.path.join(dst, rel))
PY

if compgen -G "examples/[!_]*.py" >/dev/null; then
  stamp="$SOURCE/_gallery/.taken"
  module=$(ls "$BUILD_DIR"/qel.*.so)
  if [ ! -e "$stamp" ] || [ -n "$(find examples "$module" "$BUILD_DIR/qelDataFiles" -newer "$stamp" -print -quit)" ]; then
    echo "== Example screenshots"
    rm -rf "$SOURCE/_gallery"
    scripts/with-display.sh /usr/bin/python3 examples/capture.py "$SOURCE/_gallery"
    touch "$stamp"
  fi
fi

SPHINX=(/usr/bin/python3 -m sphinx -W --keep-going -n -q -d "$OUT/doctrees")
echo "== Documentation examples"
scripts/with-display.sh "${SPHINX[@]}" -b doctest "$SOURCE" "$OUT/doctest"
echo "docs: $(awk '/^ *[0-9]+ tests?$/ {print $1}' "$OUT/doctest/output.txt") doctest examples passed"
echo "== Documentation site"
"${SPHINX[@]}" -b html "$SOURCE" "$OUT/html"
echo "docs: $OUT/html/index.html"
