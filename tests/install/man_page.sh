#!/bin/sh
# Usage: man_page.sh PAGE VERSION
# The man page renders without a single groff warning, and names the project's version.
set -eu
page=$1 version=$2
if ! command -v groff >/dev/null 2>&1; then
  echo "groff is not installed (Debian package groff-base): the man page is not checked"
  exit 77
fi
warnings=$(groff -ww -z -man "$page" 2>&1)
if [ -n "$warnings" ]; then
  printf 'groff warns about %s:\n%s\n' "$page" "$warnings"
  exit 1
fi
head -n 1 "$page" | grep -q "\"hfatom $version\"" || {
  echo "the title line of $page does not name version $version: $(head -n 1 "$page")"
  exit 1
}
echo "$page renders cleanly and names version $version"
