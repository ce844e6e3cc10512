#!/usr/bin/env bash
# Converts the bundled sample set with a built vxtranslate: every sample into VXV layers
# (OUT/VXV), then every layer back out to MIF (OUT/MIF), shapefiles (OUT/SHP) and TAB
# (OUT/TAB). Each step saves its log in OUT/logs. scripts/run.sh runs it after building, and
# the GDAL driver's tests run it to read every layer it makes.
#   scripts/convert_samples.sh OUT [BIN]     BIN: the folder of vxtranslate (build/bin)
# VX_JOBS (default 1) is how many files each step converts at once.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: scripts/convert_samples.sh OUT [BIN]}
vx=${2:-$root/build/bin}/vxtranslate
samples=$root/samples
rm -rf "$out"
mkdir -p "$out/logs"
failed=0

step() {  # LOG-NAME ARGS...
    local name=$1
    shift
    echo "== vxtranslate $*"
    "$vx" "$@" --overwrite --jobs "${VX_JOBS:-1}" --log "$out/logs/$name.log" || failed=1
}

shopt -s nullglob
step import-mif import mif "$samples"/*.mif -o "$out" --subfolder
step import-shp import shp "$samples"/*.shp -o "$out"
step import-dgn import dgn "$samples"/*.dgn -o "$out" --subfolder
step import-txt import txt "$samples"/*.txt -o "$out" --subfolder --projection 21 --utm-zone 33 \
    --origin-longitude 15 --scale-factor 0.9996 --false-easting 500000
step import-tab import tab "$samples"/*.tab -o "$out/VXV"

layers=("$out"/VXV/*.vxv)
step export-mif export mif "${layers[@]}" -o "$out" --subfolder
step export-shp export shp "${layers[@]}" -o "$out"
step export-tab export tab "${layers[@]}" -o "$out/TAB"

echo
echo "Converted the samples into $out: $(ls "$out"/VXV/*.vxv | wc -l) VXV layers," \
    "$(ls "$out"/MIF/*.MIF | wc -l) MIF, $(ls "$out"/SHP/*.shp | wc -l) shapefiles," \
    "$(ls "$out"/TAB/*.Tab | wc -l) TAB tables. Logs in $out/logs."
exit $failed
