#!/usr/bin/env bash
# Runs evalconv once over a copy of the bundled sample platform drive and shows what it changed.
# The native build stands in for the device: its drive C: is the folder demo/drive.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps
cmake --preset native >/dev/null
cmake --build --preset native --target evalconv >/dev/null
rm -rf demo
mkdir -p demo
cp -r sample/drive demo/drive
echo "== evalconv on demo/drive (a copy of sample/drive)"
status=0
EVALCONV_DRIVE_C=demo/drive build/native/evalconv || status=$?
echo "== exit code $status"
echo "== what changed (diff -ruN sample/drive demo/drive; the files use CR LF line ends)"
diff -ruN sample/drive demo/drive | tr -d '\r' || true
echo "== how the KITL variant differs from the converted configuration"
diff -u demo/drive/rth/Windows_WEC800.txt demo/drive/rth/Windows_WEC800_kitl.txt | tr -d '\r' || true
