#!/bin/sh
# Converts every game of the PGN files given (default: all of testdata/pgn) one by one with
# Orvanel and with pgn-extract and counts where they agree. Each game is cut out of its file at
# its Event tag and converted alone, so that a faulty game does not hide the ones after it.
# Usage: tools/orvanel/tests/compare_with_pgn_extract.sh [build folder] [file.pgn ...]
set -eu
top=$(cd "$(dirname "$0")/../../.." && pwd)
build=${1:-$top/build}
[ $# -gt 0 ] && shift
orvanel="$build/bin/AddOn/Orvanel"
extract=$(command -v pgn-extract || echo /usr/games/pgn-extract)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ $# -eq 0 ] && set -- "$top"/testdata/pgn/*.pgn
for file in "$@"; do
    python3 - "$file" "$work/split" <<'PY'
import os, re, shutil, sys
source, folder = sys.argv[1:3]
shutil.rmtree(folder, ignore_errors=True)
os.makedirs(folder)
pieces = re.split(rb'(?:\r?\n)(?=\[Event )', open(source, 'rb').read())
games = [p for p in pieces if p.strip().startswith(b'[')]
for i, game in enumerate(games):
    open('%s/%05d.pgn' % (folder, i + 1), 'wb').write(game.rstrip(b'\r\n') + b'\r\n\r\n')
PY
    agree=0; differ=0; orvanel_only=0; extract_only=0; both=0; uncounted=0; positions=0
    for game in "$work"/split/*.pgn; do
        [ -e "$game" ] || continue
        if "$orvanel" "$game" "$work/o.epd" > "$work/o.msg" 2>&1; then ok=1; else ok=0; fi
        "$extract" -s -Wepd "$game" 2>/dev/null | awk 'length($0) == 0 { exit } { print }' |
            cut -d' ' -f1-4 > "$work/p.epd"
        n=$(wc -l < "$work/p.epd")
        if [ $ok -eq 0 ] && [ "$n" -eq 0 ]; then both=$((both + 1))
        elif [ $ok -eq 0 ]; then orvanel_only=$((orvanel_only + 1)); echo "  $(basename "$game"): $(head -c 160 "$work/o.msg")"
        elif [ "$n" -eq 0 ]; then extract_only=$((extract_only + 1))
        elif [ ! -s "$work/o.epd" ]; then uncounted=$((uncounted + 1))  # no Result tag: never counted
        elif tr -d '\r' < "$work/o.epd" | cmp -s - "$work/p.epd"; then agree=$((agree + 1)); positions=$((positions + n))
        else differ=$((differ + 1)); echo "  $(basename "$game"): positions differ"
        fi
    done
    echo "$(basename "$file"): agree $agree ($positions positions), differ $differ, only Orvanel rejects $orvanel_only, only pgn-extract rejects $extract_only, both reject $both, without Result tag $uncounted"
done
