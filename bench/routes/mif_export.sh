#!/usr/bin/env bash
# VXV to MIF against GDAL, on the same data in the same run: the layer set that bench/run.sh's
# MIF import made is exported with vxtranslate export mif, and ogr2ogr writes the same features
# to MIF/MID from a shapefile made once from the benchmark MIF (outside the timing). Prints
# times, peak memory and the ratio (ogr2ogr's time over ours; the target is 10). Run by hand,
# by bench/run.sh after its MIF import, never by CI.
#
# BUILD_DIR (default build-bench) holds a Release build; DATA_DIR (default /tmp/vx-bench)
# holds the benchmark MIF and the import's output folder "out".
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD_DIR:-build-bench}
data=${DATA_DIR:-/tmp/vx-bench}
vx=$build/bin/vxtranslate

layer=$(ls -t "$data"/out/*.vxv 2>/dev/null | head -n 1 || true)
if [ -z "$layer" ]; then
    echo "export mif: no layer set in $data/out; run bench/run.sh first" >&2
    exit 1
fi
name=$(basename "$layer" .vxv)
mif=$data/${name%%_rg}.mif  # the import names a single-kind layer after its source
if [ ! -f "$mif" ]; then
    echo "export mif: the source $mif of $layer is missing" >&2
    exit 1
fi

# The shapefile GDAL starts from, made once from the same MIF.
source_dir=$data/mif_export_source_$name
shp=$source_dir/$name.shp
if [ ! -f "$shp" ]; then
    rm -rf "$source_dir"
    mkdir -p "$source_dir"
    ogr2ogr -f "ESRI Shapefile" "$shp" "$mif"
fi

time_run() {  # COMMAND...: prints "SECONDS KB EXIT" (wall seconds, peak resident kilobytes)
    local stats=$data/mif_export_time.txt
    sync  # what the run before left to write back must not land in this one
    /usr/bin/time -f '%e %M %x' -o "$stats" "$@" >/dev/null 2>&1 || true
    tail -n 1 "$stats"
}

source bench/keep_best.sh
ours_dir=$data/mif_export
gdal_dir=$data/mif_export_gdal
for ((run = 1; run <= bench_runs; run++)); do
    rm -rf "$ours_dir" "$gdal_dir"
    mkdir -p "$gdal_dir"
    read -r s kb rc < <(time_run "$vx" export mif "$layer" -o "$ours_dir" --overwrite -q)
    [ "$rc" = 0 ] || { echo "vxtranslate export mif failed on $layer" >&2; exit 1; }
    keep_best ours "$s" "$kb"
    read -r s kb rc < <(time_run ogr2ogr -f "MapInfo File" -dsco FORMAT=MIF \
        "$gdal_dir/$name.mif" "$shp")
    [ "$rc" = 0 ] || { echo "ogr2ogr failed on $shp" >&2; exit 1; }
    keep_best gdal "$s" "$kb"
done

ratio=$(echo "scale=1; $gdal_s / $ours_s" | bc -l)
printf '%-28s ours %6.2f s, %5d MB peak | ogr2ogr %7.2f s | %5sx faster (target %sx)\n' \
    "export mif" "$ours_s" "$((ours_kb / 1024))" "$gdal_s" "$ratio" 10
echo "    (ogr2ogr peak $((gdal_kb / 1024)) MB)"

# A fast wrong answer is no answer: GDAL must read every feature back from our MIF.
count() { ogrinfo -ro -so -al "$1" | sed -n 's/^Feature Count: //p'; }
ours=$(count "$ours_dir/$name.MIF")
theirs=$(count "$shp")
echo "    features: shapefile $theirs, our MIF $ours"
[ "$ours" = "$theirs" ] || { echo "feature counts differ" >&2; exit 1; }
