#!/usr/bin/env bash
# Installs what is needed, builds, and starts Quorvane on a demo store of its own.
# The demo keeps its per-user settings and its "drives" under $QUORVANE_DEMO_HOME
# (default ~/.local/share/quorvane-demo), so it never touches a real installation's settings.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build_dir=${QUORVANE_BUILD_DIR:-build}

demo=${QUORVANE_DEMO_HOME:-$HOME/.local/share/quorvane-demo}
export QUORVANE_SETTINGS_DIR="$demo/settings"
export QUORVANE_DRIVE_ROOT="$demo/drives"
export QUORVANE_PROGRAM_DIR="$demo/program"
mkdir -p "$QUORVANE_SETTINGS_DIR" "$QUORVANE_DRIVE_ROOT/C" "$QUORVANE_PROGRAM_DIR"

args=("$@")
if [ -x "$build_dir/app/quorvane-demo" ]; then
    # Creates the demo store on first use and prints the arguments that open its case item.
    mapfile -t args < <("$build_dir/app/quorvane-demo")
    args+=("$@")
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    # No screen here: give the program a virtual one.
    exec xvfb-run -a "$build_dir/app/quorvane" "${args[@]}"
fi
exec "$build_dir/app/quorvane" "${args[@]}"
