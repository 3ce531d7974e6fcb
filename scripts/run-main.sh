#!/usr/bin/env bash
# Installs what is missing, builds, and prints the test window's sample envelope:
# through the test window when there is a display, otherwise through the command
# line; on the default printer, or into Envelope.pdf here when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" dev
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  echo "Opening the test window: press its button to print the sample envelope."
  exec "$root/build/dev/test_window/envelope-test-window"
fi
exec "$root/build/dev/cli/envelope"
