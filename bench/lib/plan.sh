# Sourced by bench/run.sh: planning, warm and cold.
# shellcheck shell=bash disable=SC2034,SC2154

# --- 1. planning an Update of 100,000 files ----------------------------------------------------
S1="$SCRATCH/plan/src" D1="$SCRATCH/plan/dst"
MEM_LINE=""
if wanted plan || wanted cold || wanted sync; then
    say "== building the plan trees (100,000 files in 5,000 directories; half in the destination)"
    make_plan_trees "$S1" "$D1"
fi
if wanted plan; then
    PLAN_OUT="$SCRATCH/plan.txt"
    ryk_plan=("$RYK" -r "$S1/" "$D1/")
    rsync_n=(rsync -a --dry-run "$S1/" "$D1/")
    find_both=(find "$S1" "$D1" -printf '%T@\n')
    no_prep_cmd=(no_prep)
    check_plan() {
        "$RYK" -r "$S1/" "$D1/" >"$PLAN_OUT" 2>/dev/null || { echo "plan exited with $?"; return 1; }
        local copies
        copies=$(grep -c '^Copy ' "$PLAN_OUT")
        ((copies == 50000)) || { echo "$copies Copy lines, expected 50000"; return 1; }
    }
    say "== 1. plan: ryk-cli -r SRC/ DST/ vs rsync -a --dry-run, find -printf"
    if ((HAVE_RSYNC)); then
        measure plan "$RUNS" no_prep_cmd check_plan ryk_plan find_both rsync_n
    else
        measure plan "$RUNS" no_prep_cmd check_plan ryk_plan find_both
    fi
    PLANNED=$(($(wc -l <"$PLAN_OUT") - 1))

    # Peak memory of a plan of one file: what the program needs before any entry exists.
    mkdir -p "$SCRATCH/one/src" "$SCRATCH/one/dst" && : >"$SCRATCH/one/src/f"
    base=()
    for ((r = 0; r < 5; r++)); do
        run_timed "$RYK" -r "$SCRATCH/one/src/" "$SCRATCH/one/dst/"
        base+=("$RUN_KIB")
    done
    BASE_KIB=$(printf '%s\n' "${base[@]}" | stats | cut -d' ' -f2)
    # shellcheck disable=SC2154 # set through printf -v in measure
    MEM_LINE=$(LC_ALL=C awk -v p="$MEMKIB_plan" -v b="$BASE_KIB" -v n="$PLANNED" 'BEGIN {
        printf "plan peak memory: %.1f MiB for %d planned entries = %.0f bytes/entry (%.0f bytes/entry above the %.1f MiB of a one-file plan)",
            p / 1024, n, p * 1024 / n, (p - b) * 1024 / n, b / 1024 }')
    say "   $MEM_LINE"
    if ((HAVE_RSYNC)); then
        row plan 2 "plan 100k files vs rsync -a -n" 0.75
    else
        skip_row "plan 100k files vs rsync -a -n" 0.75 "no rsync"
    fi
    row plan 1 "plan 100k files vs find -printf" 0.6
    # Peak memory per planned entry, the whole process counted.
    PLAN_MEM_MAX=200
    plan_bytes=$(LC_ALL=C awk -v p="$MEMKIB_plan" -v n="$PLANNED" 'BEGIN { printf "%.0f", p * 1024 / n }')
    verdict=pass
    if [[ -n ${FAIL[plan]} ]]; then
        verdict="FAIL (${FAIL[plan]})"
    elif ((plan_bytes > PLAN_MEM_MAX)); then
        verdict=FAIL
    fi
    ROWS+=("$(printf '%-34s %9s %9s %7s %7s  %s' "plan 100k: bytes per entry" "$plan_bytes" - - \
        "<=${PLAN_MEM_MAX}B" "$verdict")")
fi

# --- 1b. the same plan with the page cache dropped before every command -------------------------
# What a plan costs the first time a tree is looked at: the disk's time, not the processor's.
# Dropping the cache needs root; the row is skipped without it.
if wanted cold; then
    if [[ -w /proc/sys/vm/drop_caches ]]; then
        drop_caches() { sync && echo 3 >/proc/sys/vm/drop_caches; }
        cold_prep=(drop_caches)
        ryk_cold=("$RYK" -r "$S1/" "$D1/")
        find_cold=(find "$S1" "$D1" -printf '%T@\n')
        say "== 1b. cold plan: ryk-cli -r SRC/ DST/ vs find -printf, the page cache dropped before each"
        measure cold "$RUNS" cold_prep - ryk_cold find_cold
        row cold 1 "cold plan 100k vs find -printf" 0.45
        if command -v strace >/dev/null; then
            # The system calls of one cold plan, all threads counted, the busiest first.
            drop_caches
            strace -f -c -o "$SCRATCH/strace.txt" "$RYK" -r "$S1/" "$D1/" >/dev/null 2>&1
            say "   system calls of one cold plan (strace -f -c):"
            head -n 12 "$SCRATCH/strace.txt" | sed 's/^/     /' >&2
            drop_caches
            strace -f -c -o "$SCRATCH/strace-find.txt" "${find_cold[@]}" >/dev/null 2>&1
            say "   and of find -printf:"
            head -n 8 "$SCRATCH/strace-find.txt" | sed 's/^/     /' >&2
        fi
    else
        skip_row "cold plan 100k vs find -printf" 0.45 "needs root to drop the page cache"
    fi
fi

