#!/usr/bin/env bash
# Installs what is missing, starts the services the tests use, builds with
# warnings as errors, runs every test headless and tries the Debian packages;
# then runs every test again under the sanitizers, and the fuzz targets briefly.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/start-cups.sh
ENVELOPE_TEST_PG_URL=$(bash scripts/start-postgres.sh)
export ENVELOPE_TEST_PG_URL ENVELOPE_REQUIRE_POSTGRES=1
export ENVELOPE_REQUIRE_CUPS=1
export QT_QPA_PLATFORM=offscreen
bash scripts/build.sh ci
ctest --preset ci -j "$(nproc)"
# The Debian packages, installed on this machine and removed again.
bash scripts/package-test.sh build/ci
# Every test again under AddressSanitizer with LeakSanitizer, and UBSan: any report fails.
bash scripts/build.sh asan
ctest --preset asan -j "$(nproc)"
# Each fuzz target for a short while from its seed corpus.
bash scripts/fuzz.sh 30
