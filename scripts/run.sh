#!/usr/bin/env bash
# Builds the program, writes the sample root folder and starts the program on it.
#   bash scripts/run.sh            the sample dossier, with notes, faces and detail rows shown
# The working folder (settings file ORMK.INI, error log quarvello.err) is build/run.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

if [[ $(id -u) -eq 0 ]]; then
    bash scripts/install-deps.sh
fi
cmake -S "$root" -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target quarvello make_sample_root help_file

sample="$root/build/sample"
rm -rf "$sample"
build/data/make_sample_root "$sample"

mkdir -p build/run
cd build/run
# Written anew each time so the program always opens on the sample; change the folders in the
# program itself afterwards.
printf '[STP1]\r\nSLE0=%s\r\nSLE1=/Cantiere Via Roma\r\nCB1=1\r\nCB2=1\r\nCB3=1\r\nSLE9=0\r\n' "$sample" > ORMK.INI
# Transparent huge pages for the allocator's memory: a merged dossier keeps every document it
# takes in, and page by page the faults for that fresh memory cost more than the merge's own
# work (see the merge bench in the README).
export GLIBC_TUNABLES="${GLIBC_TUNABLES:+$GLIBC_TUNABLES:}glibc.malloc.hugetlb=1"
exec "$root/build/app/quarvello"
