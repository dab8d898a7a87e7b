#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# GPX as gpsbabel writes it from a log (a track in GPX 1.0 and 1.1, the same as a route with
# route-point extensions, and as waypoints) and the GPX files given, each described by
# orvane-map info, against gpsbabel's own reading of the same file: the same number of
# waypoints, of routes and of track segments that hold points, of route points and of track
# points. Skipped (status 77) without gpsbabel.
set -euo pipefail
map=$1
log=$2
shift 2
command -v gpsbabel >/dev/null || { echo "gpsbabel is not installed; skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gpsbabel -t -i nmea -f "$log" -o gpx -F "$work/track-1.0.gpx"
gpsbabel -t -i nmea -f "$log" -o gpx,gpxver=1.1 -F "$work/track-1.1.gpx"
gpsbabel -t -i nmea -f "$log" -x transform,rte=trk,del -r -o gpx,gpxver=1.1,garminextensions=1 -F "$work/route.gpx"
gpsbabel -t -i nmea -f "$log" -x transform,wpt=trk,del -w -o gpx -F "$work/waypoints.gpx"
status=0
for file in "$work"/*.gpx "$@"; do
  ours=$("$map" info "$file" |
    awk -F': ' '/^  (waypoints|routes|route points|track segments|track points):/ { sub(/^  /, "", $1); print $1 ": " $2 }')
  # gpsbabel's reading, written out again one element a line; lines without points not counted.
  theirs=$(gpsbabel -w -r -t -i gpx -f "$file" -o gpx,gpxver=1.1 -F - | awk '
    /<wpt / { w++ }
    /<rte>/ { inRoute = 1; points = 0 }
    /<trkseg>/ { inSegment = 1; points = 0 }
    /<rtept / { rp++; points++ }
    /<trkpt / { tp++; points++ }
    /<\/rte>/ { if (points) r++; inRoute = 0 }
    /<\/trkseg>/ { if (points) s++; inSegment = 0 }
    END {
      printf "waypoints: %d\nroutes: %d\nroute points: %d\ntrack segments: %d\ntrack points: %d\n", w, r, rp, s, tp
    }')
  if [ "$ours" != "$theirs" ]; then
    echo "$(basename "$file"): orvane-map info and gpsbabel differ"
    diff <(echo "$ours") <(echo "$theirs") || true
    status=1
  fi
done
exit $status
