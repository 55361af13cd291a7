#!/usr/bin/env bash
# Measures ryk-cli against cp, rsync and find on trees built for the purpose, side by side in
# one run, and prints a table of median times and ratios. See bench/README.md.
# The command and preparation arrays are reached by name from measure():
# shellcheck disable=SC2034
set -u -o pipefail

usage() {
    cat <<'EOF'
usage: bench/run.sh [-n RUNS] [-b BIG_RUNS] [--only LIST] [--keep] [SCRATCH_PARENT]

  -n RUNS        timed rounds for the plan and the small-file copy (default 9, at least 5)
  -b BIG_RUNS    timed rounds for the 1 GiB copies (default 7)
  --only LIST    only these measurements, comma-separated: plan, cold, run, big, sync, reflink,
                 move, window, window-1m, skip-same, skip-1pct, verify-big, verify-small
                 (default all of them)
  --keep         keep the scratch trees (they are removed by default)
  SCRATCH_PARENT where the scratch directory is made (default $RYK_BENCH_DIR, else $TMPDIR
                 or /tmp); it needs about 6 GiB free

Extra CMake arguments for the Release build: RYK_BENCH_CMAKE_ARGS="-DFOO=BAR ...".
EOF
}

RUNS=9
BIG_RUNS=7
KEEP=0
ONLY=plan,cold,run,big,sync,reflink,move,window,window-1m,skip-same,skip-1pct,verify-big,verify-small
PARENT="${RYK_BENCH_DIR:-${TMPDIR:-/tmp}}"
while (($# > 0)); do
    case "$1" in
    -n) RUNS="$2"; shift 2 ;;
    -b) BIG_RUNS="$2"; shift 2 ;;
    --only) ONLY="$2"; shift 2 ;;
    --keep) KEEP=1; shift ;;
    -h | --help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) PARENT="$1"; shift ;;
    esac
done
if ((RUNS < 5 || BIG_RUNS < 1)); then
    echo "run.sh: at least 5 rounds (-n) and 1 big round (-b)" >&2
    exit 2
fi

for part in ${ONLY//,/ }; do
    case "$part" in
    plan | cold | run | big | sync | reflink | move | window | window-1m | skip-same | skip-1pct | \
        verify-big | verify-small) ;;
    *) echo "run.sh: unknown measurement '$part' in --only" >&2; exit 2 ;;
    esac
done
wanted() { [[ ",$ONLY," == *",$1,"* ]]; }

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build-bench"
RYK="$BUILD/bin/ryk-cli"
WINDOW_RUN="$BUILD/bench/ryk-window-run"

say() { printf '%s\n' "$*" >&2; }
die() { say "run.sh: $*"; exit 1; }

# --- tools -------------------------------------------------------------------------------------
[[ -x /usr/bin/time ]] || die "/usr/bin/time is needed for peak memory (apt-get install time)"
HAVE_RSYNC=1
if ! command -v rsync >/dev/null 2>&1; then
    HAVE_RSYNC=0
    say "rsync is not installed: its rows are skipped (apt-get install rsync to add them)"
fi

# --- build -------------------------------------------------------------------------------------
# The desktop program's windows (Qt) are built only for the window rows.
GUI=OFF TARGETS=(ryk-cli)
if wanted window || wanted window-1m; then
    GUI=ON TARGETS+=(ryk-window-run)
fi
say "== building ${TARGETS[*]} (Release) in $BUILD"
mkdir -p "$BUILD" || die "cannot make $BUILD"
# shellcheck disable=SC2086 # the extra arguments are meant to split
if ! { cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRYK_GUI=$GUI \
    -DRYK_BENCH=$GUI -DRYK_TESTS=OFF ${RYK_BENCH_CMAKE_ARGS:-} &&
    cmake --build "$BUILD" --target "${TARGETS[@]}"; } >"$BUILD/bench-build.log" 2>&1; then
    tail -n 30 "$BUILD/bench-build.log" >&2
    die "build failed (log: $BUILD/bench-build.log)"
fi

# --- scratch -----------------------------------------------------------------------------------
mkdir -p "$PARENT" || die "cannot make $PARENT"
SCRATCH="$(mktemp -d "$PARENT/ryk-bench.XXXXXX")" || die "cannot make a scratch directory in $PARENT"
# ext4 without a journal skips inodes deleted in the last one to six minutes when it makes
# new files, which slows every tool's file creation alike and pulls the copy ratios toward 1.
# The time our own trees were deleted is kept so that a run soon after can say so.
DELETED_AT="$BUILD/bench-deleted-at"
LATE_NOTE=""
if [[ -f $DELETED_AT ]]; then
    age=$(($(date +%s) - $(cat "$DELETED_AT")))
    if ((age >= 0 && age < 360)); then
        LATE_NOTE="note: the previous run deleted its trees ${age}s before this one; on ext4 without a journal the copy ratios read closer to 1 than they are for about 6 minutes after that"
        say "$LATE_NOTE"
    fi
fi
# The images mounted by sections 5 and 6 are unmounted whatever happens.
XFS_MOUNT="" MOVE_MOUNT=""
cleanup() {
    [[ -n $XFS_MOUNT ]] && umount -- "$XFS_MOUNT"
    [[ -n $MOVE_MOUNT ]] && umount -- "$MOVE_MOUNT"
    if ((KEEP)); then
        say "scratch kept: $SCRATCH"
    else
        rm -rf -- "$SCRATCH"
        date +%s >"$DELETED_AT"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkdir -- "$SCRATCH/trash"
free_kib=$(df -Pk "$SCRATCH" | awk 'NR == 2 { print $4 }')
((free_kib > 6 * 1024 * 1024)) || die "less than 6 GiB free under $PARENT"

say "== $(nproc) cores, $(uname -r), scratch $SCRATCH ($(stat -f -c %T "$SCRATCH"))"
versions="$(cp --version | head -n 1); $(find . -maxdepth 0 --version | head -n 1)"
((HAVE_RSYNC)) && versions+="; $(rsync --version | head -n 1)"
say "== $versions"

# --- trees -------------------------------------------------------------------------------------
# Name parts: mixed case, multi-byte characters and inner separators; every name also carries
# its index so that no two names in a directory fold to the same key.
SYL=(ka Mi to re SU no ha Ri ku se yo MA na Chi wo lu Be ga zo Pi "データ" "写真" "メモ" "ü" "é")
SEP=("" "" "" "_" "-" " " ".")
EXT=(.txt .c .h .jpg .PNG .tar.gz "" .md .json .Dat .log .html .cpp .o .bak)

name_for() { # $1 = index; sets REPLY
    local n=$((1 + RANDOM % 4)) s=${SYL[RANDOM % ${#SYL[@]}]} j
    for ((j = 1; j < n; j++)); do
        s+=${SEP[RANDOM % ${#SEP[@]}]}${SYL[RANDOM % ${#SYL[@]}]}
    done
    REPLY="${s}_$1${EXT[RANDOM % ${#EXT[@]}]}"
}

# Fixed whole-second time given to both trees, so the half present in the destination is
# up to date for every tool.
STAMP=1686052800

# The plan tree: 100 top directories with 49 subdirectories each (5,000 directories), 20 files
# of 0..2 KiB in each (100,000 files); every other file also goes to the destination.
make_plan_trees() {
    local src=$1 dst=$2 blob top sub f i=0 rel size
    blob=$(head -c 1536 /dev/urandom | base64 -w0) # 2048 printable bytes
    RANDOM=1
    mkdir -p "$src" "$dst"
    for ((top = 0; top < 100; top++)); do
        name_for "d$top"
        local topName=$REPLY
        for ((sub = -1; sub < 49; sub++)); do
            if ((sub < 0)); then
                rel=$topName
            else
                name_for "s$sub"
                rel="$topName/$REPLY"
            fi
            mkdir -- "$src/$rel" "$dst/$rel"
            for ((f = 0; f < 20; f++, i++)); do
                name_for "$i"
                size=$((RANDOM % 2049))
                printf '%s' "${blob:0:size}" >"$src/$rel/$REPLY"
                ((i % 2 == 0)) && printf '%s' "${blob:0:size}" >"$dst/$rel/$REPLY"
            done
        done
    done
    find "$src" "$dst" -type f -exec touch -d "@$STAMP" {} +
}

# The copy tree: 20 top directories with 9 subdirectories each (200 directories), 100 files of
# 4 KiB in each (20,000 files).
make_copy_tree() {
    local src=$1 blob top sub f i=0 rel
    blob=$(head -c 3072 /dev/urandom | base64 -w0) # 4096 bytes
    RANDOM=2
    mkdir -p "$src"
    for ((top = 0; top < 20; top++)); do
        name_for "d$top"
        local topName=$REPLY
        for ((sub = -1; sub < 9; sub++)); do
            if ((sub < 0)); then
                rel=$topName
            else
                name_for "s$sub"
                rel="$topName/$REPLY"
            fi
            mkdir -- "$src/$rel"
            for ((f = 0; f < 100; f++, i++)); do
                name_for "$i"
                printf '%s' "$blob" >"$src/$rel/$REPLY"
            done
        done
    done
}

# --- timing ------------------------------------------------------------------------------------
# One timed run: wall time from the shell's microsecond clock around the command, peak memory
# from /usr/bin/time (the same small wrapper cost on both sides). Output is thrown away.
# Sets RUN_USEC, RUN_KIB, RUN_STATUS.
TIMEFILE="$SCRATCH/time.out"
ERRFILE="$SCRATCH/stderr.out"
usec_now() { local t=$EPOCHREALTIME; REPLY=${t//[!0-9]/}; }
run_timed() {
    local t0 t1
    usec_now; t0=$REPLY
    /usr/bin/time -f '%M' -o "$TIMEFILE" "$@" >/dev/null 2>"$ERRFILE"
    RUN_STATUS=$?
    usec_now; t1=$REPLY
    RUN_USEC=$((10#$t1 - 10#$t0))
    RUN_KIB=$(tail -n 1 "$TIMEFILE")
}

no_prep() { :; }
tree_facts() { (cd "$1" && find . -printf '%P %y %s %m %T@\n' | LC_ALL=C sort); }
# A fresh empty destination for each copy run, made before the clock starts; sync keeps the
# previous run's write-back out of the next run's time. The old destination is only moved
# aside: nothing is deleted until the end, because on some file systems (ext4 without a
# journal) creating files soon after deleting many is several times slower, for every tool.
TRASH="$SCRATCH/trash"
ASIDE=0
set_aside() {
    if [[ -e $1 ]]; then
        ASIDE=$((ASIDE + 1))
        mv -- "$1" "$TRASH/$ASIDE" || return
    fi
    mkdir -- "$1" && sync
}
# One large file is cheap to delete and too large to keep a copy of every run.
fresh_dir() { rm -rf -- "$1" && mkdir -- "$1" && sync; }

stats() { # numbers on stdin -> "min median max"
    LC_ALL=C sort -g | LC_ALL=C awk '{ v[NR] = $1 }
        END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print v[1], m, v[NR] }'
}

# measure TAG ROUNDS PREP_ARRAY VERIFY_FN CMD_ARRAY... : one untimed warm-up round, then ROUNDS
# rounds that each run every command once in turn (ours first). The first command is ours.
# Sets MED_<TAG>_<k> (median seconds), RATIO_<TAG>_<k> (median of the per-round ratios ours/k),
# MEMKIB_<TAG> (median peak KiB of ours), MEMKIB_<TAG>_<k> (of each command), FAIL_<TAG>
# (non-empty when ours failed).
declare -A T M FAIL
measure() {
    local tag=$1 rounds=$2
    local -n prep=$3
    local verify=$4
    shift 4
    local names=("$@") r k
    FAIL["$tag"]=""
    for ((r = 0; r <= rounds; r++)); do
        for k in "${!names[@]}"; do
            local -n cmd=${names[k]}
            "${prep[@]}"
            run_timed "${cmd[@]}"
            T[$k,$r]=$RUN_USEC M[$k,$r]=$RUN_KIB
            if ((RUN_STATUS != 0)); then
                say "   ${names[k]} exited with $RUN_STATUS: $(head -c 300 "$ERRFILE")"
                ((k == 0)) && FAIL["$tag"]="exit $RUN_STATUS"
            fi
            if ((r == 0 && k == 0)) && [[ $verify != - ]]; then
                local why
                why=$($verify) || { FAIL["$tag"]=$why; say "   check failed: $why"; }
            fi
            unset -n cmd
        done
    done
    for k in "${!names[@]}"; do
        local line
        line=$(for ((r = 1; r <= rounds; r++)); do echo "${T[$k,$r]}"; done | stats)
        read -r lo med hi <<<"$line"
        printf -v "MED_${tag}_$k" '%s' "$(LC_ALL=C awk -v x="$med" 'BEGIN { printf "%.3f", x / 1e6 }')"
        local mem
        mem=$(for ((r = 1; r <= rounds; r++)); do echo "${M[$k,$r]}"; done | stats)
        printf -v "MEMKIB_${tag}_$k" '%s' "$(cut -d' ' -f2 <<<"$mem")"
        say "$(LC_ALL=C awk -v n="${names[k]}" -v a="$lo" -v b="$med" -v c="$hi" -v m="$mem" \
            'BEGIN { split(m, p, " "); printf "   %-20s wall s  min %.3f  median %.3f  max %.3f   peak MiB median %.1f\n", n, a/1e6, b/1e6, c/1e6, p[2]/1024 }')"
        if ((k == 0)); then
            printf -v "MEMKIB_${tag}" '%s' "$(cut -d' ' -f2 <<<"$mem")"
        else
            line=$(for ((r = 1; r <= rounds; r++)); do
                LC_ALL=C awk -v a="${T[0,$r]}" -v b="${T[$k,$r]}" 'BEGIN { printf "%.6f\n", a / b }'
            done | stats)
            read -r lo med hi <<<"$line"
            printf -v "RATIO_${tag}_$k" '%.3f' "$med"
            say "$(LC_ALL=C awk -v n="${names[0]}/${names[k]}" -v a="$lo" -v b="$med" -v c="$hi" \
                'BEGIN { printf "   %-20s ratio   min %.3f  median %.3f  max %.3f\n", n, a, b, c }')"
        fi
    done
}

# --- table -------------------------------------------------------------------------------------
ROWS=()
row() { # TAG K LABEL TARGET(max ratio)
    local tag=$1 k=$2 label=$3 target=$4 ours peer ratio verdict
    local -n oursRef="MED_${tag}_0" peerRef="MED_${tag}_$k" ratioRef="RATIO_${tag}_$k"
    ours=$oursRef peer=$peerRef ratio=$ratioRef
    if [[ -n ${FAIL[$tag]} ]]; then
        verdict="FAIL (${FAIL[$tag]})"
    elif LC_ALL=C awk -v r="$ratio" -v t="$target" 'BEGIN { exit !(r <= t) }'; then
        verdict=pass
    else
        verdict=FAIL
    fi
    ROWS+=("$(printf '%-34s %9s %9s %7s %7s  %s' "$label" "$ours" "$peer" "$ratio" "<=$target" "$verdict")")
}
skip_row() { ROWS+=("$(printf '%-34s %9s %9s %7s %7s  %s' "$1" - - - "<=$2" "skipped: $3")"); }

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

# --- 2. running a plan of 20,000 files of 4 KiB -----------------------------------------------
if wanted run; then
    S2="$SCRATCH/small/src" D2="$SCRATCH/small/dst"
    say "== building the copy tree (20,000 files of 4 KiB in 200 directories)"
    make_copy_tree "$S2"
    fresh_small=(set_aside "$D2")
    ryk_run=("$RYK" --run -r "$S2/" "$D2/")
    cp_a=(cp -a "$S2/." "$D2/")
    rsync_a=(rsync -a "$S2/" "$D2/")
    check_copy() {
        diff -r -q "$S2" "$D2" >/dev/null || { echo "contents differ"; return 1; }
        # Directory times change when entries are added, so compare files only.
        cmp -s <(tree_facts "$S2" | grep ' f ') <(tree_facts "$D2" | grep ' f ') ||
            { echo "file sizes, modes or times differ"; return 1; }
    }
    say "== 2. run: ryk-cli --run -r SRC/ DST/ vs cp -a, rsync -a (fresh empty DST before each run, untimed; old one moved aside)"
    if ((HAVE_RSYNC)); then
        measure small "$RUNS" fresh_small check_copy ryk_run cp_a rsync_a
    else
        measure small "$RUNS" fresh_small check_copy ryk_run cp_a
    fi
    row small 1 "run 20k x 4 KiB vs cp -a" 1.2
    if ((HAVE_RSYNC)); then
        row small 2 "run 20k x 4 KiB vs rsync -a" 0.75
    else
        skip_row "run 20k x 4 KiB vs rsync -a" 0.75 "no rsync"
    fi
fi

# --- 3. copying one 1 GiB file ----------------------------------------------------------------
if wanted big; then
    S3="$SCRATCH/big/src" D3="$SCRATCH/big/dst"
    say "== building a 1 GiB file"
    mkdir -p "$S3"
    head -c $((1 << 30)) /dev/urandom >"$S3/big"
    fresh_big=(fresh_dir "$D3")
    ryk_big=("$RYK" --run "$S3/" "$D3/")
    cp_big=(cp "$S3/big" "$D3/big")
    check_big() { cmp -s "$S3/big" "$D3/big" || { echo "copy differs"; return 1; }; }
    say "== 3. run: ryk-cli --run SRC/ DST/ vs cp SRC/big DST/big (fresh empty DST before each run, untimed)"
    measure big "$BIG_RUNS" fresh_big check_big ryk_big cp_big
    row big 1 "copy 1 GiB file vs cp" 1.05
    # The space goes back before the reflink image needs its share.
    rm -rf -- "$SCRATCH/big"
fi

# --- 4. syncing the 100,000-file tree after 1% changed, 1% added, 1% removed --------------------
if ! wanted sync; then
    :
elif ((HAVE_RSYNC)); then
    T4="$SCRATCH/sync/template" D4="$SCRATCH/sync/dst"
    say "== building the sync trees (the plan source; a destination that differs in 3% of its files)"
    mkdir -p "$T4"
    cp -a "$S1/." "$T4/"
    # 1% changed at the source (new contents and time), 1% the destination lacks (added at the
    # source), 1% only the destination has (removed from the source).
    find "$S1" -type f | LC_ALL=C sort | awk 'NR % 100 == 1' | while IFS= read -r f; do
        printf 'changed' >>"$f" && touch -d "@$((STAMP + 60))" "$f"
    done
    (cd "$S1" && find . -type f | LC_ALL=C sort | awk 'NR % 100 == 2') | while IFS= read -r f; do
        rm -f -- "$T4/$f"
    done
    (cd "$S1" && find . -type f | LC_ALL=C sort | awk 'NR % 100 == 3') | while IFS= read -r f; do
        printf 'gone' >"$T4/$f.removed"
    done
    fresh_sync=(eval 'set_aside "$D4" && cp -a "$T4/." "$D4/" && sync')
    ryk_sync=("$RYK" --run -= -r "$S1/" "$D4/")
    # The same work as ours: every file written again, whatever its date and size.
    rsync_delete=(rsync -a --delete --ignore-times "$S1/" "$D4/")
    check_sync() {
        diff -r -q "$S1" "$D4" >/dev/null || { echo "trees differ after the sync"; return 1; }
        cmp -s <(tree_facts "$S1" | grep ' f ') <(tree_facts "$D4" | grep ' f ') ||
            { echo "file sizes, modes or times differ"; return 1; }
    }
    say "== 4. sync: ryk-cli --run -= -r SRC/ DST/ vs rsync -a --delete --ignore-times (DST restored before each run, untimed)"
    measure sync "$RUNS" fresh_sync check_sync ryk_sync rsync_delete
    row sync 1 "sync 100k vs rsync --delete -I" 1.0
else
    skip_row "sync 100k vs rsync --delete -I" 1.0 "no rsync"
fi

# --- 5. copying one 1 GiB file where the file system shares extents (XFS with reflink) ---------
# Both sides share the source's extents: the time is a few system calls and the process start,
# and the copy should take next to no space. The image is a sparse file on the scratch parent.
SPACE_LINE=""
REFLINK_LABEL="reflink 1 GiB vs cp --reflink=auto"
SPACE_LABEL="reflink 1 GiB: MiB taken by copy"
SPACE_MAX_MIB=8
if wanted reflink; then
    IMG="$SCRATCH/xfs.img" MNT="$SCRATCH/xfs"
    why=""
    if ! command -v mkfs.xfs >/dev/null 2>&1; then
        why="no mkfs.xfs (apt-get install xfsprogs)"
    elif ! truncate -s 3G "$IMG" || ! mkfs.xfs -q -m reflink=1 "$IMG" >/dev/null 2>&1; then
        why="mkfs.xfs -m reflink=1 failed"
    elif ! mkdir -- "$MNT" || ! mount -o loop "$IMG" "$MNT" 2>/dev/null; then
        why="cannot loop-mount an image (needs root and a loop device)"
    fi
    if [[ -n $why ]]; then
        say "== 5. reflink: $why"
        skip_row "$REFLINK_LABEL" 1.5 "$why"
        skip_row "$SPACE_LABEL" "${SPACE_MAX_MIB}M" "$why"
    else
        XFS_MOUNT=$MNT
        S5="$MNT/src" D5="$MNT/dst"
        say "== building a 1 GiB file on XFS with reflink ($IMG)"
        mkdir -p "$S5"
        head -c $((1 << 30)) /dev/urandom >"$S5/big" && sync
        fresh_reflink=(fresh_dir "$D5")
        ryk_reflink=("$RYK" --run "$S5/" "$D5/")
        cp_reflink=(cp --reflink=auto "$S5/big" "$D5/big")
        check_reflink() { cmp -s "$S5/big" "$D5/big" || { echo "copy differs"; return 1; }; }
        say "== 5. reflink: ryk-cli --run SRC/ DST/ vs cp --reflink=auto SRC/big DST/big on XFS (fresh empty DST before each run, untimed)"
        measure reflink "$BIG_RUNS" fresh_reflink check_reflink ryk_reflink cp_reflink
        row reflink 1 "$REFLINK_LABEL" 1.5

        # Free space before and after one more copy by each, the copy written back first.
        free_mib() { df -Pk "$MNT" | awk 'NR == 2 { printf "%d", $4 / 1024 }'; }
        space_of() { # command array name -> "before after"
            local -n cmd=$1
            fresh_dir "$D5"
            local before after
            before=$(free_mib)
            "${cmd[@]}" >/dev/null 2>&1
            sync
            after=$(free_mib)
            echo "$before $after"
        }
        read -r oursBefore oursAfter <<<"$(space_of ryk_reflink)"
        read -r cpBefore cpAfter <<<"$(space_of cp_reflink)"
        oursUsed=$((oursBefore - oursAfter)) cpUsed=$((cpBefore - cpAfter))
        SPACE_LINE="reflink free space (MiB): ours $oursBefore -> $oursAfter, cp $cpBefore -> $cpAfter"
        say "   $SPACE_LINE"
        verdict=pass
        if [[ -n ${FAIL[reflink]} ]]; then
            verdict="FAIL (${FAIL[reflink]})"
        elif ((oursUsed > SPACE_MAX_MIB)); then
            verdict=FAIL
        fi
        ROWS+=("$(printf '%-34s %9s %9s %7s %7s  %s' "$SPACE_LABEL" "$oursUsed" "$cpUsed" - \
            "<=${SPACE_MAX_MIB}M" "$verdict")")
    fi
fi

# --- 6. moving 20,000 files of 4 KiB to another file system -----------------------------------
# A move across file systems copies; ours puts each copy on disk (file, then directory) before
# it deletes the source, which mv does not. The destination is a loop-mounted ext4 image, so
# the flushes reach a real (if virtual) disk; a tmpfs would make them free.
MOVE_LABEL="move 20k x 4 KiB across fs vs mv"
if wanted move; then
    IMG6="$SCRATCH/move.img" MNT6="$SCRATCH/movefs"
    why=""
    if ! command -v mkfs.ext4 >/dev/null 2>&1; then
        why="no mkfs.ext4 (apt-get install e2fsprogs)"
    elif ! truncate -s 2G "$IMG6" || ! mkfs.ext4 -q -F "$IMG6" >/dev/null 2>&1; then
        why="mkfs.ext4 failed"
    elif ! mkdir -- "$MNT6" || ! mount -o loop "$IMG6" "$MNT6" 2>/dev/null; then
        why="cannot loop-mount an image (needs root and a loop device)"
    fi
    if [[ -n $why ]]; then
        say "== 6. move: $why"
        skip_row "$MOVE_LABEL" 10 "$why"
    else
        MOVE_MOUNT=$MNT6
        T6="$SCRATCH/move/template" S6="$SCRATCH/move/src" D6="$MNT6/dst"
        say "== building the move tree (20,000 files of 4 KiB in 200 directories)"
        make_copy_tree "$T6"
        # A fresh source from the template and an empty destination before each run, untimed.
        fresh_move=(eval 'rm -rf -- "$S6" "$D6" && cp -a "$T6" "$S6" && mkdir -- "$D6" && sync')
        ryk_move=("$RYK" --run -m -r "$S6/" "$D6/")
        mv_all=(sh -c 'mv -- "$1"/* "$2"/' sh "$S6" "$D6")
        check_move() {
            diff -r -q "$T6" "$D6" >/dev/null || { echo "moved contents differ"; return 1; }
            [[ -z $(find "$S6" -type f -print -quit) ]] || { echo "source files left"; return 1; }
        }
        say "== 6. move: ryk-cli --run -m -r SRC/ DST/ vs mv SRC/* DST/ onto an ext4 image (fresh SRC and empty DST before each run, untimed)"
        measure move "$RUNS" fresh_move check_move ryk_move mv_all
        row move 1 "$MOVE_LABEL" 10
    fi
fi

# --- 7. running a plan of 40,000 lines in the result window -----------------------------------
# The desktop program's result window (offscreen, pressed by ryk-window-run as Enter would)
# against ryk-cli --run of the same plan: plan, list, run and close, both of them. What the window
# adds is drawing the rows, their marks and the status line while the files are made.
WINDOW_LABEL="window run 40k lines vs ryk-cli --run"
if wanted window; then
    S7="$SCRATCH/window/src" D7="$SCRATCH/window/dst"
    say "== building the window tree (200 directories of 199 files of 0..4 KiB: 40,000 lines)"
    make_window_tree() {
        local src=$1 blob d f i=0 rel
        blob=$(head -c 3072 /dev/urandom | base64 -w0) # 4096 bytes
        RANDOM=7
        mkdir -p "$src"
        for ((d = 0; d < 200; d++)); do
            name_for "w$d"
            rel=$REPLY
            mkdir -- "$src/$rel"
            for ((f = 0; f < 199; f++, i++)); do
                name_for "$i"
                printf '%s' "${blob:0:RANDOM % 4097}" >"$src/$rel/$REPLY"
            done
        done
    }
    make_window_tree "$S7"
    fresh_window=(set_aside "$D7")
    window_run=(env QT_QPA_PLATFORM=offscreen "$WINDOW_RUN" -r "$S7/" "$D7/")
    cli_run=("$RYK" --run -r "$S7/" "$D7/")
    check_window() {
        local lines
        lines=$("$RYK" -r "$S7/" "$D7/" 2>/dev/null | grep -c -v '^\[')
        diff -r -q "$S7" "$D7" >/dev/null || { echo "contents differ"; return 1; }
        cmp -s <(tree_facts "$S7" | grep ' f ') <(tree_facts "$D7" | grep ' f ') ||
            { echo "file sizes, modes or times differ"; return 1; }
        ((lines == 0)) || { echo "$lines lines left to do after the run"; return 1; }
    }
    say "== 7. window: ryk-window-run -r SRC/ DST/ (offscreen) vs ryk-cli --run -r SRC/ DST/ (fresh empty DST before each run, untimed; old one moved aside)"
    measure window "$RUNS" fresh_window check_window window_run cli_run
    row window 1 "$WINDOW_LABEL" 1.1
fi

# --- 7b. showing a plan of 1,000,000 lines in the result window --------------------------------
# The window plans, fills, shows and closes the list without running it (ryk-window-run
# --show-only), against ryk-cli printing the same plan; and the memory the window needs per
# line beyond what ryk-cli needs for the same list. Empty files: the tree takes inodes, not
# space.
WINDOW_1M_LABEL="window shows 1M lines vs ryk-cli"
WINDOW_1M_MEM_LABEL="window 1M: extra bytes per line"
WINDOW_1M_MEM_MAX=250
WINDOW_1M_LINES=1000000
if wanted window-1m; then
    free_inodes=$(df -Pi "$SCRATCH" | awk 'NR == 2 { print $4 }')
    if [[ ! $free_inodes =~ ^[0-9]+$ ]] || ((free_inodes < 1100000)); then
        why="fewer than 1.1 million free inodes under $PARENT"
        say "== 7b. window-1m: $why"
        skip_row "$WINDOW_1M_LABEL" 2 "$why"
        skip_row "$WINDOW_1M_MEM_LABEL" "${WINDOW_1M_MEM_MAX}B" "$why"
    else
        S7M="$SCRATCH/window-1m/src" D7M="$SCRATCH/window-1m/dst"
        say "== building the 1M-line tree (1,000 directories of 999 empty files: 1,000,000 lines)"
        # One touch per directory: a million redirections would take several minutes.
        make_million_tree() {
            local src=$1 d f i=0 dir names
            RANDOM=8
            mkdir -p "$src"
            for ((d = 0; d < 1000; d++)); do
                name_for "m$d"
                dir="$src/$REPLY"
                mkdir -- "$dir"
                names=()
                for ((f = 0; f < 999; f++, i++)); do
                    name_for "$i"
                    names+=("$REPLY")
                done
                (cd -- "$dir" && touch -- "${names[@]}") || return
            done
        }
        { make_million_tree "$S7M" && mkdir -p "$D7M"; } || die "cannot build the 1M-line tree"
        window_show=(env QT_QPA_PLATFORM=offscreen "$WINDOW_RUN" --show-only -r "$S7M/" "$D7M/")
        cli_print=("$RYK" -r "$S7M/" "$D7M/")
        no_prep_1m=(no_prep)
        # Run after the window's warm-up: its stderr is the summary it showed.
        check_window_1m() {
            grep -q "cmd=$WINDOW_1M_LINES," "$ERRFILE" ||
                { echo "the window showed: $(head -c 200 "$ERRFILE")"; return 1; }
        }
        say "== 7b. window-1m: ryk-window-run --show-only -r SRC/ DST/ (offscreen) vs ryk-cli -r SRC/ DST/"
        measure window1m "$RUNS" no_prep_1m check_window_1m window_show cli_print
        row window1m 1 "$WINDOW_1M_LABEL" 2
        # shellcheck disable=SC2154 # set through printf -v in measure
        extra=$(LC_ALL=C awk -v w="$MEMKIB_window1m_0" -v c="$MEMKIB_window1m_1" \
            -v n="$WINDOW_1M_LINES" 'BEGIN { printf "%.0f", (w - c) * 1024 / n }')
        verdict=pass
        if [[ -n ${FAIL[window1m]} ]]; then
            verdict="FAIL (${FAIL[window1m]})"
        elif ((extra > WINDOW_1M_MEM_MAX)); then
            verdict=FAIL
        fi
        ROWS+=("$(printf '%-34s %9s %9s %7s %7s  %s' "$WINDOW_1M_MEM_LABEL" "$extra" - - \
            "<=${WINDOW_1M_MEM_MAX}B" "$verdict")")
        say "   peak memory: window $((MEMKIB_window1m_0 / 1024)) MiB, ryk-cli $((MEMKIB_window1m_1 / 1024)) MiB: $extra bytes per line more"
    fi
fi

# --- 8. a sync that leaves out unchanged files, of 20,000 files of 4 KiB -----------------------
# Against rsync's own rule (size and time), without --ignore-times: (a) nothing changed, so
# both only read the two trees; (b) 1% of the destination's files changed, written back
# before each run, untimed.
SKIP_SAME_LABEL="skip-unchanged 20k same vs rsync"
SKIP_1PCT_LABEL="skip-unchanged 20k 1% vs rsync"
if ! wanted skip-same && ! wanted skip-1pct; then
    :
elif ((HAVE_RSYNC)); then
    S8="$SCRATCH/skip/src" D8="$SCRATCH/skip/dst"
    say "== building the skip trees (20,000 files of 4 KiB in 200 directories, and a copy)"
    make_copy_tree "$S8"
    cp -a "$S8" "$D8" && sync
    ryk_skip=("$RYK" --run -= -r --skip-unchanged "$S8/" "$D8/")
    rsync_skip=(rsync -a --delete "$S8/" "$D8/")
    check_skip() {
        diff -r -q "$S8" "$D8" >/dev/null || { echo "trees differ after the sync"; return 1; }
        cmp -s <(tree_facts "$S8" | grep ' f ') <(tree_facts "$D8" | grep ' f ') ||
            { echo "file sizes, modes or times differ"; return 1; }
        local left
        left=$("$RYK" -= -r --skip-unchanged "$S8/" "$D8/" 2>/dev/null | wc -l)
        ((left == 1)) || { echo "$((left - 1)) lines planned for equal trees"; return 1; }
    }
    if wanted skip-same; then
        no_prep_skip=(no_prep)
        say "== 8a. sync of equal trees: ryk-cli --run -= -r --skip-unchanged SRC/ DST/ vs rsync -a --delete"
        measure skipsame "$RUNS" no_prep_skip check_skip ryk_skip rsync_skip
        row skipsame 1 "$SKIP_SAME_LABEL" 1.0
    fi
    if wanted skip-1pct; then
        SKIP_CHANGED="$SCRATCH/skip/changed.txt"
        (cd "$D8" && find . -type f | LC_ALL=C sort | awk 'NR % 100 == 1') >"$SKIP_CHANGED"
        # New contents and a later time in the destination: both tools copy these 200 back.
        dirty_skip() {
            while IFS= read -r f; do
                printf 'changed' >>"$D8/$f" && touch -d "@$((STAMP + 60))" "$D8/$f"
            done <"$SKIP_CHANGED"
            sync
        }
        dirty_skip_cmd=(dirty_skip)
        say "== 8b. sync after 1% changed: ryk-cli --run -= -r --skip-unchanged SRC/ DST/ vs rsync -a --delete (200 files changed before each run, untimed)"
        measure skip1pct "$RUNS" dirty_skip_cmd check_skip ryk_skip rsync_skip
        row skip1pct 1 "$SKIP_1PCT_LABEL" 1.0
    fi
else
    wanted skip-same && skip_row "$SKIP_SAME_LABEL" 1.0 "no rsync"
    wanted skip-1pct && skip_row "$SKIP_1PCT_LABEL" 1.0 "no rsync"
fi

# --- 9. the read-back check: a copy with --verify against the same copy without it ----------
# (a) the 1 GiB file into a fresh directory; (b) the 20,000 files of 4 KiB into a fresh tree.
# Each copy is put on disk and read back from it, so the ratio is mostly the disk's.
if wanted verify-big || wanted verify-small; then
    S9="$SCRATCH/verify/src" D9="$SCRATCH/verify/dst"
    if wanted verify-big; then
        say "== building a 1 GiB file"
        mkdir -p "$S9"
        head -c $((1 << 30)) /dev/urandom >"$S9/big"
        fresh_verify=(fresh_dir "$D9")
        ryk_checked=("$RYK" --run --verify "$S9/" "$D9/")
        ryk_unchecked=("$RYK" --run "$S9/" "$D9/")
        check_verify() { cmp -s "$S9/big" "$D9/big" || { echo "copy differs"; return 1; }; }
        say "== 9a. ryk-cli --run --verify SRC/ DST/ vs ryk-cli --run SRC/ DST/ (1 GiB, fresh DST)"
        measure verifybig "$BIG_RUNS" fresh_verify check_verify ryk_checked ryk_unchecked
        row verifybig 1 "verify 1 GiB vs no verify" 3.0
        rm -rf -- "$SCRATCH/verify"
    fi
    if wanted verify-small; then
        say "== building the copy tree (20,000 files of 4 KiB in 200 directories)"
        make_copy_tree "$S9"
        fresh_verify=(set_aside "$D9")
        ryk_checked=("$RYK" --run --verify -r "$S9/" "$D9/")
        ryk_unchecked=("$RYK" --run -r "$S9/" "$D9/")
        check_verify() { diff -r -q "$S9" "$D9" >/dev/null || { echo "contents differ"; return 1; }; }
        say "== 9b. ryk-cli --run --verify -r SRC/ DST/ vs ryk-cli --run -r SRC/ DST/ (20k x 4 KiB, fresh DST)"
        measure verifysmall "$RUNS" fresh_verify check_verify ryk_checked ryk_unchecked
        row verifysmall 1 "verify 20k x 4 KiB vs no verify" 3.0
    fi
fi

# --- table -------------------------------------------------------------------------------------
echo
printf '%-34s %9s %9s %7s %7s  %s\n' measurement "ours s" "peer s" ratio target result
printf '%s\n' "${ROWS[@]}"
[[ -n $MEM_LINE ]] && echo "$MEM_LINE"
[[ -n $SPACE_LINE ]] && echo "$SPACE_LINE"
[[ -n $LATE_NOTE ]] && echo "$LATE_NOTE"
echo "(medians of $RUNS rounds, $BIG_RUNS for the 1 GiB copies; ratio = median of per-round ours/peer)"
