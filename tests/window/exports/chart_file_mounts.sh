#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the tests of saving to a disk that refuses, on disks made for them:
# two small tmpfs, one read-only and one of 16 KiB to fill, mounted in a
# mount namespace of the tests' own, so that nothing stays mounted whatever
# becomes of them. Where mounting is not allowed (not root, no namespaces),
# they run without them: the full disk is /dev/full and the read-only one is
# skipped. Usage: chart_file_mounts.sh TEST-PROGRAM
set -u
tests=$1
filter='*SaveBytesOnRefusingDisk*'
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
mkdir "$base/read-only" "$base/full"
mount_disks='mount -t tmpfs -o ro,size=16k cotalia-read-only "$1/read-only" &&
  mount -t tmpfs -o size=16k cotalia-full "$1/full"'
if [ "$(id -u)" -eq 0 ] && unshare --mount --propagation private sh -c "$mount_disks" sh "$base" 2>/dev/null; then
  unshare --mount --propagation private sh -c "$mount_disks"' &&
    COTALIA_READ_ONLY_FOLDER="$1/read-only" COTALIA_FULL_FOLDER="$1/full" "$2" --gtest_filter="$3"' \
    sh "$base" "$tests" "$filter"
else
  echo "mounting is not allowed here: the tests run on /dev/full alone"
  "$tests" --gtest_filter="$filter"
fi
