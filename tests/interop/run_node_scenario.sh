#!/usr/bin/env bash
# Runs one node-opcua scenario script of this folder: $1 is the script, the rest its arguments.
# Exits 77 (skipped) only when Node.js is not installed.
set -euo pipefail
command -v node >/dev/null && command -v npm >/dev/null || { echo "node/npm missing: skipped"; exit 77; }
cd "$(dirname "$0")"
# The modules are shared with the other node-opcua tests; installed again only when the lock
# file is newer than the last install.
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
exec node "$@"
