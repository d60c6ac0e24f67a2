#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the tests of saving to a disk that refuses, on disks made for them:
# two small tmpfs, one read-only and one of 16 KiB to fill, mounted in a
# mount namespace of the tests' own, so that nothing stays mounted whatever
# becomes of them. A Windows program runs under the Wine given, with a Wine
# prefix of its own made inside the namespace: Wine's server, which opens
# the files, must see the disks too. Where mounting is not allowed (not
# root, no namespaces), the tests skip and say why.
# Usage: chart_file_mounts.sh TEST-PROGRAM [WINE]
set -u
tests=$1
wine=${2:-}
filter='*OnRefusingDisk*'
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
mkdir "$base/read-only" "$base/full" "$base/wine"
mount_disks='mount -t tmpfs -o ro,size=16k cotalia-read-only "$1/read-only" &&
  mount -t tmpfs -o size=16k cotalia-full "$1/full"'
run_tests='if [ -n "$4" ]; then
    WINEPREFIX="$1/wine" WINEDEBUG=-all "$4" "$2" --gtest_filter="$3"; status=$?
    WINEPREFIX="$1/wine" "$(dirname "$4")/wineserver" -k 2>/dev/null
    exit $status
  fi
  "$2" --gtest_filter="$3"'
if [ "$(id -u)" -eq 0 ] && unshare --mount --propagation private sh -c "$mount_disks" sh "$base" 2>/dev/null; then
  unshare --mount --propagation private sh -c "$mount_disks"' &&
    export COTALIA_READ_ONLY_FOLDER="$1/read-only" COTALIA_FULL_FOLDER="$1/full" && '"$run_tests" \
    sh "$base" "$tests" "$filter" "$wine"
else
  echo "mounting is not allowed here: the tests on refusing disks skip"
  sh -c "$run_tests" sh "$base" "$tests" "$filter" "$wine"
fi
