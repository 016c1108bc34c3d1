#!/bin/sh
# Runs a test command in a network of its own: a new network namespace with
# only its loopback, and a /run of its own, so that a test which serves port
# 111 (a portmapper, or an rpcbind it starts) and the VXI-11 core ports runs
# beside the others, and none of them finds an rpcbind of the machine's
# through its socket in /run. As root the namespaces are made directly,
# otherwise inside a user namespace. Where neither is allowed the command
# runs here, one such test at a time by a lock file.
# Usage: own-network.sh COMMAND [ARGS...]
set -eu

if [ "${ZOLVEK_OWN_NETWORK:-}" = 1 ]; then
  # Inside the new namespaces: bring the loopback up, hide the machine's /run.
  ip link set lo up
  mount -t tmpfs -o mode=0755 tmpfs /run
  mkdir -p /run/rpcbind
  exec "$@"
fi

user=""
[ "$(id -u)" -eq 0 ] || user="--user --map-root-user"
# shellcheck disable=SC2086
if unshare $user --net --mount true 2>/dev/null; then
  ZOLVEK_OWN_NETWORK=1 exec unshare $user --net --mount --propagation private "$0" "$@"
fi
exec flock "${TMPDIR:-/tmp}/zolvek-port111.lock" "$@"
