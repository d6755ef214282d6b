#!/usr/bin/env bash
# Mutation check over the reliability fixes (sound, GIFs, outlines, the frame loop, the demo):
# each mutant changes one line in a scratch worktree of HEAD, the module is rebuilt (with the
# compiler cache) and the few tests that should notice are run. A mutant is killed when they
# fail. Prints KILLED/SURVIVED per mutant and a summary line. Slow (a build per mutant): not
# for CI.
#   bash scripts/mutate.sh            every mutant
#   bash scripts/mutate.sh 3 7        mutants 3 and 7 only
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
# QEL_MUTATE_DIR keeps the scratch worktree and its build between runs (a rerun then builds
# only what changed); by default both go when the run ends.
if [ -n "${QEL_MUTATE_DIR:-}" ]; then
  SCRATCH=$QEL_MUTATE_DIR
  mkdir -p "$SCRATCH"
else
  SCRATCH=$(mktemp -d /tmp/qel-mutate.XXXXXX)
  trap 'git -C "$ROOT" worktree remove --force "$SCRATCH/tree" >/dev/null 2>&1; rm -rf "$SCRATCH"' EXIT
fi
TREE=$SCRATCH/tree
if [ -d "$TREE" ]; then
  git -C "$TREE" checkout -q --detach "$(git rev-parse HEAD)" || { echo "mutate: cannot update $TREE"; exit 2; }
else
  git worktree add --detach "$TREE" HEAD >/dev/null 2>&1 || { echo "mutate: cannot add a worktree"; exit 2; }
fi
BUILD=$TREE/build
# Paths relative to the tree in the compiler cache's keys, so another scratch tree hits it.
export CCACHE_NOHASHDIR=1 CCACHE_BASEDIR=$TREE QEL_BUILD_DIR=$BUILD

# file @@ the line's text as it is @@ what it becomes @@ the tests that should notice
# (pytest node ids under tests/python, or gtest:Filter for the unit tests).
MUTANTS=$(cat <<'EOF'
audio/music_decoder.cpp @@ SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_TRUE @@ SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_FALSE @@ test_audio.py::test_float_music_is_heard_and_a_paused_fade_holds
audio/music_player.cpp @@ fadeStart_ += Clock::now() - pausedAt_; @@ (void)pausedAt_; @@ test_audio.py::test_float_music_is_heard_and_a_paused_fade_holds
audio/music_decoder.cpp @@ if (n == 0) whole_ = !held_.empty(); @@ if (n == 0) whole_ = false; @@ test_audio.py::test_files_rewritten_padded_looped_short_and_a_forked_child
audio/audio_system.cpp @@ voices_.releaseFinished(); @@ ; @@ test_audio.py::test_files_rewritten_padded_looped_short_and_a_forked_child
audio/audio_system.cpp @@ return system && system->ownerPid_ != static_cast<int>(::getpid()); @@ return false; @@ test_audio.py::test_files_rewritten_padded_looped_short_and_a_forked_child
audio/sound_decoder.cpp @@ const bool lengthKnown = info.frames != SF_COUNT_MAX; @@ const bool lengthKnown = true; @@ test_audio.py::test_files_rewritten_padded_looped_short_and_a_forked_child
audio/music_player.cpp @@ if (!loop_ || rewound || !decoder_->rewind()) { @@ if (rewound || !decoder_->rewind()) { @@ test_audio.py::test_music_loops_fades_and_ends
audio/voice_pool.cpp @@ volume * std::cos(angle)); @@ volume * std::sin(angle)); @@ test_audio.py::test_pan_mixing_and_stop
audio/cut_short.cpp @@ != std::string::npos) return true; @@ != std::string::npos) return false; @@ test_audio.py::test_bad_files_and_values_are_refused
render/gif_file.cpp @@ pictureSizeProblem(static_cast<uint64_t>(std::max(desc.Width, 0)), @@ pictureSizeProblem(static_cast<uint64_t>(std::max(desc.Width, 0)) & 0, @@ test_pictures_and_text.py::test_bad_pictures_fonts_and_sizes_raise_and_create_nothing[raster]
render/gif_file.cpp @@ clearFrame(gif->Image, width, height, canvas); @@ ; @@ test_sprite_looks.py::test_frames_sheets_gifs_and_colour_keys
render/image_file.cpp @@ code = wrote == 0 ? EIO : errno; @@ code = EIO; @@ test_scene_editing.py::test_removing_resizing_layers_draw_and_read_back[raster]
bindings/scene_functions.cpp @@ py::gil_scoped_release release; @@ ; @@ test_scene_editing.py::test_removing_resizing_layers_draw_and_read_back[raster]
bindings/frame_pacing.cpp @@ frameClock.setPace(fps == 0.0 ? 0 : std::llround(static_cast<double>(kNsPerSecond) / fps)); @@ frameClock.setPace(fps == 0.0 ? 0 : std::llround(static_cast<double>(kNsPerSecond) / fps)); return; @@ test_lifecycle.py::test_run_with_update_ends_on_false_on_close_and_on_an_exception
bindings/lifetime_functions.cpp @@ requireEngine().closeWindow(); @@ requireEngine().closeWindow(); return; @@ test_lifecycle.py::test_run_with_update_ends_on_false_on_close_and_on_an_exception
bindings/shape_handles.cpp @@ if (area.camera && size > span) @@ if (area.camera && size < span) @@ test_camera.py::test_points_convert_both_ways_steps_stop_at_the_world_shown_and_bad_cameras_raise
engine/camera.hpp @@ const double quarters = std::fmod(angle, 360.0) / 90.0; @@ const double quarters = angle / 90.0; @@ test_camera.py::test_points_convert_both_ways_steps_stop_at_the_world_shown_and_bad_cameras_raise
bindings/text_argument.hpp @@ value.utf8 = qel::strictUtf8(source); @@ value.utf8 = qel::utf8OfText(source); @@ test_input.py::test_injected_input_is_held_to_what_a_window_system_could_send
bindings/bare_instances.cpp @@ type->tp_new = &refuseNew; @@ ; @@ test_handles.py::test_instances_whose_init_never_ran_read_as_zero
bindings/collision_functions.cpp @@ } else if (PyErr_ExceptionMatches(PyExc_AttributeError)) { @@ } else if (true) { @@ test_collisions.py::test_collisions_overlaps_and_regions[raster]
engine/polygon_outline.cpp @@ const double w = std::min(width, reach); @@ const double w = width; @@ test_lines_and_polygons.py::test_outlines_stay_inside_their_polygons[tiles]
engine/polygon_outline.cpp @@ for (int k = 0; k < 3 && piece.size() >= 3; ++k) { @@ for (int k = 0; k < 0; ++k) { @@ test_lines_and_polygons.py::test_outlines_stay_inside_their_polygons[tiles]
engine/polygon_outline.cpp @@ if ((towards.x - at.x) * normal.x + (towards.y - at.y) * normal.y < 0.0) { @@ if ((towards.x - at.x) * normal.x + (towards.y - at.y) * normal.y > 0.0) { @@ test_lines_and_polygons.py::test_outlines_stay_inside_their_polygons[raster]
render/raster/giant_disc.hpp @@ if (std::hypot(x - cx, y - cy) > r) return; @@ return; @@ test_drawing.py::test_shapes_billions_of_pixels_wide_cover_the_frame[raster]
python/__main__.py @@ if args.screenshot is not None and os.path.isdir(args.screenshot): @@ if False: @@ test_packaging.py::test_cmake_install_to_a_prefix
EOF
)

# Applies one textual change to a file of the scratch tree; false when the text is not there.
mutate() {
  /usr/bin/python3 - "$TREE/$1" "$2" "$3" <<'PY'
import sys
path, old, new = sys.argv[1:]
text = open(path).read()
if old not in text:
    sys.exit(1)
open(path, "w").write(text.replace(old, new, 1))
PY
}

run_tests() {
  local selection=$1
  if [[ $selection == gtest:* ]]; then
    timeout 600 "$BUILD/qel_unit_tests" --gtest_filter="${selection#gtest:}" >"$SCRATCH/log" 2>&1
  else
    local ids=()
    for id in $selection; do ids+=("tests/python/$id"); done
    (cd "$TREE" && timeout 600 /usr/bin/python3 -m pytest -q -x -p no:cacheprovider "${ids[@]}") >"$SCRATCH/log" 2>&1
  fi
}

echo "mutate: building the unchanged tree in $TREE"
if ! (cd "$TREE" && bash scripts/build.sh) >"$SCRATCH/log" 2>&1; then
  tail -20 "$SCRATCH/log"
  echo "mutate: the unchanged tree does not build"
  exit 2
fi

chosen=" $* "
killed=0 survived=0 invalid=0 n=0
while IFS= read -r entry; do
  [ -z "$entry" ] && continue
  n=$((n + 1))
  [ $# -gt 0 ] && [[ $chosen != *" $n "* ]] && continue
  file=$(sed 's/ *@@.*//' <<<"$entry")
  rest=${entry#* @@ }
  old=${rest%% @@ *}
  rest=${rest#* @@ }
  new=${rest%% @@ *}
  tests=${rest#* @@ }
  label="#$n $file: ${old:0:60} -> ${new:0:40}"
  if ! mutate "$file" "$old" "$new"; then
    echo "INVALID  $label (text not found)"
    invalid=$((invalid + 1))
    continue
  fi
  target=qel
  [[ $tests == gtest:* ]] && target=qel_unit_tests
  if ! cmake --build "$BUILD" --target "$target" -j2 >"$SCRATCH/log" 2>&1; then
    echo "INVALID  $label (does not build)"
    invalid=$((invalid + 1))
  elif run_tests "$tests"; then
    echo "SURVIVED $label [$tests]"
    survived=$((survived + 1))
  else
    echo "KILLED   $label"
    killed=$((killed + 1))
  fi
  git -C "$TREE" checkout -q -- "$file"
done <<<"$MUTANTS"
# Leave the scratch build as HEAD built it, for a rerun of chosen mutants.
total=$((killed + survived))
echo "mutate: $total mutants run, $killed killed, $survived survived, $invalid invalid" \
     "($(( total > 0 ? 100 * killed / total : 0 ))% killed)"
[ "$total" -gt 0 ] && [ $((100 * killed)) -ge $((90 * total)) ]
