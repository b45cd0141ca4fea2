#!/usr/bin/env python3
"""Takes one 24-bit picture and writes it to a PNG file.

Usage: snapshot.py [picture.png] [--camera N]
"""
import argparse

import korvex


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("path", nargs="?", default="picture.png")
    parser.add_argument("--camera", type=int, default=0)
    args = parser.parse_args()
    with korvex.Camera(args.camera) as cam:
        cam.color_mode = korvex.ColorMode.BGR24
        image = cam.snap()  # (1920, 2560, 3) uint8, blue-green-red
        cam.save(args.path)  # the SDK's PNG writer; cv2.imwrite(args.path, image) is the same
        b, g, r = image[image.shape[0] // 2, image.shape[1] // 2]
        print(f"{args.path}: {image.shape[1]} x {image.shape[0]}, centre pixel B {b} G {g} R {r}")


if __name__ == "__main__":
    main()
