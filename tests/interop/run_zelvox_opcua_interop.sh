#!/usr/bin/env bash
# Runs the node-opcua scenarios against the headless zelvox: $1 is zelvox, $2 zelvox-tool.
# Exits 77 (skipped) only when Node.js is not installed.
exec "$(dirname "$0")/run_node_scenario.sh" zelvox_opcua_interop.js "$1" "$2"
