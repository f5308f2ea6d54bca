#!/usr/bin/env bash
# Runs the node-opcua scenarios against the headless zelvox: $1 is zelvox, $2 zelvox-tool.
# Exits 77 (skipped) only when Node.js is not installed.
set -euo pipefail
command -v node >/dev/null && command -v npm >/dev/null || { echo "node/npm missing: skipped"; exit 77; }
cd "$(dirname "$0")"
# The modules are shared with the other node-opcua test; installed again only when the lock
# file is newer than the last install.
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
exec node zelvox_opcua_interop.js "$1" "$2"
