# Sourced by the benchmark scripts: timing one command, comparing two, checking results.
# Needs keep_best.sh sourced first, and $data set.

# time_run COMMAND...: prints "SECONDS KB EXIT" (wall seconds, peak resident kilobytes). The
# figures go through a file of their own, apart from the command's output.
time_run() {
    local stats=$data/time.txt
    sync  # what the run before left to write back must not land in this one
    /usr/bin/time -f '%e %M %x' -o "$stats" "$@" >/dev/null 2>&1 || true
    tail -n 1 "$stats"
}

# compare LABEL TARGET OURS_OUT OURS_COMMAND THEIRS_OUT THEIRS_COMMAND: runs each command
# (a shell command line) BENCH_RUNS times, taking turns, each time after removing its output
# folder (outside the timing), and prints both best times, peak memory and the ratio.
compare() {
    local label=$1 target=$2 ours_out=$3 ours_cmd=$4 theirs_out=$5 theirs_cmd=$6
    local s kb rc run all_ours="" all_theirs="" ratio
    unset ours_s ours_kb theirs_s theirs_kb
    for ((run = 1; run <= bench_runs; run++)); do
        rm -rf "$ours_out"
        read -r s kb rc < <(time_run sh -c "$ours_cmd")
        [ "$rc" = 0 ] || { echo "$label: failed: $ours_cmd" >&2; exit 1; }
        keep_best ours "$s" "$kb"
        all_ours+=" $s"
        rm -rf "$theirs_out"
        mkdir -p "$theirs_out"
        read -r s kb rc < <(time_run sh -c "$theirs_cmd")
        [ "$rc" = 0 ] || { echo "$label: failed: $theirs_cmd" >&2; exit 1; }
        keep_best theirs "$s" "$kb"
        all_theirs+=" $s"
    done
    ratio=$(echo "scale=1; $theirs_s / $ours_s" | bc -l)
    printf '%-17s ours %6.2f s, %5d MB peak | ogr2ogr %6.2f s, %5d MB peak | %5sx (target %sx)\n' \
        "$label" "$ours_s" "$((ours_kb / 1024))" "$theirs_s" "$((theirs_kb / 1024))" "$ratio" "$target"
    echo "                  runs: ours$all_ours | ogr2ogr$all_theirs"
}

# same_count SOURCE RESULT [WORK FORMAT]: a fast wrong answer is no answer. GDAL must read as
# many features from the result as from the source; a VXV result is exported to FORMAT first.
same_count() {
    local source=$1 result=$2 theirs ours
    if [ "${result##*.}" = vxv ]; then
        "$vx" export "$4" "$result" -o "$3" --overwrite -q
        result=$(ls "$3"/*.MIF)
    fi
    count() { ogrinfo -ro -so -al "$1" | sed -n 's/^Feature Count: //p'; }
    theirs=$(count "$source")
    ours=$(count "$result")
    echo "                  features: source $theirs, ours $ours"
    [ "$theirs" = "$ours" ] || { echo "feature counts differ" >&2; exit 1; }
}
