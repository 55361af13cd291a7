# Sourced by bench/run.sh: the trees, the timing and the table rows.
# shellcheck shell=bash disable=SC2034,SC2154

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
