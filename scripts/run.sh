#!/usr/bin/env bash
# Sets up, builds and converts the bundled sample set: every sample into VXV layers
# (out/samples/VXV), then every layer back out to MIF (out/samples/MIF), shapefiles
# (out/samples/SHP) and TAB (out/samples/TAB). Each step saves its log in out/samples/logs.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1
scripts/build.sh >/dev/null || exit 1
scripts/convert_samples.sh out/samples build/bin
