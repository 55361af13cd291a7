# Sourced by bench/run.sh: copying small files, one large file, and a sync.
# shellcheck shell=bash disable=SC2034,SC2154

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
    row small 1 "run 20k x 4 KiB vs cp -a" 0.6
    if ((HAVE_RSYNC)); then
        row small 2 "run 20k x 4 KiB vs rsync -a" 0.75
    else
        skip_row "run 20k x 4 KiB vs rsync -a" 0.75 "no rsync"
    fi
fi

# --- 2b. running a plan of a real tree: /usr/share/doc and /usr/include, links included ------
if wanted real; then
    S2R="$SCRATCH/real/src" D2R="$SCRATCH/real/dst"
    say "== copying /usr/share/doc and /usr/include once as the real tree's source (untimed)"
    mkdir -p "$S2R"
    cp -a /usr/share/doc "$S2R/doc" && cp -a /usr/include "$S2R/include" ||
        die "cannot copy /usr/share/doc and /usr/include into $S2R"
    say "   $(find "$S2R" -type f | wc -l) files, $(find "$S2R" -type l | wc -l) links, $(find "$S2R" -type d | wc -l) directories, $(du -sh "$S2R" | cut -f1)"
    fresh_real=(set_aside "$D2R")
    # -e: the empty directories too, as cp -a makes them.
    ryk_real=("$RYK" --run -e "$S2R/" "$D2R/")
    cp_real=(cp -a "$S2R/." "$D2R/")
    check_real() {
        diff -r -q --no-dereference "$S2R" "$D2R" >/dev/null || { echo "contents differ"; return 1; }
        cmp -s <(tree_facts "$S2R" | grep -v ' d ') <(tree_facts "$D2R" | grep -v ' d ') ||
            { echo "file types, sizes, modes or times differ"; return 1; }
    }
    say "== 2b. run: ryk-cli --run -e SRC/ DST/ vs cp -a on the real tree (fresh empty DST before each run)"
    measure real "$RUNS" fresh_real check_real ryk_real cp_real
    row real 1 "run real tree vs cp -a" 0.8
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

