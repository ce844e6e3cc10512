#!/usr/bin/env bash
# Speed comparisons against GDAL's ogr2ogr on the same data in the same run. Run by hand,
# never by CI: the machines are shared and noisy, so only the ratios mean anything.
#
#   bench/run.sh [REGIONS]     default 200000 regions of about 40 vertices (about 300 MB)
#
# BUILD_DIR (default build-bench) holds a Release build; DATA_DIR (default
# /tmp/vx-bench) keeps the generated data between runs. Each comparison runs BENCH_RUNS times
# (default 3), the sides taking turns, best time of each (bench/keep_best.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
regions=${1:-200000}
build=${BUILD_DIR:-build-bench}
data=${DATA_DIR:-/tmp/vx-bench}
export BUILD_DIR=$build DATA_DIR=$data

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target vxtranslate vx_bench_make_mif >/dev/null
vx=$build/bin/vxtranslate

mkdir -p "$data"
mif=$data/parcels_$regions.mif
if [ ! -f "$mif" ]; then
    echo "Making $mif ..."
    "$build/bench/vx_bench_make_mif" "$mif" "$regions"
fi
vertices=$(tr -d '\r' < "$mif" | awk 'BEGIN{n=0} /^ +[0-9]+$/ {n+=$1} END{print n}')
echo "Data: $regions regions, $vertices vertices, $(du -m "$mif" | cut -f1) MB MIF + $(du -m "${mif%.mif}.mid" | cut -f1) MB MID"

# time_run LABEL COMMAND...: prints seconds and peak resident kilobytes as "SECONDS KB".
time_run() {
    local stats=$data/time.txt
    sync  # what the run before left to write back must not land in this one
    /usr/bin/time -f '%e %M' -o "$stats" "$@" >/dev/null 2>&1 || true
    tail -n 1 "$stats"
}

report() {  # NAME OURS_SECONDS OURS_KB GDAL_SECONDS TARGET
    local ratio
    ratio=$(echo "scale=1; $4 / $2" | bc -l)
    printf '%-28s ours %6.2f s, %5d MB peak | ogr2ogr %7.2f s | %5sx faster (target %sx)\n' \
        "$1" "$2" "$(($3 / 1024))" "$4" "$ratio" "$5"
}

# MIF import: vxtranslate import mif against ogr2ogr MIF/MID to shapefile.
out=$data/out
source bench/keep_best.sh
ours_times=()
gdal_times=()
for ((run = 1; run <= bench_runs; run++)); do
    rm -rf "$out" "$data/gdal_mif"
    read -r seconds kb < <(time_run "$vx" import mif "$mif" -o "$out" --overwrite -q)
    ours_times+=("$seconds")
    keep_best ours "$seconds" "$kb"
    read -r seconds kb < <(time_run ogr2ogr -f "ESRI Shapefile" "$data/gdal_mif" "$mif")
    gdal_times+=("$seconds")
    keep_best gdal "$seconds" "$kb"
done
report "import mif" "$ours_s" "$ours_kb" "$gdal_s" 10
echo "    all runs: ours ${ours_times[*]} s | ogr2ogr ${gdal_times[*]} s (best of $bench_runs each)"
limit_kb=$(( (vertices * 16 * 5 / 2) / 1024 + 100 * 1024 ))
echo "    peak memory limit for this data: $((limit_kb / 1024)) MB (2.5 x vertex bytes + 100 MB)"

# The other routes, each against ogr2ogr on the same data.
for extra in bench/routes/*.sh; do
    [ -f "$extra" ] && bash "$extra"
done
bash bench/shape_routes.sh "$regions"
bash bench/dbase_fill.sh
exit 0
