#!/usr/bin/env bash
# Filling an attribute table: 1,000,000 MID rows of five columns through the table class,
# against GDAL writing the same rows from a CSV to a DBF, in the same run. Prints both times
# and the ratio (GDAL's time over ours; at least 1 is the target).
#
#   bench/dbase_fill.sh [ROWS]        BUILD_DIR (default build, the one users get) holds the build.
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-1000000}
build=${BUILD_DIR:-build}

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVX_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target dbase_fill_bench >/dev/null
bench=$(find "$build" -name dbase_fill_bench -type f -perm -u+x | head -n 1)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ours=$("$bench" "$work" "$rows")

start=$(date +%s.%N)
ogr2ogr -f "ESRI Shapefile" "$work/gdal.dbf" "$work/rows.csv" -nln gdal
end=$(date +%s.%N)
gdal=$(echo "$end - $start" | bc -l)

ours_rows=$(ogrinfo -ro -so -al "$work/ours.dbf" | sed -n 's/^Feature Count: //p')
gdal_rows=$(ogrinfo -ro -so -al "$work/gdal.dbf" | sed -n 's/^Feature Count: //p')
printf 'rows: %s (ours %s, GDAL %s)\n' "$rows" "$ours_rows" "$gdal_rows"
printf 'fill through the table class: %8.3f s\n' "$ours"
printf 'ogr2ogr CSV to DBF:            %8.3f s\n' "$gdal"
printf 'ratio (GDAL / ours):           %8.2f\n' "$(echo "$gdal / $ours" | bc -l)"
