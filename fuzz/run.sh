#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) into build-fuzz/ and runs each
# for SECONDS, starting from its seeds in fuzz/corpus/<target>/. What a run finds new goes to
# fuzz/corpus-run/<target>/; a crash, leak, timeout or memory blow-up leaves its input in
# fuzz/crashes/<target>/. A fuzz/<target>.dict gives a target its keywords. Prints each
# target's executions and coverage; the exit status is 1 when any target found something.
#   fuzz/run.sh SECONDS [TARGET...]     VX_FUZZ_JOBS=2 runs two targets at a time
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(mif vxv shape dbf recordset ascii gdal_vxv)
jobs=${VX_FUZZ_JOBS:-1}

CC=${VX_FUZZ_CC:-clang} CXX=${VX_FUZZ_CXX:-clang++} \
    cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Runs started at the same time (two test runs on one machine) build one after the other.
flock build-fuzz/.build-lock cmake --build build-fuzz

# The targets' work folders and logs go under one temp folder of this run (in memory when
# /dev/shm is there), removed at the end even when a target crashed before cleaning up; the
# logs are kept in build-fuzz/logs/ once the run is over.
tmp_root=/dev/shm
[ -d "$tmp_root" ] && [ -w "$tmp_root" ] || tmp_root=${TMPDIR:-/tmp}
run_tmp=$(mktemp -d "$tmp_root/vxfuzz-run.XXXXXX")
trap 'rm -rf "$run_tmp"' EXIT
logs=$run_tmp/logs
mkdir -p "$logs" build-fuzz/logs

run_target() {
    local t=$1
    mkdir -p "fuzz/corpus-run/$t" "fuzz/crashes/$t" "$run_tmp/$t"
    local rc=0
    local dict=()
    [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
    # Leaks count as findings; a run that is still going when its time is up ends clean.
    TMPDIR="$run_tmp/$t" ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
        "build-fuzz/bin/${t}_fuzzer" "fuzz/corpus-run/$t" "fuzz/corpus/$t" \
        -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=8192 \
        -artifact_prefix="fuzz/crashes/$t/" -print_final_stats=1 "${dict[@]}" \
        >"$logs/$t.log" 2>&1 || rc=$?
    echo "$rc" >"$logs/$t.rc"
}

running=0
for t in "${targets[@]}"; do
    if [ ! -x "build-fuzz/bin/${t}_fuzzer" ]; then
        echo "fuzz: no target $t" >&2
        exit 2
    fi
    echo "fuzz: running $t for ${seconds}s"
    run_target "$t" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait || true

status=0
for t in "${targets[@]}"; do
    log="$logs/$t.log"
    rc=$(cat "$logs/$t.rc")
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    stats=$(grep -E '^#[0-9]+.*cov: [0-9]+' "$log" | tail -1 || true)
    cov=$(sed -E -n 's/.* cov: ([0-9]+).*/\1/p' <<<"$stats")
    ft=$(sed -E -n 's/.* ft: ([0-9]+).*/\1/p' <<<"$stats")
    if [ "$rc" = 0 ]; then
        result=clean
    else
        result="FOUND (exit $rc): $(ls "fuzz/crashes/$t" | tr '\n' ' ')"
        status=1
    fi
    printf 'fuzz: %-10s executions %-10s cov %-6s ft %-6s %s\n' \
        "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$result"
    if [ "$rc" != 0 ]; then
        grep -E -m3 'ERROR|SUMMARY|runtime error|ALARM|out-of-memory' "$log" | sed 's/^/fuzz:   /' || true
    fi
done
cp "$logs"/*.log "$logs"/*.rc build-fuzz/logs/
exit $status
