#!/usr/bin/env python3
"""Triggered capture: the camera takes one frame per trigger pulse. Here the
pulses are sent to the simulated camera (cam.trigger()); with a real camera
they come from its trigger input.

Usage: triggered_capture.py [--pulses N] [--camera N]
"""
import argparse

import korvex


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pulses", type=int, default=3)
    parser.add_argument("--camera", type=int, default=0)
    args = parser.parse_args()
    with korvex.Camera(args.camera) as cam:
        cam.color_mode = korvex.ColorMode.BGR24
        with cam.stream(trigger=True, buffers=args.pulses, strategy="fifo") as frames:
            for pulse in range(1, args.pulses + 1):
                cam.trigger()
                frame = frames.get(timeout=5.0)
                print(f"pulse {pulse}: frame {frame.number}, mean {frame.array.mean():.1f}")
        cam.save("triggered.png")
        print("last frame: triggered.png")


if __name__ == "__main__":
    main()
