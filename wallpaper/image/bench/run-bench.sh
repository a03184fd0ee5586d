#!/usr/bin/env bash
# Runs the image benchmark under Wine and, on the same inputs in the same run,
# times vipsthumbnail (Debian's libvips-tools) for comparison.
#   bench/run-bench.sh BUILD_DIR [INPUT_DIR]
# BUILD_DIR is a Windows build holding bin/image_bench.exe, relative to the
# current folder or absolute.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: run-bench.sh BUILD_DIR [INPUT_DIR]}
dir=${2:-/tmp/sf-image-bench}
root=$(cd "$here/../../.." && pwd)
# Wine refuses a relative prefix, and the inputs are handed to it as Z: paths.
if [ ! -f "$build/bin/image_bench.exe" ]; then
  echo "run-bench.sh: $build/bin/image_bench.exe not found (build the image_bench target first)" >&2
  exit 1
fi
build=$(cd "$build" && pwd)
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
"$here/make-inputs.sh" "$dir" >/dev/null
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all
case $WINEPREFIX in /*) ;; *) WINEPREFIX=$PWD/$WINEPREFIX ;; esac
# Starts the prefix's services now, away from the pipe below: a service started
# by the benchmark would hold the pipe open after it ends.
if ! "$root/scripts/wine-exec" wineboot -i </dev/null >/dev/null 2>&1; then
  echo "run-bench.sh: could not start Wine in $WINEPREFIX" >&2
  exit 1
fi

trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

ours=$(mktemp)
"$root/scripts/wine-exec" "$build/bin/image_bench.exe" suite "Z:${dir//\//\\}" "${CHILDREN:-5}" 2>/dev/null | tr -d '\r' | tee "$ours"

echo
echo "vipsthumbnail (whole process: wall time, user+system time, peak RSS; median of 5)"
printf '%-28s %-10s %8s %11s %10s %10s %12s %10s %10s\n' input screen "ours ms" "ours WS MB" "vips ms" "vips cpu" \
  "peak RSS MB" "wall ratio" "cpu ratio"
declare -A labels=([photo.jpg]="6000x4000 baseline JPEG" [photo_progressive.jpg]="6000x4000 progressive JPEG"
                   [photo.png]="6000x4000 24-bit PNG" [photo.gif]="1600x1200 palettised GIF")
for f in photo.jpg photo_progressive.jpg photo.png photo.gif; do
  for s in 1920x1080 1280x1024; do
    results=()
    for i in 1 2 3 4 5; do
      results+=("$( { /usr/bin/time -f '%e %M %U %S' vipsthumbnail "$dir/$f" --size "$s" -o "$dir/vips_out.bmp[format=bmp3]" ; } 2>&1 | tail -1)")
    done
    med=$(printf '%s\n' "${results[@]}" | sort -n | sed -n 3p)
    ms=$(awk '{printf "%.0f", $1 * 1000}' <<<"$med")
    rss=$(awk '{printf "%.1f", $2 / 1024}' <<<"$med")
    cpu=$(printf '%s\n' "${results[@]}" | awk '{print ($3 + $4) * 1000}' | sort -n | sed -n 3p)
    label=${labels[$f]}
    # Our warm figure for the same input and screen, from the suite's table.
    mine=$(awk -v l="$label" -v s="$s" 'index($0, l) == 1 && $0 ~ s {print $(NF-3)}' "$ours")
    mine_cpu=$(awk -v l="$label" -v s="$s" 'index($0, l) == 1 && $0 ~ s {print $(NF-2)}' "$ours")
    mine_ws=$(awk -v l="$label" -v s="$s" 'index($0, l) == 1 && $0 ~ s {print $(NF-1)}' "$ours")
    ratio=$(awk -v a="$mine" -v b="$ms" 'BEGIN { if (b > 0 && a != "") printf "%.2f", a / b; else print "-" }')
    cpu_ratio=$(awk -v a="$mine_cpu" -v b="$cpu" 'BEGIN { if (b > 0 && a != "") printf "%.2f", a / b; else print "-" }')
    printf '%-28s %-10s %8s %11s %10s %10s %12s %10s %10s\n' "$label" "$s" "${mine:--}" "${mine_ws:--}" "$ms" "$cpu" \
      "$rss" "$ratio" "$cpu_ratio"
  done
done
rm -f "$ours" "$dir/vips_out.bmp"
