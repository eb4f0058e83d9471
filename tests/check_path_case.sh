#!/bin/sh
# Fails when two paths of the tree (files or folders) differ only in letter
# case: a case-insensitive file system, as on Windows or macOS, holds only one.
#   check_path_case.sh SOURCE_DIR
cd "$1" || exit 2
paths=$(git ls-files --cached --others --exclude-standard) || exit 2
clashes=$(printf '%s\n' "$paths" |
  awk -F/ '{ p = $1; print p; for (i = 2; i <= NF; i++) { p = p "/" $i; print p } }' | sort -u |
  tr '[:upper:]' '[:lower:]' | sort | uniq -d)
[ -z "$clashes" ] && exit 0
printf 'paths that differ only in case: %s\n' $clashes
exit 1
