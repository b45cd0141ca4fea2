#!/usr/bin/env python3
"""Steps the exposure, takes a picture at each step and plots the mean
brightness against the exposure time with matplotlib (written to a PNG;
without matplotlib the table alone is printed).

Usage: exposure_sweep.py [plot.png] [--steps N] [--camera N]
"""
import argparse

import numpy as np

import korvex


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("path", nargs="?", default="exposure_sweep.png")
    parser.add_argument("--steps", type=int, default=8)
    parser.add_argument("--camera", type=int, default=0)
    args = parser.parse_args()
    times, means = [], []
    with korvex.Camera(args.camera) as cam:
        cam.color_mode = korvex.ColorMode.GRAY8
        cam.auto_brightness = korvex.AutoBrightness.OFF
        for lines in np.linspace(0, 1014, args.steps).astype(int):
            cam.exposure = int(lines)
            image = cam.snap()
            times.append(cam.exposure_us / 1000.0)
            means.append(float(image.mean()))
            print(f"exposure {lines:4d} lines = {times[-1]:7.2f} ms: mean {means[-1]:6.1f}")
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("matplotlib is not installed: no plot")
        return
    plt.plot(times, means, marker="o")
    plt.xlabel("exposure (ms)")
    plt.ylabel("mean brightness (8-bit gray)")
    plt.title("Korvex740K3-XLN exposure sweep")
    plt.savefig(args.path)
    print(f"plot: {args.path}")


if __name__ == "__main__":
    main()
