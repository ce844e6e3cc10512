#!/usr/bin/env bash
# Many small files: FILES MIF files of a few hundred objects of mixed kinds, imported by one
# vxtranslate run converting one file at a time, by one run with --jobs 2, and by a shell loop
# that calls ogr2ogr once per file, as a script would (to MapInfo TAB, a format that takes the
# mixed kinds of one file as they come). Prints the times and the ratios.
# Run by hand (bench/run.sh runs it), never by CI.
#
#   bench/many_files.sh [FILES] [OBJECTS]     default 400 files of 300 objects
set -euo pipefail
cd "$(dirname "$0")/.."
files=${1:-400}
objects=${2:-300}
build=${BUILD_DIR:-build}
data=${DATA_DIR:-/tmp/vx-bench}
vx=$build/bin/vxtranslate
source bench/keep_best.sh
source bench/measure.sh

set_dir=$data/many_${files}_$objects
if [ ! -f "$set_dir/f$files.mif" ]; then
    echo "Making $files files in $set_dir ..."
    rm -rf "$set_dir" && mkdir -p "$set_dir"
    for ((i = 1; i <= files; i++)); do
        "$build/bench/vx_bench_make_mif" "$set_dir/f$i.mif" "$objects" mixed
    done
fi
echo "== many files: $files MIF files of $objects objects, $(du -sm "$set_dir" | cut -f1) MB"

out=$data/many_out
loop="for f in '$set_dir'/*.mif; do ogr2ogr -f 'MapInfo File' '$out/gdal/'\"\$(basename \"\$f\" .mif)\".tab \"\$f\" || exit 1; done"
compare "one job" - "$out/one" "$vx import mif '$set_dir'/*.mif -o '$out/one' -q" "$out/gdal" "$loop"
compare "--jobs 2" - "$out/two" "$vx import mif '$set_dir'/*.mif -o '$out/two' -q --jobs 2" \
    "$out/gdal" "$loop"
# The two runs of ours write the same files.
diff -r -q "$out/one" "$out/two" >/dev/null || { echo "--jobs 2 wrote other files than one job" >&2; exit 1; }
echo "                  --jobs 2 wrote the same files as one job"
