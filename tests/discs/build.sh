#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Rebuilds the test discs of tests/discs/ from their recipes.
#
# usage: tests/discs/build.sh [DISC...]
#   DISC  names of recipe folders to build (default: all of them)
#
# Each disc is made from scratch into tests/discs/<disc>/VIDEO_TS/: tiny
# solid-colour MPEG-2 program streams are encoded with ffmpeg (NTSC, AC3
# audio, about half a second each), button pictures are drawn from the
# spumux XML by mkpng.py and muxed in by spumux, dvdauthor assembles the disc
# from recipes/<disc>/dvdauthor.xml, and patch_<disc> (where there is one)
# edits what dvdauthor cannot write with ifopatch.py. features.txt and
# expected.txt beside VIDEO_TS/ are written by hand and left alone.
#
# Needs the Debian packages dvdauthor (dvdauthor, spumux), ffmpeg and python3,
# which scripts/install-deps discs installs. Only rebuilding needs them: the
# built discs are committed and the tests read those.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
RECIPES=$HERE/recipes
ALL="fp_registers decoy call_resume region nav_timer menu_loop no_first_play"
DISCS=${*:-$ALL}

"$HERE/../../scripts/install-deps" discs
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# vid OUT.mpg SECONDS COLOUR
#   a solid-colour 720x480 NTSC MPEG-2 stream with silent AC3 audio and DVD
#   NAV packs (ffmpeg's dvd muxer writes one at every 18-frame GOP, so a
#   stream of 0.6 s or less is a single VOBU)
vid() {
    ffmpeg -nostdin -hide_banner -loglevel error -y \
        -f lavfi -i "color=c=$3:s=720x480:r=30000/1001" \
        -f lavfi -i "anullsrc=r=48000:cl=stereo" -t "$2" \
        -target ntsc-dvd -aspect 4:3 -g 18 -b:v 150k -maxrate 1500k \
        -c:a ac3 -b:a 64k -ac 2 \
        -fflags +bitexact -flags:v +bitexact -flags:a +bitexact "$1"
}

# spu IN.mpg RECIPE_SPUMUX.xml OUT.mpg
#   draws the button PNGs named in the spumux XML and muxes the subpicture in
#   as subpicture stream 0
spu() {
    python3 "$HERE/mkpng.py" "$2" 720 480 .
    spumux -s 0 "$2" <"$1" >"$3" 2>"$3.spumux.log" || {
        cat "$3.spumux.log" >&2
        return 1
    }
}

# patch DISC_FILE ARGS...: ifopatch.py on a file of the disc being built
patch() {
    local file=$1
    shift
    python3 "$HERE/ifopatch.py" "$OUT/VIDEO_TS/$file" "$@"
}

media_fp_registers() {
    vid ts1.mpg 0.5 red
    vid ts2.mpg 0.5 green
}

media_decoy() {
    local r=$RECIPES/decoy
    vid bg.mpg 0.5 blue
    spu bg.mpg "$r/menu4.spumux.xml" menu4.mpg
    vid bg2.mpg 0.5 teal
    spu bg2.mpg "$r/more3.spumux.xml" more3.mpg
    vid ts1.mpg 0.5 red
    vid ts2.mpg 0.5 orange
}

# Title lengths that mislead: title 7, the one the highlighted button leads
# to, plays 10:30 in two chapters; title 11, which nothing reaches, is the
# longest; titles 5, 9, 10 and 12 come within a minute of title 7.
patch_decoy() {
    local times=(0:00:45 0:01:30 0:09:20 0:02:10 0:09:50 0:00:30)
    local pgc
    for pgc in 1 2 3 4 5 6; do
        patch VTS_01_0.IFO times "$pgc" "${times[pgc - 1]}"
    done
    patch VTS_02_0.IFO times 1 0:05:00,0:05:30
    times=(- 0:02:00 0:10:05 0:10:10 0:14:40 0:10:20)
    for pgc in 2 3 4 5 6; do
        patch VTS_02_0.IFO times "$pgc" "${times[pgc - 1]}"
    done
}

media_call_resume() {
    vid bg.mpg 0.5 navy
    spu bg.mpg "$RECIPES/call_resume/menu1.spumux.xml" menu1.mpg
    vid part1.mpg 0.5 red
    vid part2.mpg 0.5 maroon
}

media_region() {
    vid title.mpg 0.5 purple
}

media_nav_timer() {
    vid still.mpg 0.5 gray
    vid title.mpg 0.5 olive
}

# Title 1 (PGC 1) starts the navigation timer: 3 seconds, then PGC 2.
patch_nav_timer() {
    patch VTS_01_0.IFO timer 1 3 2
}

media_menu_loop() {
    vid menu1.mpg 0.5 blue
    vid menu2.mpg 0.5 green
    vid title.mpg 0.5 red
}

media_no_first_play() {
    vid bg.mpg 0.5 silver
    spu bg.mpg "$RECIPES/no_first_play/menu2.spumux.xml" menu2.mpg
    vid title.mpg 0.5 yellow
}

# The disc has no first-play chain.
patch_no_first_play() {
    patch VIDEO_TS.IFO no-first-play
}

for d in $DISCS; do
    case " $ALL " in *" $d "*) ;; *)
        echo "build.sh: unknown disc '$d'" >&2
        exit 1
        ;;
    esac
    echo "== $d"
    OUT=$HERE/$d
    mkdir -p "$WORK/$d" "$OUT"
    (
        cd "$WORK/$d"
        "media_$d"
        rm -rf "${OUT:?}/VIDEO_TS"
        if ! dvdauthor -o "$OUT" -x "$RECIPES/$d/dvdauthor.xml" >dvdauthor.log 2>&1 ||
            grep -q '^ERR:' dvdauthor.log; then
            grep -E '^(ERR|WARN):' dvdauthor.log >&2 || tail -20 dvdauthor.log >&2
            echo "build.sh: dvdauthor failed for $d" >&2
            exit 1
        fi
        grep '^WARN:' dvdauthor.log | sort | uniq -c | sed 's/^/   /' || true
        if declare -F "patch_$d" >/dev/null; then
            "patch_$d"
        fi
        # dvdauthor leaves an empty AUDIO_TS beside VIDEO_TS; git keeps no
        # empty folders, so neither do the committed discs.
        rmdir "$OUT/AUDIO_TS" 2>/dev/null || true
    )
    du -sk "$OUT/VIDEO_TS" | awk '{print "   " $1 " KiB"}'
done
