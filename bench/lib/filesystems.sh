# Sourced by bench/run.sh: copying on XFS with reflink, moving to another file system.
# shellcheck shell=bash disable=SC2034,SC2154

# Makes an image file of `size` ($3) at $1, formats it with the command from $5 on (from the
# Debian package $4) and loop-mounts it at $2; sets `why` to the reason when it cannot.
mount_image() {
    local image=$1 mount=$2 size=$3 package=$4
    shift 4
    why=""
    if ! command -v "$1" >/dev/null 2>&1; then
        why="no $1 (apt-get install $package)"
    elif ! truncate -s "$size" "$image" || ! "$@" "$image" >/dev/null 2>&1; then
        why="$* failed"
    elif ! mkdir -- "$mount" || ! mount -o loop "$image" "$mount" 2>/dev/null; then
        why="cannot loop-mount an image (needs root and a loop device)"
    fi
}

# --- 5. copying one 1 GiB file where the file system shares extents (XFS with reflink) ---------
# Both sides share the source's extents: the time is a few system calls and the process start,
# and the copy should take next to no space. The image is a sparse file on the scratch parent.
SPACE_LINE=""
REFLINK_LABEL="reflink 1 GiB vs cp --reflink=auto"
SPACE_LABEL="reflink 1 GiB: MiB taken by copy"
SPACE_MAX_MIB=8
if wanted reflink; then
    IMG="$SCRATCH/xfs.img" MNT="$SCRATCH/xfs"
    mount_image "$IMG" "$MNT" 3G xfsprogs mkfs.xfs -q -m reflink=1
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
    mount_image "$IMG6" "$MNT6" 2G e2fsprogs mkfs.ext4 -q -F
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

