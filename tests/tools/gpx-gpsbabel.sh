#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# GPX written by orvane-nmea --gpx, read by gpsbabel, against gpsbabel's own reading of the same
# log: the same points in the same order, positions within 1e-6 degrees, the same dates and
# times. Skipped (status 77) without gpsbabel.
set -euo pipefail
tool=$1
shift
command -v gpsbabel >/dev/null || { echo "gpsbabel is not installed; skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for log in "$@"; do
  "$tool" --gpx "$log" >"$work/ours.gpx"
  gpsbabel -t -i gpx -f "$work/ours.gpx" -o unicsv,utc=0 -F "$work/ours.csv"
  gpsbabel -t -i nmea -f "$log" -o unicsv,utc=0 -F "$work/theirs.csv"
  if ! paste -d'|' "$work/ours.csv" "$work/theirs.csv" | awk -F'|' -v name="$log" '
      NR == 1 { next }
      {
        n = split($1, a, ","); m = split($2, b, ",")
        if (n < 6 || m < 6) { print name ": point " NR - 1 " missing on one side"; bad = 1; next }
        d1 = a[2] - b[2]; d2 = a[3] - b[3]
        if (d1 < 0) d1 = -d1
        if (d2 < 0) d2 = -d2
        if (d1 > 1.1e-6 || d2 > 1.1e-6 || a[n - 1] != b[m - 1] || a[n] != b[m]) {
          print name ": point " NR - 1 ": " $1 " against " $2; bad = 1
        }
        count++
      }
      END { if (count == 0) { print name ": no points"; bad = 1 } exit bad }'; then
    status=1
  fi
done
exit $status
