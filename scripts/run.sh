#!/usr/bin/env bash
# Sets up, builds and converts the bundled sample set into out/samples/ with every route this
# build has. Routes whose drivers are not built yet are named and skipped.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1
scripts/build.sh || exit 1

out=out/samples
mkdir -p "$out"
bin=build/bin/vxtranslate
converted=0
skipped=()
failed=0

run_route() {  # direction format files...
    local direction=$1 format=$2
    shift 2
    [ $# -gt 0 ] || return 0
    "$bin" "$direction" "$format" "$@" -o "$out" --overwrite --log "$out/$direction-$format.log"
    case $? in
        0) converted=$((converted + $#)) ;;
        2) skipped+=("$direction $format") ;;
        *) failed=1 ;;
    esac
}

shopt -s nullglob nocaseglob
run_route import mif samples/*.mif
run_route import shp samples/*.shp
run_route import dgn samples/*.dgn
run_route import txt samples/*.txt
run_route import tab samples/*.tab

echo
echo "Converted $converted sample file(s) into $out."
if [ ${#skipped[@]} -gt 0 ]; then
    echo "Not built yet in this version, skipped: ${skipped[*]}."
fi
exit $failed
