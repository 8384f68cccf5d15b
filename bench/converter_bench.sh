#!/bin/sh
# Times the converters. Orvanel reads and plays every game before the one it converts, so it
# converts the last game of a 145,000-game collection of real games (Carlsen.pgn repeated), side
# by side with pgn-extract extracting the same game to EPD from the same file and with `cat`
# reading the file (the floor: the time the file takes to read); Quenbry converts a 500-ply QBX
# file. Needs hyperfine, jq and pgn-extract (Debian packages).
# Usage: bench/converter_bench.sh [build folder] [games]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
orvanel="$build/bin/AddOn/Orvanel"
quenbry="$build/bin/AddOn/Quenbry"
extract=$(command -v pgn-extract || echo /usr/games/pgn-extract)

wanted=${2:-145000}
python3 - "$top/testdata/pgn/Carlsen.pgn" "$work/games.pgn" "$work/game.qbx" "$wanted" <<'PY'
import re, struct, sys
source, pgn_out, qbx_out = sys.argv[1:4]
wanted = int(sys.argv[4])
games = [g for g in re.split(rb'(?:\r?\n)(?=\[Event )', open(source, 'rb').read()) if g.strip()]
games = [g.rstrip(b'\r\n') + b'\r\n\r\n' for g in games]
with open(pgn_out, 'wb') as out:
    for i in range(wanted):
        out.write(games[i % len(games)])
# 500 plies: the knights hop out and back.
header = bytearray(676)
header[0] = 6
header[1:7] = b'QBX300'
struct.pack_into('<H', header, 543, 500)
hops = [(6, 25), (76, 55), (25, 6), (55, 76)]
plies = b''.join(bytes([f, t]) + bytes(40) for i in range(500) for f, t in [hops[i % 4]])
open(qbx_out, 'wb').write(bytes(header) + plies)
PY
echo "PGN file: $(grep -c '^\[Event ' "$work/games.pgn") games, $(wc -c < "$work/games.pgn") bytes"

cd "$work"
hyperfine --warmup 1 --runs 5 --export-markdown "$work/pgn.md" --export-json "$work/pgn.json" \
    -n Orvanel "$orvanel -g $wanted games.pgn orvanel.epd" \
    -n pgn-extract "$extract -s -Wepd --selectonly $wanted -oextract.epd games.pgn" \
    -n cat "cat games.pgn > /dev/null"
cut -d' ' -f1-4 extract.epd | sed '/^$/d' > extract4.epd
tr -d '\r' < orvanel.epd > orvanel4.epd
if cmp -s orvanel4.epd extract4.epd; then
    echo "Both wrote the same $(wc -l < orvanel4.epd) positions of game $wanted."
else
    echo "The outputs differ!" >&2
    exit 1
fi
cat "$work/pgn.md"
jq -r --argjson games "$wanted" '
    [.results[] | {(.command): .mean}] | add as $t |
    "Orvanel / pgn-extract: \($t.Orvanel / $t["pgn-extract"] * 1000 | round / 1000)",
    "Orvanel / cat: \($t.Orvanel / $t.cat | round)",
    "games per second: Orvanel \($games / $t.Orvanel | round), pgn-extract \($games / $t["pgn-extract"] | round)"
' "$work/pgn.json"
hyperfine --warmup 3 --runs 30 -N -n "Quenbry 500 plies" "$quenbry game.qbx quenbry.epd"
echo "Quenbry wrote $(wc -l < quenbry.epd) lines."
