# Sourced by the benchmark scripts. The speed of a shared machine changes by half from one
# second to the next, so each side of a comparison runs BENCH_RUNS times (default 3), the
# sides taking turns, and is judged by its best time and its highest peak memory.
#
# keep_best NAME SECONDS KB: NAME_s becomes the lowest time so far, NAME_kb the highest peak.
keep_best() {
    local best_s=${1}_s best_kb=${1}_kb
    if [ -z "${!best_s:-}" ] || (($(echo "$2 < ${!best_s}" | bc -l))); then
        printf -v "$best_s" '%s' "$2"
    fi
    if [ -z "${!best_kb:-}" ] || (($3 > ${!best_kb})); then
        printf -v "$best_kb" '%s' "$3"
    fi
}
bench_runs=${BENCH_RUNS:-3}
