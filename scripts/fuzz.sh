#!/usr/bin/env bash
# Builds the libFuzzer targets under fuzz/ and runs each for the given number of seconds
# (default 60). Each run works on a copy of its corpus, so the repository is untouched;
# any crash, sanitizer report or leak fails the script and leaves the reproducer in
# $QEL_FUZZ_DIR/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-60}
OUT=${QEL_FUZZ_DIR:-build-fuzz}
CXX=${QEL_FUZZ_CXX:-clang++}
FLAGS=(-std=c++17 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -fno-omit-frame-pointer)

mkdir -p "$OUT/artifacts"
declare -A SOURCES=(
  [color]="bindings/color.cpp render/color.cpp"
  [key_names]="input/key_tables.cpp input/input_callbacks.cpp input/input_state.cpp input/key_names.cpp"
  [image]="render/image_file.cpp render/gif_file.cpp platform/regular_file.cpp"
  [sound]="audio/sound_decoder.cpp audio/cut_short.cpp"
)
declare -A LIBS=(
  [image]="$(pkg-config --libs libpng libturbojpeg libgif)"
  [key_names]="$(pkg-config --libs glfw3)"
  [sound]="$(pkg-config --libs sndfile)"
)

status=0
for target in color key_names image sound; do
  echo "== ${target}_fuzzer: build"
  # shellcheck disable=SC2086
  "$CXX" "${FLAGS[@]}" "fuzz/${target}_fuzzer.cpp" ${SOURCES[$target]} -o "$OUT/${target}_fuzzer" ${LIBS[$target]:-}

  work="$OUT/corpus-$target"
  rm -rf "$work"
  cp -r "fuzz/corpus/$target" "$work"
  echo "== ${target}_fuzzer: ${SECONDS_EACH}s on a copy of fuzz/corpus/$target"
  if ! LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan_suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}" "$OUT/${target}_fuzzer" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
        -artifact_prefix="$OUT/artifacts/${target}-" "$work" 2>"$OUT/${target}.log"; then
    status=1
    echo "!! ${target}_fuzzer failed; last lines of $OUT/${target}.log:"
    tail -n 40 "$OUT/${target}.log"
  else
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$OUT/${target}.log" || true
  fi
done
exit $status
