# Sourced by bench/run.sh: the desktop program's result window.
# shellcheck shell=bash disable=SC2034,SC2154

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

