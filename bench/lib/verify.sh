# Sourced by bench/run.sh: the read-back check's cost.
# shellcheck shell=bash disable=SC2034,SC2154

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
        row verifysmall 1 "verify 20k x 4 KiB vs no verify" 10
    fi
fi
