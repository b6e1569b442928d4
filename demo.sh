#!/usr/bin/env bash
# Runs evalconv once over a copy of the bundled sample platform drive and shows what it changed.
# The native build stands in for the device: its drive C: is the folder demo/drive, and our
# stand-in for the write filter's library (writefilter/write_filter_double.cpp) plays a filter
# that protects the drive in this session, so the run ends by committing the four files.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps
cmake --preset native >/dev/null
cmake --build --preset native --target evalconv write_filter_double >/dev/null
rm -rf demo
mkdir -p demo
cp -r sample/drive demo/drive
mkdir -p demo/drive/Windows/System32
cp build/native/write_filter_double.so demo/drive/Windows/System32/FBWFLIB.DLL
echo "== evalconv on demo/drive (a copy of sample/drive), write filter active"
status=0
EVALCONV_DRIVE_C=demo/drive EVALCONV_FBWF_FLAGS="1 0" EVALCONV_FBWF_LOG=demo/write-filter.log \
  build/native/evalconv || status=$?
echo "== exit code $status"
echo "== committed through the write filter (volume, path on the volume)"
sed -n 's/^FbwfCommitFile /  /p' demo/write-filter.log
echo "== what changed (diff -ruN sample/drive demo/drive; the files use CR LF line ends)"
diff -ruN --exclude=Windows sample/drive demo/drive | tr -d '\r' || true
echo "== how the KITL variant differs from the converted configuration"
diff -u demo/drive/rth/Windows_WEC800.txt demo/drive/rth/Windows_WEC800_kitl.txt | tr -d '\r' || true
