#!/usr/bin/env bash
# Runs a test program in a private network namespace with only loopback, with the KNX multicast
# range routed over loopback (knxd binds every interface and joins KNX multicast). Where no
# namespace can be made (not root, or no unshare), the program runs as it is and its tests
# report themselves skipped with the reason.
set -u
if unshare --net true 2>/dev/null; then
  exec unshare --net -- bash -c \
    'ip link set lo up && ip route add 224.0.0.0/4 dev lo src 127.0.0.1 && exec "$@"' netns "$@"
fi
echo "no private network namespace can be made here (needs root and unshare)" >&2
exec "$@"
