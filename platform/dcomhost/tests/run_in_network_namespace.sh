#!/bin/sh
# run_in_network_namespace.sh COMMAND...: runs COMMAND in a network namespace
# of its own with only the loopback interface up, so that a test may bind
# port 135 and reach nothing outside. Exits 77 (skipped) where no namespace
# can be made or impacket is missing.
/usr/bin/python3 -c 'import impacket' 2>/dev/null || { echo "python3-impacket is not installed"; exit 77; }
if unshare -n true 2>/dev/null; then
  exec unshare -n sh -c 'ip link set lo up && exec "$@"' sh "$@"
elif unshare -rn true 2>/dev/null; then
  exec unshare -rn sh -c 'ip link set lo up && exec "$@"' sh "$@"
fi
echo "cannot create a network namespace here"
exit 77
