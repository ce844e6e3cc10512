#!/usr/bin/env bash
# The shapefile routes against GDAL, on the same data in the same run: our shapefile import
# (vxtranslate import shp) and the export of the layer it made (vxtranslate export shp), each
# against ogr2ogr copying the same shapefile to a new shapefile. Prints times, peak memory and
# the ratios (ogr2ogr's time over ours; the target is 3). Run by hand, never by CI.
#
#   bench/shape_routes.sh [REGIONS]     default 200000 regions (the generator's MIF)
#
# BUILD_DIR (default build-bench) holds a Release build; DATA_DIR (default /tmp/vx-bench)
# keeps the generated MIF and the shapefile made from it between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
regions=${1:-200000}
build=${BUILD_DIR:-build-bench}
data=${DATA_DIR:-/tmp/vx-bench}

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVX_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target vxtranslate vx_bench_make_mif >/dev/null
vx=$build/bin/vxtranslate

mkdir -p "$data"
mif=$data/parcels_$regions.mif
if [ ! -f "$mif" ]; then
    echo "Making $mif ..."
    "$build/bench/vx_bench_make_mif" "$mif" "$regions"
fi
# The shapefile both sides start from, made once by GDAL from the MIF.
source_dir=$data/shape_source_$regions
shp=$source_dir/parcels.shp
if [ ! -f "$shp" ]; then
    echo "Making $shp ..."
    rm -rf "$source_dir"
    mkdir -p "$source_dir"
    ogr2ogr -f "ESRI Shapefile" "$shp" "$mif"
fi
echo "Shapefile: $(du -m "$shp" | cut -f1) MB .shp + $(du -m "${shp%.shp}.dbf" | cut -f1) MB .dbf"

# time_run COMMAND...: prints "SECONDS KB EXIT" (wall seconds, peak resident kilobytes).
# The figures go through a file of their own, apart from the command's output.
time_run() {
    local stats
    stats=$(mktemp)
    sync  # what the run before left to write back must not land in this one
    /usr/bin/time -o "$stats" -f '%e %M %x' "$@" >/dev/null 2>&1 || true
    tail -n 1 "$stats"
    rm -f "$stats"
}

report() {  # NAME OURS_SECONDS OURS_KB GDAL_SECONDS GDAL_KB TARGET
    local ratio
    ratio=$(echo "scale=1; $4 / $2" | bc -l)
    printf '%-28s ours %6.2f s, %5d MB peak | ogr2ogr %7.2f s, %5d MB peak | %5sx faster (target %sx)\n' \
        "$1" "$2" "$(($3 / 1024))" "$4" "$(($5 / 1024))" "$ratio" "$6"
}

features() {  # the feature count GDAL reads from a shapefile
    ogrinfo -ro -so -al "$1" | sed -n 's/^Feature Count: //p'
}

source bench/keep_best.sh
# BENCH_RUNS rounds (default 3) of: GDAL's copy (shapefile in, shapefile out, the same for
# both routes), our import, our export of the layer it made. Each is judged by its best time.
gdal_out=$data/shape_gdal
imported=$data/shape_import
exported=$data/shape_export
layer=$imported/VXV/parcels.vxv
result=$exported/SHP/parcels.shp
for ((run = 1; run <= bench_runs; run++)); do
    rm -rf "$gdal_out" "$imported" "$exported"
    mkdir -p "$gdal_out"
    read -r s kb rc < <(time_run ogr2ogr -f "ESRI Shapefile" "$gdal_out/parcels.shp" "$shp")
    [ "$rc" = 0 ] || { echo "ogr2ogr failed on $shp" >&2; exit 1; }
    keep_best gdal "$s" "$kb"

    read -r s kb rc < <(time_run "$vx" import shp "$shp" -o "$imported" --overwrite -q)
    if [ "$rc" != 0 ] || [ ! -f "$layer" ]; then
        echo "shapefile import failed (exit $rc, no $layer): is 'vxtranslate import shp' wired?" >&2
        exit 1
    fi
    keep_best imp "$s" "$kb"

    read -r s kb rc < <(time_run "$vx" export shp "$layer" -o "$exported" --overwrite -q)
    if [ "$rc" != 0 ] || [ ! -f "$result" ]; then
        echo "shapefile export failed (exit $rc, no $result): is 'vxtranslate export shp' wired?" >&2
        exit 1
    fi
    keep_best exp "$s" "$kb"
done
report "import shp" "$imp_s" "$imp_kb" "$gdal_s" "$gdal_kb" 3
report "export shp" "$exp_s" "$exp_kb" "$gdal_s" "$gdal_kb" 3

# A fast wrong answer is no answer: the round trip must keep every feature.
theirs=$(features "$shp")
ours=$(features "$result")
echo "    features: source $theirs, after import and export $ours"
[ "$theirs" = "$ours" ] || { echo "feature counts differ" >&2; exit 1; }
exit 0
