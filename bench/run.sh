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
  --only LIST    only these measurements, comma-separated: plan, cold, run, real, big, sync,
                 reflink, move, window, window-1m, skip-same, skip-1pct, verify-big,
                 verify-small (default all of them)
  --keep         keep the scratch trees (they are removed by default)
  SCRATCH_PARENT where the scratch directory is made (default $RYK_BENCH_DIR, else $TMPDIR
                 or /tmp); it needs about 6 GiB free

Extra CMake arguments for the Release build: RYK_BENCH_CMAKE_ARGS="-DFOO=BAR ...".
EOF
}

RUNS=9
BIG_RUNS=7
KEEP=0
ONLY=plan,cold,run,real,big,sync,reflink,move,window,window-1m,skip-same,skip-1pct,verify-big,verify-small
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
    plan | cold | run | real | big | sync | reflink | move | window | window-1m | skip-same | \
        skip-1pct | verify-big | verify-small) ;;
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


LIB="$ROOT/bench/lib"
# shellcheck source=bench/lib/common.sh
source "$LIB/common.sh"
# shellcheck source=bench/lib/plan.sh
source "$LIB/plan.sh"
# shellcheck source=bench/lib/copy.sh
source "$LIB/copy.sh"
# shellcheck source=bench/lib/filesystems.sh
source "$LIB/filesystems.sh"
# shellcheck source=bench/lib/window.sh
source "$LIB/window.sh"
# shellcheck source=bench/lib/skip.sh
source "$LIB/skip.sh"
# shellcheck source=bench/lib/verify.sh
source "$LIB/verify.sh"

# --- table -------------------------------------------------------------------------------------
echo
printf '%-34s %9s %9s %7s %7s  %s\n' measurement "ours s" "peer s" ratio target result
printf '%s\n' "${ROWS[@]}"
[[ -n $MEM_LINE ]] && echo "$MEM_LINE"
[[ -n $SPACE_LINE ]] && echo "$SPACE_LINE"
[[ -n $LATE_NOTE ]] && echo "$LATE_NOTE"
echo "(medians of $RUNS rounds, $BIG_RUNS for the 1 GiB copies; ratio = median of per-round ours/peer)"
