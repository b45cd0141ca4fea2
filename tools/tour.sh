#!/usr/bin/env bash
# A short tour of the SDK on the simulated camera: installs what the build
# needs, builds the korvex tool and the examples, then takes pictures in three
# formats, records a 3-second video, shows a gamma change in a second picture
# and prints where the files are. Everything lands in build/tour; the tour
# keeps its camera settings there too, apart from yours.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
echo "building the SDK, the korvex tool and the examples ..."
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$root/build/release" -j"$(nproc)" korvex example_snapshot example_live_preview \
  example_triggered_capture >/dev/null

out="$root/build/tour"
rm -rf "$out"
mkdir -p "$out"
cd "$out"
export XDG_CONFIG_HOME="$out/settings"
export PATH="$root/build/release/bin:$PATH"

step() {  # title, then the korvex command line
  printf '\n== %s\n$ korvex %s\n' "$1" "${*:2}"
  korvex "${@:2}"
}

step "The cameras present (on Linux: the simulated one)" list
step "A few of its parameters" get gain exposure-us gamma color-mode
step "A colour picture as PNG, white balance measured on the frame" \
  snap picture.png --set wb-auto=1
step "The same as JPEG at quality 100" snap picture.jpg --quality 100 --set wb-auto=1
step "And as 48-bit TIFF" snap picture.tif --color-mode 48 --set wb-auto=1
step "A 3-second video of a 1280 x 960 region (a quarter of the picture)" \
  record video.avi --seconds 3 --size 1280x960 --set wb-auto=1
step "Gamma 50 brightens the mid-tones (the camera keeps it for the next run)" set gamma 50
step "The second picture shows it" snap picture-gamma50.png --set wb-auto=1
step "Back to a linear gamma" set gamma 100

printf '\n== The files\n'
ls -l picture.png picture.jpg picture.tif video.avi picture-gamma50.png
cat <<TEXT

They are in $out.
Next: 'korvex --help' (the tool is $root/build/release/bin/korvex),
the example programs in examples/, the guide in docs/guide.md.
TEXT
