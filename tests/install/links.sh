#!/bin/sh
# Every relative link in the README and in docs/ names a file that exists; each
# one that does not is printed. Usage: links.sh SOURCE_DIR
cd "$1" || exit 1
status=0
for page in README.md docs/*.md; do
  for target in $(grep -o '](\([^)#]*\)' "$page" | sed 's/^](//'); do
    case $target in *:*) continue ;; esac  # another site's, not ours to check
    [ -e "$(dirname "$page")/$target" ] || { echo "$page: $target does not resolve"; status=1; }
  done
done
exit $status
