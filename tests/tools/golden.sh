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
done
# The command line: an unreadable file names itself and gives 1, --help 0, a wrong option 2.
err=$("$tool" no-such-file.log 2>&1 >/dev/null) && rc=0 || rc=$?
if [ "$rc" != 1 ] || [[ "$err" != *no-such-file.log* ]]; then echo "missing file: status $rc, message '$err'"; status=1; fi
"$tool" --help >/dev/null || { echo "--help failed"; status=1; }
"$tool" --no-such-option >/dev/null 2>&1 && rc=0 || rc=$?
[ "$rc" = 2 ] || { echo "bad option: status $rc, not 2"; status=1; }
exit $status
