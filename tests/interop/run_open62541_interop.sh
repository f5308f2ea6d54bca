#!/usr/bin/env bash
# Runs open62541's client scenarios against the headless zelvox on the virtual bus:
# $1 zelvox, $2 zelvox-tool, $3 the open62541_interop client. The client is only built when
# scripts/setup unpacked open62541 into the build tree; without it the test exits 77 (skipped).
set -euo pipefail
zelvox=$1 tool=$2 client=$3
[ -x "$client" ] || { echo "open62541 client not built (scripts/setup unpacks open62541): skipped"; exit 77; }
tmp=$(mktemp -d)
pid=""
cleanup() {
  [ -z "$pid" ] || { kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
  rm -rf "$tmp"
}
trap cleanup EXIT
export ZELVOX_HOME=$tmp/home
mkdir -p "$ZELVOX_HOME"
# Test.Types: a 2-byte float and an 8-bit counter that the virtual bus answers reads of;
# Test.Silent: an address that no device answers.
object() { printf 'Subgroup:;Item %s;%s\r\nNo.;Physical address;Device;Object;Function;EIS type;Group addresses\r\n1;1.1.1;Device;Object;Function;%s;%s\r\n' "$1" "$1" "$2" "$1"; }
{
  printf 'Project name:;Interop\r\nMaingroup:;Test;1\r\nMiddlegroup:;Types;1/1\r\n'
  object 1/1/7 "EIS 5 'Value' (2 Byte)"
  object 1/1/18 "EIS 14 '8Bit Counter' (8 Bit)"
  printf 'Middlegroup:;Silent;1/3\r\n'
  object 1/3/1 "EIS 1 'Switching' (1 Bit)"
} > "$tmp/interop.esf"
"$tool" import-esf "$tmp/interop.esf" "$tmp/interop.zlv" >/dev/null
"$tool" interface set "Virtual bus" "answer=1/1/7:0c33,1/1/18:c8" >/dev/null
printf '\n[Software\\Varnok\\Zelvox\\Parameter]\n"ReadSpeed"=dword:00000014\n"WriteSpeed"=dword:00000014\n"ResponseTimeout"=dword:00000002\n"PingTime"=dword:00000000\n' >> "$ZELVOX_HOME/HKCU.reg"
"$zelvox" --headless --opcua-port 0 "$tmp/interop.zlv" 2> "$tmp/zelvox.log" &
pid=$!
endpoint=""
for _ in $(seq 1 100); do
  endpoint=$(grep -o 'opc\.tcp://127\.0\.0\.1:[0-9]*' "$tmp/zelvox.log" | head -1 || true)
  [ -n "$endpoint" ] && break
  sleep 0.1
done
[ -n "$endpoint" ] || { echo "zelvox did not start:"; cat "$tmp/zelvox.log"; exit 1; }
"$client" "$endpoint"
