#!/usr/bin/env python3
"""Shows the live picture in an OpenCV window (q or Esc ends it) and prints
the frame rate. With --frames N it takes N frames without a window, which
needs no OpenCV (for scripts and machines without a display).

Usage: live_view.py [--frames N] [--camera N] [--fast]
"""
import argparse
import time

import korvex


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--frames", type=int, default=0, help="take N frames headless, then end")
    parser.add_argument("--camera", type=int, default=0)
    parser.add_argument("--fast", action="store_true", help="simulated camera at the fast pace")
    args = parser.parse_args()
    if args.fast:
        korvex.sim.set_fast_pace(True)
    cv2 = None
    if args.frames == 0:
        import cv2  # OpenCV: Debian's python3-opencv, or pip's opencv-python
    with korvex.Camera(args.camera) as cam:
        cam.color_mode = korvex.ColorMode.BGR24
        start, count = time.monotonic(), 0
        with cam.stream(buffers=2, strategy="latest") as frames:
            for frame in frames:
                count += 1
                if cv2 is not None:
                    cv2.imshow("korvex", cv2.resize(frame.array, (1280, 960)))
                    if cv2.waitKey(1) in (ord("q"), 27):
                        break
                elif count >= args.frames:
                    break
        seconds = time.monotonic() - start
        print(f"{count} frames in {seconds:.1f} s ({count / seconds:.1f} a second), "
              f"{frames.dropped} dropped, camera rate {frame.frame_rate:.1f}")


if __name__ == "__main__":
    main()
