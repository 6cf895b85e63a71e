#!/usr/bin/env bash
# Runs a Windows test program inside a private network for the printer search: the whole
# wine process in a driver namespace (wine's sockets are made by its wineserver, so that
# one is started there too, for a prefix of its own), the native simulator answering the
# search in a printer namespace, the two joined by a veth pair. Broadcasts never leave it.
#
#   search_network.sh <kt3600r-sim> <wine-run> <program.exe> [arguments]
#
# The program learns the printer's address from NYPR_SEARCH_PRINTER. The wine prefix is
# NYPR_WINEPREFIX, else wineprefix-search beside wine-run; its wineserver must not be
# running elsewhere, and is stopped at the end. Exits 77 (skipped) where namespaces cannot
# be made (not root, no `ip`).
set -euo pipefail
sim=$1 wine_run=$2
shift 2
program=("$@")

if [ "$(id -u)" != 0 ] || ! command -v ip >/dev/null; then
  echo "skipped: the search network needs root and the ip tool"
  exit 77
fi
base=nyprwin$$
driver=${base}d printer=${base}p
net=10.79.$(($$ % 250 + 1))
prefix=${NYPR_WINEPREFIX:-$(cd "$(dirname "$wine_run")" && pwd)/wineprefix-search}
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  ip netns del "$driver" 2>/dev/null || true
  ip netns del "$printer" 2>/dev/null || true
}
trap cleanup EXIT
if ! ip netns add "$driver" || ! ip netns add "$printer"; then
  echo "skipped: cannot create network namespaces"
  exit 77
fi
ip -n "$driver" link set lo up
ip -n "$printer" link set lo up
ip -n "$driver" link add eth0 type veth peer name eth0 netns "$printer"
for side in "$driver:1" "$printer:2"; do
  ns=${side%:*}
  ip -n "$ns" addr add "$net.${side#*:}/24" dev eth0
  ip -n "$ns" link set eth0 up
  ip -n "$ns" route add default dev eth0
done

ip netns exec "$printer" "$sim" --address "$net.2" --discovery --time-scale 0 >/dev/null 2>&1 &
sim_pid=$!
# The printer answers once its ports are open.
for _ in $(seq 100); do
  ip netns exec "$printer" ss -lun 2>/dev/null | grep -q ':30000 ' && break
  sleep 0.05
done

# The display is reached through its socket file, which every namespace shares.
ip netns exec "$driver" env NYPR_WINEPREFIX="$prefix" NYPR_SEARCH_PRINTER="$net.2" \
  "$wine_run" "${program[@]}"
