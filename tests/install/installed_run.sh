#!/bin/sh
# Usage: installed_run.sh CMAKE BUILD_DIR SOURCE_DIR VERSION
# Installs the build into a new temporary prefix, checks that the program, the man page and
# the documentation are there, and runs the installed program on helium: its files must be
# the reference run's, byte for byte.
set -eu
cmake=$1 build=$2 source=$3 version=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/hfatom-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

"$cmake" --install "$build" --prefix "$prefix" > "$work/install.log"

for file in bin/hfatom share/man/man1/hfatom.1 share/doc/hfatom/README.md share/doc/hfatom/LICENSE \
            share/doc/hfatom/CHANGELOG.md share/doc/hfatom/examples/He.in; do
  [ -f "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done

[ "$("$prefix/bin/hfatom" --version)" = "hfatom $version" ] || { echo "--version does not print hfatom $version"; exit 1; }

mkdir "$work/run"
(cd "$work/run" && "$prefix/bin/hfatom" < "$prefix/share/doc/hfatom/examples/He.in" > console)
for file in console "He  .out" "He  .dat"; do
  cmp -s "$work/run/$file" "$source/tests/data/He/$file" || { echo "the installed program's $file differs"; exit 1; }
done
echo "installed into a prefix: program, man page and documentation in place; helium as the reference run"
