#!/usr/bin/env bash
# Builds and runs the picture benchmarks side by side with their peers and prints every figure with its
# ratio. Installs the peers first (libvips, ImageMagick, ffmpeg, libexiv2, libexif) and makes the test
# pictures from a sample picture (a 24-megapixel photo and 100 pictures of 3008 x 2000 for the film).
set -euo pipefail
cd "$(dirname "$0")/../.."

peers=(libvips-tools libvips-dev imagemagick ffmpeg libexiv2-dev libexif-dev)
missing=()
for p in "${peers[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    as_root=()
    [ "$(id -u)" -ne 0 ] && as_root=(sudo)
    "${as_root[@]}" apt-get update -q
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build=build-pictures-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHUTTERHAND_BENCH=ON -DSHUTTERHAND_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target bench_thumbnail bench_film bench_exif

# The pictures: a sample scaled up with noise, so that they carry as much detail (and cost as much to
# decode) as camera pictures of that size. /usr/bin/convert is ImageMagick's own, not a stand-in.
data="$build/bench-data"
mkdir -p "$data/batch" "$data/film" "$data/work"
sample=tests/exif/data/landscape_3.jpg
if [ ! -f "$data/photo_24mp.jpg" ]; then
    /usr/bin/convert "$sample" -resize '6000x4000!' -attenuate 0.5 +noise Gaussian -quality 92 "$data/photo_24mp.jpg"
    /usr/bin/convert "$sample" -resize '3008x2000!' -attenuate 0.5 +noise Gaussian -quality 92 "$data/film_source.jpg"
    for i in $(seq 0 7); do cp "$data/photo_24mp.jpg" "$data/batch/pic_$i.jpg"; done
    for i in $(seq -f '%03g' 0 99); do cp "$data/film_source.jpg" "$data/film/pic_$i.jpg"; done
fi
echo "Pictures: $(du -h "$data/photo_24mp.jpg" | cut -f1) for 24 megapixels, $(du -h "$data/film_source.jpg" | cut -f1) for 3008 x 2000"
echo

"$build/bench/pictures/bench_exif" tests/exif/data/{Canon_40D,Fujifilm_FinePix_E500,Nikon_D70,Pentax_K10D,olympus-c960}.jpg
echo
"$build/bench/pictures/bench_thumbnail" "$data/photo_24mp.jpg" "$data/batch" "$data/work"
echo
"$build/bench/pictures/bench_film" "$data/film" "$data/work"
