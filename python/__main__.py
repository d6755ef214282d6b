"""`python3 -m qel`: plays the demo game that is installed with qel."""
import argparse
import os
import sys

import qel
from qel.demo import demo


def positive_seconds(text):
    seconds = float(text)
    if not 0 < seconds < float("inf"):
        raise argparse.ArgumentTypeError(f"not a positive number of seconds: {text!r}")
    return seconds


def main(argv=None):
    parser = argparse.ArgumentParser(
        prog="python3 -m qel",
        description="Plays Star catcher, qel's demo game: arrow keys or W/A/S/D move the ball, a click "
                    "pops a star, Escape or closing the window quits.")
    parser.add_argument("--seconds", type=positive_seconds, metavar="S",
                        help="play S seconds, then exit (default: until the window is closed)")
    parser.add_argument("--screenshot", metavar="PATH",
                        help="save the last frame drawn as a PNG file at PATH on exit")
    parser.add_argument("--seed", type=int, help="seed for where the stars fall, so that runs repeat")
    parser.add_argument("--offscreen", action="store_true",
                        help="play with no window and no display (needs --seconds; useful with --screenshot)")
    parser.add_argument("--verbose", action="store_true",
                        help="print qel's start-up trace (the Vulkan extensions and devices) too")
    args = parser.parse_args(argv)
    if args.offscreen and args.seconds is None:
        parser.error("--offscreen needs --seconds: no window means no Escape key or close button")
    # Found out now rather than after the game.
    if args.screenshot is not None and not os.path.isdir(os.path.dirname(os.path.abspath(args.screenshot))):
        parser.error(f"--screenshot: no folder to write {args.screenshot!r} into")
    if args.screenshot is not None and os.path.isdir(args.screenshot):
        parser.error(f"--screenshot: {args.screenshot!r} is a folder, not a file to write")
    qel.setQuiet(not args.verbose)
    try:
        demo.start(args.offscreen)
    except RuntimeError as error:  # no display, most often; nothing of the game has started
        print(f"qel: the demo cannot open its window: {error}; --offscreen --seconds S plays it without one",
              file=sys.stderr)
        return 2
    demo.play(seconds=args.seconds, seed=args.seed, screenshot=args.screenshot)
    return 0


if __name__ == "__main__":
    sys.exit(main())
