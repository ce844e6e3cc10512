#!/usr/bin/env bash
# Speed comparisons against GDAL's ogr2ogr on the same data in the same run. Run by hand,
# never by CI: the machines are shared and noisy, so only the ratios mean anything.
#
#   bench/run.sh [REGIONS]     default 200000 regions of about 40 vertices
#
# The program measured is the one users get: the build of scripts/build.sh in build/ (the
# one `cmake --install build` installs); BUILD_DIR names another. DATA_DIR (default
# /tmp/vx-bench) keeps the generated data between runs. Each comparison runs BENCH_RUNS times
# (default 3), the sides taking turns, best time of each (bench/keep_best.sh).
#
# Two data sets, every route on both:
#   synthetic  the generator's MIF (UTM, three decimals) and a shapefile GDAL makes from it;
#   real       the same polygons reprojected by ogr2ogr to longitude and latitude, written by
#              ogr2ogr as a shapefile and as MIF/MID: full-precision coordinates, as GDAL and
#              MapInfo write them after any reprojection.
set -euo pipefail
cd "$(dirname "$0")/.."
regions=${1:-200000}
build=${BUILD_DIR:-build}
data=${DATA_DIR:-/tmp/vx-bench}
export BUILD_DIR=$build DATA_DIR=$data

if [ "$build" = build ]; then
    scripts/build.sh >/dev/null
fi
cmake --build "$build" --target vxtranslate vx_bench_make_mif >/dev/null
vx=$build/bin/vxtranslate
source bench/keep_best.sh
source bench/measure.sh

# --- The data sets -----------------------------------------------------------------------
mkdir -p "$data"
synthetic=$data/synthetic_$regions
real=$data/real_$regions
if [ ! -f "$synthetic/parcels.mif" ]; then
    echo "Making the synthetic set in $synthetic ..."
    rm -rf "$synthetic" && mkdir -p "$synthetic/shp"
    "$build/bench/vx_bench_make_mif" "$synthetic/parcels.mif" "$regions"
    ogr2ogr -f "ESRI Shapefile" "$synthetic/shp/parcels.shp" "$synthetic/parcels.mif"
fi
if [ ! -f "$real/parcels.mif" ]; then
    echo "Making the real set in $real ..."
    rm -rf "$real" && mkdir -p "$real/shp"
    ogr2ogr -f "ESRI Shapefile" -t_srs EPSG:4326 "$real/shp/parcels.shp" "$synthetic/parcels.mif"
    ogr2ogr -f "MapInfo File" -dsco FORMAT=MIF "$real/parcels.mif" "$real/shp/parcels.shp"
fi

# --- The four routes on one set ------------------------------------------------------------
# bench_set NAME FOLDER: the folder holds parcels.mif (with .mid) and shp/parcels.shp.
bench_set() {
    local name=$1 folder=$2
    local mif=$folder/parcels.mif shp=$folder/shp/parcels.shp work=$data/work_$1
    local vertices limit_mb
    vertices=$(tr -d '\r' < "$mif" | awk 'BEGIN{n=0} /^ +[0-9]+$/ {n+=$1} END{print n}')
    limit_mb=$(( vertices * 16 * 5 / 2 / 1048576 + 100 ))
    echo
    echo "== $name: $regions regions, $vertices vertices; MIF $(du -m "$mif" | cut -f1) MB," \
        "shapefile $(du -m "$shp" | cut -f1) MB; peak memory limit $limit_mb MB"
    rm -rf "$work" && mkdir -p "$work"
    # Our outputs are flushed before a job ends and ogr2ogr's are not, so the disk's speed
    # of the moment is part of every figure of ours: it is printed with them.
    echo "disk: $(dd if=/dev/zero of="$work/disk-test" bs=1M count=256 conv=fsync 2>&1 |
        awk '/copied/ {print $(NF-1), $NF}') written and flushed (dd, 256 MB)"
    rm -f "$work/disk-test"

    # MIF import: MIF/MID into a VXV layer set, against ogr2ogr MIF/MID to shapefile.
    compare "import mif" 15 "$work/mif_in" "$vx import mif '$mif' -o '$work/mif_in' -q" \
        "$work/gdal" "ogr2ogr -f 'ESRI Shapefile' '$work/gdal/parcels.shp' '$mif'"
    local layer=$work/mif_in/parcels.vxv
    same_count "$mif" "$layer" "$work/check_mif" mif

    # MIF export: that layer set back to MIF/MID, against ogr2ogr shapefile to MIF/MID.
    compare "export mif" 15 "$work/mif_out" "$vx export mif '$layer' -o '$work/mif_out' -q" \
        "$work/gdal" "ogr2ogr -f 'MapInfo File' -dsco FORMAT=MIF '$work/gdal/parcels.mif' '$shp'"

    # The same export into memory (tmpfs), where the flush costs nothing: the program's own
    # speed apart from the disk's. The real set's MIF is over 400 MB, so on a disk that writes
    # 800 MB/s its flush alone takes half a second.
    if [ -d /dev/shm ] && [ -w /dev/shm ]; then
        local memory=/dev/shm/vx-bench-$$
        compare "export mif, tmpfs" 15 "$memory/mif_out" \
            "$vx export mif '$layer' -o '$memory/mif_out' -q" "$memory/gdal" \
            "ogr2ogr -f 'MapInfo File' -dsco FORMAT=MIF '$memory/gdal/parcels.mif' '$shp'"
        rm -rf "$memory"
    fi

    # Shapefile import and export, each against ogr2ogr copying the shapefile.
    local copy="ogr2ogr -f 'ESRI Shapefile' '$work/gdal/parcels.shp' '$shp'"
    compare "import shp" 5 "$work/shp_in" "$vx import shp '$shp' -o '$work/shp_in' -q" \
        "$work/gdal" "$copy"
    local shp_layer=$work/shp_in/VXV/parcels.vxv
    compare "export shp" 5 "$work/shp_out" "$vx export shp '$shp_layer' -o '$work/shp_out' -q" \
        "$work/gdal" "$copy"
    same_count "$shp" "$work/shp_out/SHP/parcels.shp"
}

bench_set synthetic "$synthetic"
bench_set real "$real"

echo
bash bench/many_files.sh
echo
bash bench/dbase_fill.sh
exit 0
