#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every option a program's --help names is in its manual page, so a new option cannot go
# undocumented. The page's "\-" are read as "-".
#   man-options.sh PROGRAM MANPAGE
set -euo pipefail
program=$1
page=$2
help=$("$program" --help)
text=$(sed 's/\\-/-/g' "$page")
options=$(grep -oE '(^|[^A-Za-z0-9_-])--?[A-Za-z][A-Za-z0-9-]*' <<< "$help" | sed -E 's/^[^-]+//' | sort -u)
[ -n "$options" ] || { echo "$program --help names no option" >&2; exit 1; }
missing=0
for option in $options; do
  if ! grep -qE -- "(^|[^A-Za-z0-9_-])$option([^A-Za-z0-9-]|$)" <<< "$text"; then
    echo "$(basename "$page"): $option is not documented" >&2
    missing=1
  fi
done
exit "$missing"
