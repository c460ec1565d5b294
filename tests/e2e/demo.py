#!/usr/bin/env python3
"""The demonstration that scripts/run gives on a machine without a display: Typomancer under
Wine on a virtual display, "Run Script" clicked with the mouse, and what Notepad received.

Usage: demo.py --build DIR --out DIR
Exits 0 only when Notepad received exactly what the sample script types.
"""

import argparse
import os
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import (CAPTION_IDLE, CAPTION_RUNNING, ID_RUN, SAMPLE_TYPED,  # noqa: E402
                     Typomancer, wait_for)


def shown(text):
    """Notepad's text for the terminal: tabs made visible, CR LF as line ends."""
    return text.replace("\t", "<TAB>").replace("\r\n", "\n")


def stop(*_):
    # As for Ctrl-C: the test under way fails no further test, and the clean-up still runs.
    raise KeyboardInterrupt


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, stop)

    out = os.path.abspath(args.out)
    env = harness.Environment(args.build, out, prefix=os.path.join(args.build, "wineprefix"),
                              programs=("Typomancer.exe", "typomancer-probe.exe"))
    try:
        print("demo: starting a virtual display, openbox and Wine", flush=True)
        env.start()
        app = Typomancer(env.wine)
        print("demo: starting Typomancer, which opens Notepad", flush=True)
        app.start()
        before, _ = env.screenshot("before-run.png")

        print('demo: clicking "Run Script"; the sample script waits 5 seconds halfway',
              flush=True)
        captions = app.watch_captions(CAPTION_RUNNING, "Waiting 5 seconds...", CAPTION_IDLE)
        app.click(ID_RUN)
        seen = captions.collect(timeout=90)
        print("demo: captions seen: " + ", ".join(
            f'"{c["caption"]}" at {c["ms"] / 1000:.1f} s' for c in seen["captions"]), flush=True)
        # The lines after the wait are few and short: Notepad has them within seconds.
        try:
            received = wait_for("Notepad to receive the sample's text",
                                lambda: ((t := app.notepad_text()) == SAMPLE_TYPED, t), 30)
        except harness.E2EError:
            received = app.notepad_text()
        after, _ = env.screenshot("after-run.png")
    finally:
        env.close()

    print("demo: Notepad received:")
    print("-" * 60)
    print(shown(received))
    print("-" * 60)
    print(f"demo: screenshots: {before}\n                   {after}")
    if received != SAMPLE_TYPED:
        print("demo: FAILED, Notepad should hold:")
        print(shown(SAMPLE_TYPED))
        return 1
    print("demo: Notepad holds exactly what the sample script types")
    return 0


if __name__ == "__main__":
    sys.exit(main())
