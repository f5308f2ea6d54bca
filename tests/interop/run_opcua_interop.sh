#!/usr/bin/env bash
# Runs the node-opcua interop scenarios against the OPC UA test host given as $1: those of
# opcua_interop.js, or of the script named as $2.
# Exits 77 (skipped) only when Node.js is not installed.
set -euo pipefail
command -v node >/dev/null && command -v npm >/dev/null || { echo "node/npm missing: skipped"; exit 77; }
cd "$(dirname "$0")"
npm ci --no-audit --no-fund --loglevel=error
exec node "${2:-opcua_interop.js}" "$1"
