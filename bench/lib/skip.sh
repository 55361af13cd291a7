# Sourced by bench/run.sh: a sync that leaves out unchanged files.
# shellcheck shell=bash disable=SC2034,SC2154

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

