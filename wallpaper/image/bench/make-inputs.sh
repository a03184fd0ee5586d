#!/usr/bin/env bash
# Makes the benchmark inputs in DIR (default: /tmp/sf-image-bench): a 6000x4000
# photograph-like picture as baseline JPEG, progressive JPEG and 24-bit PNG, and
# a 1600x1200 palettised GIF. Needs ImageMagick's convert. Reuses existing files.
set -euo pipefail
dir=${1:-/tmp/sf-image-bench}
mkdir -p "$dir"
cd "$dir"
if [ ! -f photo.jpg ]; then
  # Fractal plasma with a little noise: smooth areas and fine detail, like a photograph.
  convert -seed 7 -size 6000x4000 plasma:fractal -attenuate 0.4 +noise Gaussian -quality 90 \
    -interlace none photo.jpg
fi
[ -f photo_progressive.jpg ] || convert photo.jpg -quality 90 -interlace JPEG photo_progressive.jpg
[ -f photo.png ] || convert photo.jpg -define png:compression-level=6 PNG24:photo.png
[ -f photo.gif ] || convert photo.jpg -resize 1600x1200 -colors 256 photo.gif
ls -l "$dir"
