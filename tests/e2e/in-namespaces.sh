#!/usr/bin/env bash
# Runs one end-to-end case (run.sh FILE CASE) in namespaces of its own: a
# network whose loopback only its servers and clients see, mounts that go
# when it ends, a machine name, a /run and a /tmp of its own (servers and
# the X server keep sockets and lock files there, which would meet those of
# a case beside it) and processes that all end with it, whatever the case
# leaves running. Needs root (CI runs as root); elsewhere the case is
# skipped.
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ] || ! unshare --net --mount --uts --pid --fork --mount-proc true 2>/dev/null; then
  echo "skipped: namespaces for servers of its own need root"
  exit 77
fi
exec unshare --net --mount --uts --pid --fork --mount-proc -- bash -c '
  set -e
  ip link set lo up
  mount -t tmpfs -o mode=755 tmpfs /run
  mount -t tmpfs -o mode=1777 tmpfs /tmp
  hostname lab-a
  exec bash "$@"' bash "$here/run.sh" "$@"
