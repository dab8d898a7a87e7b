#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Decodes every log under the data folder and compares the output with the expected files
# beside it; prints the first differing line of each mismatch.
set -euo pipefail
tool=$1
data=$2
status=0
check() {  # expected-file, then the tool's arguments
  local expected=$1; shift
  local actual
  actual=$(mktemp)
  "$tool" "$@" >"$actual" 2>/dev/null || true
  if ! cmp -s "$expected" "$actual"; then
    echo "MISMATCH $expected:"
    diff "$expected" "$actual" | head -n 4
    status=1
  fi
  rm -f "$actual"
}
cd "$data"
for log in *.log; do
  base=${log%.log}
  args=()
  [ -f "$base.args" ] && read -r -a args <"$base.args"
  [ -f "$base.expected" ] || { echo "no expected output for $log"; status=1; continue; }
  check "$base.expected" "${args[@]}" "$log"
  [ -f "$base.json.expected" ] && check "$base.json.expected" "${args[@]}" --json "$log"
  [ -f "$base.summary.expected" ] && check "$base.summary.expected" "${args[@]}" --summary "$log"
  [ -f "$base.gpx.expected" ] && check "$base.gpx.expected" "${args[@]}" --gpx "$log"
  [ -f "$base.stats.expected" ] && check "$base.stats.expected" "${args[@]}" --stats "$log"
done
# A log whose lines end in CR LF decodes exactly so with LF alone and with CR CR LF.
ends=$(mktemp -d)
for log in *.log; do
  base=${log%.log}
  # Only a log of CR LF lines alone: every line ends in CR LF, and no CR stands elsewhere.
  crs=$(tr -cd '\r' <"$log" | wc -c)
  [ "$(grep -c '' "$log")" = "$crs" ] && [ "$(grep -c $'\r$' "$log")" = "$crs" ] || continue
  args=()
  [ -f "$base.args" ] && read -r -a args <"$base.args"
  "$tool" "${args[@]}" --json "$log" >"$ends/crlf.json" 2>/dev/null || true
  for end in lf crcrlf; do
    case $end in
      lf) sed 's/\r$//' "$log" >"$ends/$log" ;;
      crcrlf) sed 's/\r$/\r\r/' "$log" >"$ends/$log" ;;
    esac
    "$tool" "${args[@]}" --json "$ends/$log" >"$ends/$end.json" 2>/dev/null || true
    cmp -s "$ends/crlf.json" "$ends/$end.json" || { echo "MISMATCH $log with $end line ends"; status=1; }
  done
done
# A file without NMEA (a GPX track given by mistake), an empty one and one whose sentences no
# decoder takes give status 1 and say why.
printf '<?xml version="1.0"?>\n<gpx version="1.1"><trk><trkseg/></trk></gpx>\n' >"$ends/area.gpx"
: >"$ends/empty.log"
printf '$GPVTG,45.5,T,,M,10.0,N,18.5,K*4E\r\n' >"$ends/vtg.log"
for file in area.gpx empty.log vtg.log; do
  err=$("$tool" --summary "$ends/$file" 2>&1 >/dev/null) && rc=0 || rc=$?
  if [ "$rc" != 1 ] || [[ "$err" != *"$file"* ]]; then echo "$file: status $rc, message '$err'"; status=1; fi
done
rm -rf "$ends"
# The command line: an unreadable file names itself and gives 1, --help 0, a wrong option 2.
err=$("$tool" no-such-file.log 2>&1 >/dev/null) && rc=0 || rc=$?
if [ "$rc" != 1 ] || [[ "$err" != *no-such-file.log* ]]; then echo "missing file: status $rc, message '$err'"; status=1; fi
"$tool" --help >/dev/null || { echo "--help failed"; status=1; }
"$tool" --no-such-option >/dev/null 2>&1 && rc=0 || rc=$?
[ "$rc" = 2 ] || { echo "bad option: status $rc, not 2"; status=1; }
exit $status
