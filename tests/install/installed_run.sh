#!/bin/sh
# Usage: installed_run.sh program|tools CMAKE BUILD_DIR SOURCE_DIR VERSION PYTHON
# Installs the build into a new temporary prefix, then
#   program: checks that the program, the man page and the documentation are there and runs
#            the installed program on helium: its files must be the reference run's;
#   tools:   runs the installed hfatom-validate and hfatom-plot on helium.
set -eu
part=$1 cmake=$2 build=$3 source=$4 version=$5 python=$6
work=$(mktemp -d "${TMPDIR:-/tmp}/hfatom-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
examples=$prefix/share/doc/hfatom/examples

if [ "$part" = tools ] && ! "$python" -c 'import numpy' 2>/dev/null; then
  echo "skipped: the tools need numpy (Debian package python3-numpy) for $python"
  exit 77
fi

"$cmake" --install "$build" --prefix "$prefix" > "$work/install.log"
mkdir "$work/run"
(cd "$work/run" && "$prefix/bin/hfatom" < "$examples/He.in" > console)

case $part in
program)
  for file in bin/hfatom share/man/man1/hfatom.1 share/doc/hfatom/README.md share/doc/hfatom/LICENSE \
              share/doc/hfatom/CHANGELOG.md share/doc/hfatom/examples/He.in; do
    [ -f "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
  done
  [ "$("$prefix/bin/hfatom" --version)" = "hfatom $version" ] || { echo "--version is not hfatom $version"; exit 1; }
  for file in console "He  .out" "He  .dat"; do
    cmp -s "$work/run/$file" "$source/tests/data/He/$file" || { echo "the installed program's $file differs"; exit 1; }
  done
  echo "installed into a prefix: program, man page and documentation in place; helium as the reference run"
  ;;
tools)
  # The validation table of helium, with the installed program.
  "$prefix/bin/hfatom-validate" "$prefix/bin/hfatom" "$examples/He.in" > "$work/validate.md"
  grep -q '^| He | 1 | 2 | -2.8616799956 | -2.86168000 |' "$work/validate.md" ||
    { echo "hfatom-validate did not list helium:"; cat "$work/validate.md"; exit 1; }
  if command -v gnuplot > /dev/null 2>&1; then
    "$prefix/bin/hfatom-plot" "$work/run/He  .dat" "$work/helium.png"
    [ "$(head -c 8 "$work/helium.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
      { echo "hfatom-plot drew no PNG"; exit 1; }
    echo "installed hfatom-validate lists helium; hfatom-plot draws its orbital table"
  else
    echo "installed hfatom-validate lists helium; no gnuplot (Debian package gnuplot-nox): hfatom-plot not run"
  fi
  ;;
*)
  echo "unknown part: $part"; exit 2
  ;;
esac
